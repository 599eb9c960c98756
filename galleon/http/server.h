// The listener thread and the connection threads of the web server.
#pragma once
#include <windows.h>

constexpr int SERVER_MAX_REQUESTS = 100;  // requests one connection may carry
constexpr int SERVER_LINE_SIZE = 1024;
// Limits of one request head: header lines after the request line, and bytes
// in all (over-long lines included). A head beyond them is answered 431.
constexpr int SERVER_MAX_HEADER_LINES = 100;
constexpr int SERVER_MAX_HEAD_BYTES = 32768;
// What a refused connection may still send before it is closed.
constexpr int SERVER_DRAIN_BYTES = 1 << 20;
constexpr int SERVER_DRAIN_MS = 1000;

// Listener thread entry: 1 after an orderly stop, 0 after a failure to start.
DWORD WINAPI serverListenerThread(LPVOID unused);
// Connection thread entry: takes the accepted socket; returns 0.
DWORD WINAPI serverConnectionThread(LPVOID socket);

// Listener status, read by the settings page: "Starting...", "Running",
// "Stopping...", "Stopped".
void serverGetStatusText(char* buffer, int size);
void serverSetStatusText(const char* text);
int serverGetLastError();  // 0, -3 (no socket / thread) or -4 (bind or listen failed)
int serverIsRunning();     // 1 from a successful listen until the stop begins
// Sets and clears the stop event together with a flag the connection threads read.
void serverRequestStop();
void serverClearStop();
bool serverStopRequested();

// Base64 of Basic credentials: NUL-terminated, at most size - 1 bytes. Returns the length.
int serverDecodeBase64(const char* in, char* out, int size);
// Query form of a cookie: 'a=1; b=2' becomes 'b=2&a=1'.
void serverCookieToQuery(const char* cookie, char* out, int size);
