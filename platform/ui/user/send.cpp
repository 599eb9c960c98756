// SendMessageA: a direct call on the window's own thread. From another
// thread the call is handed to the user-interface thread through Qt's event
// queue and the sender waits for the answer; the user-interface thread takes
// such calls in any event loop it runs (Win32 loops, modal loops, menus).
#include "core/app.h"
#include "user/window.h"

#include <QApplication>
#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace platform;
using namespace platform::ui;

namespace {

struct CrossCall {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    LRESULT result = 0;
};

thread_local int inCrossSend = 0;

// Queues the call; returns the shared state to wait on (null if no window).
std::shared_ptr<CrossCall> startCrossCall(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto call = std::make_shared<CrossCall>();
    QMetaObject::invokeMethod(
        uiApplication(),
        [call, hwnd, msg, wParam, lParam] {
            {
                std::lock_guard<std::mutex> g(call->lock);
                if (call->abandoned) return;
            }
            ++inCrossSend;
            LRESULT r = sendDirect(hwnd, msg, wParam, lParam);
            --inCrossSend;
            std::lock_guard<std::mutex> g(call->lock);
            call->result = r;
            call->finished = true;
            call->done.notify_all();
        },
        Qt::QueuedConnection);
    return call;
}

}  // namespace

extern "C" {

WINUSERAPI LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT,
                                              UINT uTimeout, PDWORD_PTR lpdwResult) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->threadId == GetCurrentThreadId()) {
        LRESULT r = callWindowProc(w->proc.load(), hWnd, Msg, wParam, lParam);
        if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(r);
        return 1;
    }
    w.reset();
    auto call = startCrossCall(hWnd, Msg, wParam, lParam);
    std::unique_lock<std::mutex> g(call->lock);
    bool ok = call->done.wait_for(g, std::chrono::milliseconds(uTimeout), [&] { return call->finished; });
    if (!ok) {
        call->abandoned = true;
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(call->result);
    return 1;
}

WINUSERAPI LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == HWND_BROADCAST) {
        HWND top = GetWindow(GetDesktopWindow(), GW_CHILD);
        for (; top; top = GetWindow(top, GW_HWNDNEXT)) SendMessageA(top, Msg, wParam, lParam);
        return 0;
    }
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->threadId == GetCurrentThreadId()) return callWindowProc(w->proc.load(), hWnd, Msg, wParam, lParam);
    w.reset();
    auto call = startCrossCall(hWnd, Msg, wParam, lParam);
    std::unique_lock<std::mutex> g(call->lock);
    call->done.wait(g, [&] { return call->finished; });
    return call->result;
}

WINUSERAPI BOOL WINAPI SendNotifyMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->threadId == GetCurrentThreadId()) {
        callWindowProc(w->proc.load(), hWnd, Msg, wParam, lParam);
        return TRUE;
    }
    startCrossCall(hWnd, Msg, wParam, lParam);  // no wait for the answer
    return TRUE;
}

WINUSERAPI BOOL WINAPI InSendMessage(void) { return inCrossSend > 0; }

}  // extern "C"
