// TrackMouseEvent: the windows waiting for WM_MOUSELEAVE. The input filter
// reports Qt's leave events; a window is told once per request, as on
// Windows, and asks again when the pointer comes back.
#include "user/input.h"
#include "user/window.h"

#include <mutex>
#include <set>

namespace {
std::mutex trackLock;
std::set<HWND> waiting;
}  // namespace

namespace platform::ui {

bool trackMouseLeft(HWND hwnd) {
    std::lock_guard<std::mutex> g(trackLock);
    return waiting.erase(hwnd) > 0;
}

}  // namespace platform::ui

extern "C" WINUSERAPI BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT e) {
    if (!e || e->cbSize < sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(trackLock);
    if (e->dwFlags & TME_QUERY) {
        e->dwFlags = waiting.count(e->hwndTrack) ? TME_LEAVE : 0;
        return TRUE;
    }
    if (!IsWindow(e->hwndTrack)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!(e->dwFlags & TME_LEAVE)) return TRUE;
    if (e->dwFlags & TME_CANCEL) waiting.erase(e->hwndTrack);
    else waiting.insert(e->hwndTrack);
    return TRUE;
}
