// BeginPaint/EndPaint and window contexts during painting. A window of a
// registered class paints inside its widget's Qt paint event: the event's
// painter is kept here while WM_PAINT is sent, and the contexts BeginPaint
// and GetDC hand out draw through it.
#include "gdi/dc.h"
#include "user/window.h"

#include <QPainter>

#include <algorithm>
#include <vector>

using namespace platform;
using namespace platform::ui;

namespace {

// One paint in progress on this thread (nested when a paint event starts
// another widget's repaint).
struct Paint {
    HWND hwnd;
    QPainter *painter;
    QRect rect;
    HDC beginDc = nullptr;    // BeginPaint's context
    bool begun = false;       // BeginPaint was called (a second call gets an empty area)
    std::vector<HDC> windowDcs;  // GetDC's contexts, in order
};
thread_local std::vector<Paint *> paints;

Paint *paintOf(HWND hwnd) {
    for (auto it = paints.rbegin(); it != paints.rend(); ++it)
        if ((*it)->hwnd == hwnd) return *it;
    return nullptr;
}

}  // namespace

namespace platform::ui {

void windowPaint(HWND hwnd, QPainter *painter, const QRect &rect) {
    Paint paint{hwnd, painter, rect, nullptr, false, {}};
    paints.push_back(&paint);
    sendDirect(hwnd, WM_PAINT, 0, 0);
    paints.erase(std::find(paints.begin(), paints.end(), &paint));
    // Contexts the procedure did not give back end with the paint event,
    // since its painter ends there: the latest first, as each restores the
    // painter state it found.
    for (auto it = paint.windowDcs.rbegin(); it != paint.windowDcs.rend(); ++it) gdiEndPaint(*it);
    if (paint.beginDc) gdiEndPaint(paint.beginDc);
}

HDC windowPaintGetDC(HWND hwnd) {
    Paint *paint = hwnd ? paintOf(hwnd) : nullptr;
    if (!paint) return nullptr;
    HDC dc = gdiBeginPaint(paint->painter, hwnd);
    if (dc) paint->windowDcs.push_back(dc);
    return dc;
}

bool windowPaintReleaseDC(HDC dc) {
    for (Paint *paint : paints) {
        auto it = std::find(paint->windowDcs.begin(), paint->windowDcs.end(), dc);
        if (it == paint->windowDcs.end()) continue;
        paint->windowDcs.erase(it);
        gdiEndPaint(dc);
        return true;
    }
    return false;
}

}  // namespace platform::ui

extern "C" {

WINUSERAPI HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (!windowGet(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!lpPaint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    Paint *paint = paintOf(hWnd);
    if (!paint || paint->begun) {
        // Nothing to repaint: a context that draws nowhere.
        lpPaint->hdc = GetDC(nullptr);
        return lpPaint->hdc;
    }
    paint->begun = true;
    paint->beginDc = gdiBeginPaint(paint->painter, hWnd);
    if (!paint->beginDc) return nullptr;
    lpPaint->hdc = paint->beginDc;
    lpPaint->rcPaint = RECT{paint->rect.left(), paint->rect.top(), paint->rect.right() + 1, paint->rect.bottom() + 1};
    lpPaint->fErase = sendDirect(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->beginDc), 0) ? FALSE : TRUE;
    return paint->beginDc;
}

WINUSERAPI BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT *lpPaint) {
    if (!lpPaint || !lpPaint->hdc) return FALSE;
    Paint *paint = paintOf(hWnd);
    if (paint && paint->beginDc && paint->beginDc == lpPaint->hdc) {
        gdiEndPaint(paint->beginDc);
        paint->beginDc = nullptr;
        return TRUE;
    }
    ReleaseDC(nullptr, lpPaint->hdc);
    return TRUE;
}

}  // extern "C"
