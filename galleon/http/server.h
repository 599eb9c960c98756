// The listener thread and the connection threads of the web server.
#pragma once
#include <windows.h>

constexpr int SERVER_MAX_REQUESTS = 100;  // requests one connection may carry
constexpr int SERVER_LINE_SIZE = 1024;

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

// Request path (cut at '?') onto the file-system path below the collections
// directory; the path is URL-decoded in place first. Returns the length.
int serverMapPath(char* requestPath, char* out, int size);
// Collection name of a file-system path (a directory inside the collections
// root, the request having ended with '/'); 1 found, 0 not.
int serverCollectionOfPath(const char* path, char* name, int size);
// Base64 of Basic credentials: NUL-terminated, at most size - 1 bytes. Returns the length.
int serverDecodeBase64(const char* in, char* out, int size);
// Query form of a cookie: 'a=1; b=2' becomes 'b=2&a=1'.
void serverCookieToQuery(const char* cookie, char* out, int size);
