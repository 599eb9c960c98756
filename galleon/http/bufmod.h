// bufmod: buffered connection slots. Owns the sockets of the open connections,
// hands out request lines through a growing receive buffer with a read
// time-out, and writes answers in pieces.
#pragma once
#include <cstddef>

constexpr int BUFMOD_SLOTS = 64;
// A line that grows this long without a line end ends the connection.
constexpr int BUFMOD_MAX_LINE = 65536;

// Options of bufmodSetOption.
enum {
  BUFMOD_OPT_READ_TIMEOUT = 1,  // seconds
  BUFMOD_OPT_BYTES_SENT = 2,    // sets the bytes-sent counter
  BUFMOD_OPT_BYTES_READ = 3,    // sets the bytes-received counter
  BUFMOD_OPT_LINGER = 4,        // seconds; 0 or less: off
  BUFMOD_OPT_SOCKET_BUFFERS = 5,// SO_RCVBUF and SO_SNDBUF
  BUFMOD_OPT_CORK = 6,          // 1: hold partial frames of an answer; 0: flush them now
};

// Results.
enum {
  BUFMOD_ERR_NOT_INIT = -1,
  BUFMOD_ERR_ARG = -2,
  BUFMOD_ERR_FULL = -3,
  BUFMOD_ERR_NOT_IN_USE = -4,
  BUFMOD_ERR_MEMORY = -5,
  BUFMOD_ERR_EOF = -6,
  BUFMOD_ERR_TIMEOUT = -7,
  BUFMOD_ERR_SEND = -8,
  BUFMOD_ERR_LINE_TOO_LONG = -9,
};

int bufmodInit();
int bufmodShutdown();
// The first free slot. When all are taken, the call waits up to
// BUFMOD_EVICT_WAIT_MS for one: meanwhile the connection that has waited
// longest for its next request (see bufmodAwaitRequest), and at least
// BUFMOD_EVICT_IDLE_MS, is closed to make room. -3 when none came free.
constexpr int BUFMOD_EVICT_WAIT_MS = 2000;
constexpr int BUFMOD_EVICT_IDLE_MS = 1000;
int bufmodOpen(int sock);
int bufmodClose(int slot);
int bufmodSetOption(int slot, int option, const char* value);
int bufmodReadLine(int slot, char* buffer, int size);
// The connection now waits for a request head, which must be read whole
// within `seconds`: reads fail with -7 once that deadline has passed, however
// the bytes trickle in. While it waits, the slot may be taken back for a new
// connection (bufmodOpen).
int bufmodAwaitRequest(int slot, int seconds);
// The head has been read: no deadline, and the slot is busy answering.
int bufmodRequestRead(int slot);
// Ends the sending side and reads and drops what the client still sends, up
// to maxBytes or timeoutMs, so an answer written before a close is not lost
// to a reset caused by unread bytes. 0, or an error code.
int bufmodDrain(int slot, int maxBytes, int timeoutMs);
int bufmodWrite(int slot, const void* data, int length);
// Wakes a thread blocked on the slot (read or write) without closing the socket:
// the socket is shut down, so the owner's next call fails and it closes the slot.
int bufmodAbort(int slot);
// Counters and system-granted buffer sizes, for tests and the status display.
long long bufmodGetBytesSent(int slot);
long long bufmodGetBytesRead(int slot);
int bufmodGetLastError();
