#include "settings_server.h"

#include <windows.h>

#include "config.h"
#include "server.h"

namespace {

constexpr DWORD kStartWaitMs = 3000;
constexpr DWORD kStartPollMs = 20;

}  // namespace

int settingsServerStart() {
    if (g_serverThread) {
        // A listener that could not listen has ended: forget it first.
        if (WaitForSingleObject(g_serverThread, 0) != WAIT_OBJECT_0) return 0;
        CloseHandle(g_serverThread);
        g_serverThread = nullptr;
    }
    int rc = serverStart(THREAD_PRIORITY_ABOVE_NORMAL);
    if (rc != 0) return rc;
    DWORD start = GetTickCount();
    while (serverIsRunning() != 1 && GetTickCount() - start < kStartWaitMs) {
        if (WaitForSingleObject(g_serverThread, kStartPollMs) == WAIT_OBJECT_0) break;
    }
    return 0;
}

bool settingsServerActive() {
    if (serverIsRunning() == 1) return true;
    return g_serverThread && WaitForSingleObject(g_serverThread, 0) == WAIT_TIMEOUT && !serverStopRequested();
}

void settingsServerStop() { serverStop(INFINITE); }
