// The listener thread: accepts connections in one-second slices and runs one
// connection thread per connection.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <atomic>
#include <mutex>
#include <poll.h>
#include <condition_variable>
#include <set>
#include <unistd.h>
#include <vector>

#include "config.h"
#include "listmod.h"
#include "photolog.h"
#include "request.h"
#include "server.h"

namespace {

struct ConnectionRecord {
  int32_t sock;
  HANDLE thread;
  DWORD threadId;
  char reserved[16];
};

std::mutex g_statusMutex;
char g_status[32] = "Stopped";
volatile int g_lastError = 0;
volatile int g_running = 0;
// Mirrors the stop event for the connection threads, which look at it before
// every line: a flag read costs nothing, a wait on the event takes locks.
std::atomic<bool> g_stopRequested{false};

// Sockets of the connection threads that are still open. The stop shuts each
// down while it is registered, so it never touches a descriptor that a
// finished thread has already closed and the system handed out again.
std::mutex g_openMutex;
std::set<int> g_openSockets;
// Connection threads that have not yet returned (with g_openMutex): the stop
// waits for every one, tracked in the list or not, before the modules they
// use are shut down and the library unloaded.
std::condition_variable g_threadEnded;
int g_liveThreads = 0;

void stopFailed(const char* status, int error) {
  g_lastError = error;
  serverSetStatusText(status);
}

}  // namespace

void serverRegisterSocket(int sock) {
  std::lock_guard<std::mutex> lock(g_openMutex);
  g_openSockets.insert(sock);
}

void serverUnregisterSocket(int sock) {
  std::lock_guard<std::mutex> lock(g_openMutex);
  g_openSockets.erase(sock);
}

void serverConnectionEnded() {
  std::lock_guard<std::mutex> lock(g_openMutex);
  g_liveThreads--;
  g_threadEnded.notify_all();
}

// Shuts down every open connection socket, which wakes its thread blocked
// in a read or a write, and waits until every connection thread has ended.
static void endAllConnections() {
  std::unique_lock<std::mutex> lock(g_openMutex);
  for (int sock : g_openSockets) {
    // No lingering on close: what a client did not take is dropped, so no
    // thread waits out the time-out on its close.
    struct linger off{};
    setsockopt(sock, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    shutdown(sock, SHUT_RDWR);
  }
  g_threadEnded.wait(lock, [] { return g_liveThreads == 0; });
}

void serverGetStatusText(char* buffer, int size) {
  std::lock_guard<std::mutex> lock(g_statusMutex);
  snprintf(buffer, size, "%s", g_status);
}

void serverSetStatusText(const char* text) {
  std::lock_guard<std::mutex> lock(g_statusMutex);
  snprintf(g_status, sizeof g_status, "%s", text);
}

int serverGetLastError() { return g_lastError; }

void serverRequestStop() {
  g_stopRequested = true;
  SetEvent(g_serverStopEvent);
}

void serverClearStop() {
  ResetEvent(g_serverStopEvent);
  g_stopRequested = false;
}

bool serverStopRequested() { return g_stopRequested; }
int serverIsRunning() { return g_running; }

DWORD WINAPI serverListenerThread(LPVOID) {
  serverSetStatusText("Starting...");
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(1, 1), &wsa) != 0) {
    photoLog(LOG_FAILURE, "WSAStartup() failed");
    stopFailed("Stopped", -3);
    return 0;
  }
  SOCKET listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener == INVALID_SOCKET) {
    photoLog(LOG_FAILURE, "socket() failed");
    WSACleanup();
    stopFailed("Stopped", -3);
    return 0;
  }
  int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(g_config.port));
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  if (g_config.listenAddress[0]) inet_pton(AF_INET, g_config.listenAddress, &addr.sin_addr);
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    photoLog(LOG_FAILURE, "Unable to bind to port %d; port is already in use", g_config.port);
    closesocket(listener);
    WSACleanup();
    stopFailed("Stopped", -4);
    return 0;
  }
  if (listen(listener, 50) != 0) {
    photoLog(LOG_FAILURE, "listen() failed");
    closesocket(listener);
    WSACleanup();
    stopFailed("Stopped", -4);
    return 0;
  }
  int connections = listCreate();
  if (connections < 0) {
    // The server goes on without the list: connection threads then end by
    // themselves. The list module is shut down only when it is not running
    // (-1): with every list slot taken (-3) a shutdown would destroy the lists
    // of the plug-in's other modules, the user database and the access list
    // among them, which would then be saved empty.
    photoLog(LOG_CALL_FAILED, "listCreate() failed with error code %d", connections);
    if (connections == -1) {
      int rc = listShutdown();
      if (rc != 0 && rc != -1) photoLog(LOG_CALL_FAILED, "listShutdown() failed with error code %d", rc);
    }
  }
  g_lastError = 0;
  g_running = 1;
  photoLog(LOG_INFO, "started on port %d", g_config.port);
  serverSetStatusText("Running");

  while (WaitForSingleObject(g_serverStopEvent, 0) != WAIT_OBJECT_0) {
    pollfd pfd{listener, POLLIN, 0};
    int ready = poll(&pfd, 1, 1000);
    if (ready > 0) {
      SOCKET sock = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (sock != INVALID_SOCKET) {
        serverRegisterSocket(sock);
        {
          std::lock_guard<std::mutex> lock(g_openMutex);
          g_liveThreads++;  // the thread's last act is serverConnectionEnded
        }
        DWORD threadId = 0;
        HANDLE thread = CreateThread(nullptr, 0, serverConnectionThread,
                                     reinterpret_cast<LPVOID>(static_cast<intptr_t>(sock)), CREATE_SUSPENDED,
                                     &threadId);
        if (!thread) {
          serverUnregisterSocket(sock);
          closesocket(sock);
          serverConnectionEnded();
          photoLog(LOG_CALL_FAILED, "CreateThread() failed");
        } else {
          ConnectionRecord record{};
          record.sock = sock;
          record.thread = thread;
          record.threadId = threadId;
          int id = connections >= 0 ? listAddItem(connections, &record, sizeof record) : -1;
          if (id < 0) photoLog(LOG_CALL_FAILED, "listAddItem() failed with error code %d", id);
          SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
          ResumeThread(thread);
          if (id < 0) CloseHandle(thread);  // not tracked: it ends by itself
        }
      }
    }
    // Reap the threads that have ended.
    for (int pos = 0; connections >= 0;) {
      int id = listGetItemId(connections, pos);
      if (id < 0) break;
      ConnectionRecord record;
      DWORD code = 0;
      if (listGetItem(connections, id, &record, sizeof record) == sizeof record &&
          GetExitCodeThread(record.thread, &code) && code == STILL_ACTIVE) {
        pos++;
        continue;
      }
      listDeleteItem(connections, id);
      CloseHandle(record.thread);
      pos = 0;
    }
  }

  serverSetStatusText("Stopping...");
  g_stopRequested = true;  // also when the event was set without serverRequestStop
  g_running = 0;
  endAllConnections();
  ConnectionRecord record;
  while (connections >= 0 && listTakeItem(connections, -1, &record, sizeof record) == sizeof record) {
    WaitForSingleObject(record.thread, INFINITE);  // it has left the plug-in's code only now
    CloseHandle(record.thread);
  }
  if (connections >= 0) {
    int rc = listDestroy(connections);
    if (rc != 0) photoLog(LOG_CALL_FAILED, "listDestroy() failed with error code %d", rc);
  }
  httpCloseCollectionsRoot();
  closesocket(listener);
  WSACleanup();
  photoLog(LOG_INFO, "stopped");
  serverSetStatusText("Stopped");
  return 1;
}
