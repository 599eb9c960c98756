#include "watch.h"

#include <cstdio>

// The parameter block of the watcher thread.
struct WatchParams {
    void* window;
    UINT message;
    WPARAM command;
    LPARAM lParam;
    HANDLE stop;  // auto-reset
    char dir[MAX_PATH];
    WatchNotify notify;
    HANDLE thread;
};

namespace {

// While the directory cannot be watched (missing, or removed while watched)
// the thread looks again at this interval, waiting on the stop event only, so
// it neither spins nor keeps a closing page waiting.
constexpr DWORD kRetryMs = 1000;

constexpr DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

DWORD WINAPI watchThread(LPVOID param) {
    auto* w = static_cast<WatchParams*>(param);
    for (;;) {
        HANDLE change = FindFirstChangeNotificationA(w->dir, TRUE, kFilter);
        if (change == INVALID_HANDLE_VALUE) {
            if (WaitForSingleObject(w->stop, kRetryMs) != WAIT_TIMEOUT) return 0;
            continue;
        }
        bool watching = true;
        while (watching) {
            HANDLE handles[2] = {w->stop, change};
            DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            if (r == WAIT_OBJECT_0 + 1) {
                w->notify(w->window, w->message, w->command, w->lParam);
                watching = FindNextChangeNotification(change);
            } else if (r == WAIT_OBJECT_0) {
                FindCloseChangeNotification(change);
                return 0;
            } else {
                watching = false;
            }
        }
        FindCloseChangeNotification(change);
        if (WaitForSingleObject(w->stop, kRetryMs) != WAIT_TIMEOUT) return 0;
    }
}

}  // namespace

WatchParams* watchStart(const char* dir, WatchNotify notify, void* window, UINT message, WPARAM command) {
    if (!dir || !notify) return nullptr;
    auto* w = new WatchParams{window, message, command, 0, nullptr, {}, notify, nullptr};
    std::snprintf(w->dir, sizeof w->dir, "%s", dir);
    w->stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!w->stop) {
        delete w;
        return nullptr;
    }
    DWORD id;
    w->thread = CreateThread(nullptr, 0, watchThread, w, CREATE_SUSPENDED, &id);
    if (!w->thread) {
        CloseHandle(w->stop);
        delete w;
        return nullptr;
    }
    ResumeThread(w->thread);
    return w;
}

void watchStop(WatchParams* w) {
    if (!w) return;
    SetEvent(w->stop);
    WaitForSingleObject(w->thread, INFINITE);
    CloseHandle(w->thread);
    CloseHandle(w->stop);
    delete w;
}
