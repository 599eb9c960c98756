// respmod: status lines, common headers and error pages of every answer,
// HTTP dates, content types, If-Modified-Since and plain file answers.
#pragma once
#include <ctime>

// Request flags (shared with the connection thread and the answering modules).
enum {
  REQ_GET = 0x1,
  REQ_HEAD = 0x2,
  REQ_POST = 0x4,
  REQ_KEEPALIVE = 0x8,
  REQ_IF_MODIFIED = 0x20,
  REQ_BASIC_AUTH = 0x40,
  REQ_COOKIE = 0x100,
};

int respmodSetServerVersion(const char* text);
int respmodSetRealm(const char* text);
int respmodSetHost(const char* text);
// The Set-Cookie value that the next status line written on this slot carries;
// null clears it. A text holding a control character (CR, LF, ...) is refused
// with -2 and sets nothing; -1 when it is missing-but-required or too long.
int respmodSetCookie(int slot, const char* text);
// Copies of the settings (for pages and the image handler).
int respmodGetHost(char* buffer, int size);
int respmodGetServerVersion(char* buffer, int size);

// Status line and common headers, without the blank line. 0, -1 unknown status, -2 write failed.
int respmodSendHeader(int slot, int status, int flags, int timeout, int max);
// The same lines formatted into area (RESPMOD_HEADER_AREA bytes) without
// writing them; the pending cookie is taken. Length, or -1 unknown status.
constexpr int RESPMOD_HEADER_AREA = 2048;
int respmodFormatHeader(int slot, int status, int flags, int timeout, int max, char* area);
// Complete error answer; length of the page body written (0 for 304), -1 or -2.
int respmodSendError(int slot, int status, int flags, int timeout, int max, const char* extraHeader);
// RFC 1123 date of a UTC time (now when null) moved forward by offset seconds.
int respmodFormatDate(char* text, const time_t* when, long offset);
// Reason phrase of a status, or null when the status is not known.
const char* respmodReason(int status);

// Content type registered for the path's extension, looked up without regard
// to letter case. Returns the length written, or 0 when there is none.
int respmodContentType(const char* path, char* buffer, int size);
// 1: the file must be sent; 0: it has not changed since the date of the
// whole If-Modified-Since header line.
int respmodIfModifiedSince(const char* path, const char* headerLine);
// The same test against a last-write time.
int respmodIfModifiedSinceTime(time_t mtime, const char* headerLine);
// Answers a request for an ordinary file: 200 or 500. bytesOut gets the content length.
int sendFile(int slot, const char* path, int flags, int timeout, int max, unsigned long* bytesOut);
// The same for a file already opened for reading; the descriptor is closed.
int sendFileOpen(int slot, int fd, const char* path, int flags, int timeout, int max, unsigned long* bytesOut);
