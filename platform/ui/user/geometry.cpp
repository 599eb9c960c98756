// Showing, enabling, focus, capture and geometry of windows, and the
// rectangle helpers. Positions of child windows are in their parent's client
// coordinates; a top-level window's rectangle is its Qt window's (the
// desktop's decoration is not counted).
#include "user/sizing.h"
#include "user/window.h"

#include "core/app.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include <algorithm>

using namespace platform;
using namespace platform::ui;

namespace {

HWND captureWindow = nullptr;

void activateNow(QWidget *window) {
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

RECT toRect(const QRect &r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// The window's widget, or null with ERROR_INVALID_WINDOW_HANDLE.
std::shared_ptr<WindowObject> need(HWND hwnd) {
    auto w = windowGet(hwnd);
    if (!w || !w->widget) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return w;
}

}  // namespace

extern "C" {

WINUSERAPI BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    auto w = need(hWnd);
    if (!w) return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) != 0;
    onUiThread([&] {
        bool show = nCmdShow != SW_HIDE;
        if (show != static_cast<bool>(wasVisible)) sendDirect(hWnd, WM_SHOWWINDOW, show, 0);
        if (!w->widget) return;
        if (show) w->style |= WS_VISIBLE;
        else w->style &= ~static_cast<LONG>(WS_VISIBLE);
        switch (nCmdShow) {
        case SW_HIDE: w->widget->hide(); break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE: w->widget->showMinimized(); break;
        case SW_MAXIMIZE: w->widget->showMaximized(); break;
        case SW_RESTORE:
        case SW_SHOWNORMAL: w->widget->showNormal(); break;
        case SW_SHOWNA:
        case SW_SHOWNOACTIVATE:
            w->widget->setAttribute(Qt::WA_ShowWithoutActivating);
            w->widget->show();
            break;
        default: w->widget->show(); break;
        }
        if (show && !(w->style & WS_CHILD) && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE) {
            w->widget->raise();
            activateNow(w->widget);
        }
    });
    return wasVisible;
}

WINUSERAPI BOOL WINAPI UpdateWindow(HWND hWnd) {
    auto w = need(hWnd);
    if (!w) return FALSE;
    onUiThread([&] {
        if (w->widget) w->widget->repaint();
    });
    return TRUE;
}

WINUSERAPI BOOL WINAPI IsWindowVisible(HWND hWnd) {
    // Visible when the window and all its ancestors have WS_VISIBLE.
    for (auto w = windowGet(hWnd); w; w = windowGet(w->parent.load())) {
        if (!(w->style & WS_VISIBLE)) return FALSE;
        if (!w->parent.load()) return TRUE;
    }
    return FALSE;
}

WINUSERAPI BOOL WINAPI IsIconic(HWND hWnd) {
    auto w = windowGet(hWnd);
    return w && w->widget && w->widget->isMinimized();
}

WINUSERAPI BOOL WINAPI IsZoomed(HWND hWnd) {
    auto w = windowGet(hWnd);
    return w && w->widget && w->widget->isMaximized();
}

WINUSERAPI BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    auto w = need(hWnd);
    if (!w) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
    if (static_cast<bool>(bEnable) == !wasDisabled) return wasDisabled;
    onUiThread([&] {
        if (bEnable) w->style &= ~static_cast<LONG>(WS_DISABLED);
        else w->style |= WS_DISABLED;
        if (w->widget) w->widget->setEnabled(bEnable != FALSE);
        sendDirect(hWnd, WM_ENABLE, bEnable != FALSE, 0);
    });
    return wasDisabled;
}

WINUSERAPI BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    auto w = windowGet(hWnd);
    return w && !(w->style & WS_DISABLED);
}

WINUSERAPI HWND WINAPI GetFocus(void) {
    if (!uiOnMainThread()) return nullptr;
    QWidget *f = QApplication::focusWidget();
    return f ? windowFromWidget(f) : nullptr;
}

WINUSERAPI HWND WINAPI SetFocus(HWND hWnd) {
    HWND old = GetFocus();
    if (!hWnd) return old;
    auto w = need(hWnd);
    if (!w) return nullptr;
    onUiThread([&] {
        QWidget *target = w->client ? w->client.data() : w->widget.data();
        if (!target) return;
        if (QWidget *proxy = target->focusProxy()) target = proxy;
        // Focus in an inactive window activates it first, as on Windows; the
        // activation is made at once, not left to the window system.
        if (!target->window()->isActiveWindow()) activateNow(target->window());
        target->setFocus(Qt::OtherFocusReason);
    });
    return old;
}

WINUSERAPI HWND WINAPI GetActiveWindow(void) {
    if (!uiOnMainThread()) return nullptr;
    QWidget *a = QApplication::activeWindow();
    return a ? windowFromWidget(a) : nullptr;
}

WINUSERAPI HWND WINAPI SetActiveWindow(HWND hWnd) {
    HWND old = GetActiveWindow();
    auto w = need(GetAncestor(hWnd, GA_ROOT));
    if (!w) return nullptr;
    onUiThread([&] {
        w->widget->raise();
        activateNow(w->widget);
    });
    return old;
}

WINUSERAPI HWND WINAPI GetForegroundWindow(void) { return GetActiveWindow(); }

WINUSERAPI BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) return FALSE;
    SetActiveWindow(hWnd);
    return TRUE;
}

WINUSERAPI BOOL WINAPI BringWindowToTop(HWND hWnd) {
    auto w = need(hWnd);
    if (!w) return FALSE;
    onUiThread([&] { w->widget->raise(); });
    return TRUE;
}

WINUSERAPI HWND WINAPI SetCapture(HWND hWnd) {
    HWND old = captureWindow;
    auto w = need(hWnd);
    if (!w) return old;
    captureWindow = hWnd;
    if (w->client) w->client->grabMouse();
    return old;
}

WINUSERAPI BOOL WINAPI ReleaseCapture(void) {
    HWND old = captureWindow;
    captureWindow = nullptr;
    if (auto w = windowGet(old); w && w->client) w->client->releaseMouse();
    if (old) sendDirect(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

WINUSERAPI HWND WINAPI GetCapture(void) { return IsWindow(captureWindow) ? captureWindow : nullptr; }

WINUSERAPI BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    auto w = need(hWnd);
    if (!w) return FALSE;
    onUiThread([&] {
        QWidget *wid = w->widget;
        if (!wid) return;
        if (!(uFlags & SWP_NOMOVE)) wid->move(X, Y);
        if (!(uFlags & SWP_NOSIZE)) {
            wid->resize(std::max(cx, 0), std::max(cy, 0));
            if (wid->isWindow()) sizingPlaced(wid);
        }
        if (!(uFlags & SWP_NOZORDER)) {
            if (hWndInsertAfter == HWND_TOP || hWndInsertAfter == HWND_TOPMOST) wid->raise();
            else if (hWndInsertAfter == HWND_BOTTOM) wid->lower();
            else if (QWidget *after = windowWidget(hWndInsertAfter)) wid->stackUnder(after);
            if (!(w->style & WS_CHILD) && (hWndInsertAfter == HWND_TOPMOST || hWndInsertAfter == HWND_NOTOPMOST)) {
                bool top = hWndInsertAfter == HWND_TOPMOST;
                bool shown = wid->isVisible();
                wid->setWindowFlag(Qt::WindowStaysOnTopHint, top);
                if (shown) wid->show();
            }
        }
    });
    if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, (uFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (uFlags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

WINUSERAPI BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

WINUSERAPI BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    auto w = need(hWnd);
    if (!w || !lpRect) return FALSE;
    if (sizingRectBefore(hWnd, lpRect)) return TRUE;
    QWidget *wid = w->widget;
    QPoint origin = wid->isWindow() ? wid->pos() : wid->mapToGlobal(QPoint(0, 0));
    *lpRect = toRect(QRect(origin, wid->size()));
    return TRUE;
}

WINUSERAPI BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    auto w = need(hWnd);
    if (!w || !lpRect) return FALSE;
    QWidget *c = w->client ? w->client.data() : w->widget.data();
    *lpRect = RECT{0, 0, c->width(), c->height()};
    return TRUE;
}

WINUSERAPI BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    auto w = need(hWnd);
    if (!w || !lpPoint) return FALSE;
    QWidget *c = w->client ? w->client.data() : w->widget.data();
    QPoint p = c->mapToGlobal(QPoint(lpPoint->x, lpPoint->y));
    lpPoint->x = p.x(), lpPoint->y = p.y();
    return TRUE;
}

WINUSERAPI BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    auto w = need(hWnd);
    if (!w || !lpPoint) return FALSE;
    QWidget *c = w->client ? w->client.data() : w->widget.data();
    QPoint p = c->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
    lpPoint->x = p.x(), lpPoint->y = p.y();
    return TRUE;
}

WINUSERAPI int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    POINT origin{0, 0}, target{0, 0};
    if (hWndFrom && hWndFrom != GetDesktopWindow()) ClientToScreen(hWndFrom, &origin);
    if (hWndTo && hWndTo != GetDesktopWindow()) ClientToScreen(hWndTo, &target);
    LONG dx = origin.x - target.x, dy = origin.y - target.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) lpPoints[i].x += dx, lpPoints[i].y += dy;
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

WINUSERAPI BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (!lpPoint) return FALSE;
    QPoint p = QCursor::pos();
    lpPoint->x = p.x(), lpPoint->y = p.y();
    return TRUE;
}

WINUSERAPI BOOL WINAPI InvalidateRect(HWND hWnd, const RECT *lpRect, BOOL) {
    auto w = need(hWnd);
    if (!w) return FALSE;
    onUiThread([&] {
        QWidget *c = w->client ? w->client.data() : w->widget.data();
        if (!c) return;
        if (lpRect) c->update(QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top));
        else c->update();
    });
    return TRUE;
}

WINUSERAPI BOOL WINAPI RedrawWindow(HWND hWnd, const RECT *lprcUpdate, HRGN, UINT flags) {
    if (!InvalidateRect(hWnd, lprcUpdate, (flags & RDW_ERASE) != 0)) return FALSE;
    if (flags & RDW_UPDATENOW) UpdateWindow(hWnd);
    return TRUE;
}

WINUSERAPI BOOL WINAPI SetRect(LPRECT r, int l, int t, int rt, int b) {
    if (!r) return FALSE;
    *r = RECT{l, t, rt, b};
    return TRUE;
}

WINUSERAPI BOOL WINAPI SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }

WINUSERAPI BOOL WINAPI CopyRect(LPRECT d, const RECT *s) {
    if (!d || !s) return FALSE;
    *d = *s;
    return TRUE;
}

WINUSERAPI BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx, r->right += dx, r->top -= dy, r->bottom += dy;
    return TRUE;
}

WINUSERAPI BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx, r->right += dx, r->top += dy, r->bottom += dy;
    return TRUE;
}

WINUSERAPI BOOL WINAPI IsRectEmpty(const RECT *r) { return !r || r->right <= r->left || r->bottom <= r->top; }

WINUSERAPI BOOL WINAPI PtInRect(const RECT *r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

WINUSERAPI BOOL WINAPI IntersectRect(LPRECT d, const RECT *a, const RECT *b) {
    if (!d || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *d = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *d = r;
    return TRUE;
}

WINUSERAPI BOOL WINAPI UnionRect(LPRECT d, const RECT *a, const RECT *b) {
    if (!d || !a || !b) return FALSE;
    if (IsRectEmpty(a)) *d = *b;
    else if (IsRectEmpty(b)) *d = *a;
    else *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                   std::max(a->bottom, b->bottom)};
    return !IsRectEmpty(d);
}

WINUSERAPI BOOL WINAPI EqualRect(const RECT *a, const RECT *b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

WINUSERAPI SHORT WINAPI GetKeyState(int vk) {
    Qt::KeyboardModifiers m = QApplication::queryKeyboardModifiers();
    bool down = (vk == VK_SHIFT && (m & Qt::ShiftModifier)) || (vk == VK_CONTROL && (m & Qt::ControlModifier)) ||
                (vk == VK_MENU && (m & Qt::AltModifier)) ||
                (vk == VK_LBUTTON && (QApplication::mouseButtons() & Qt::LeftButton)) ||
                (vk == VK_RBUTTON && (QApplication::mouseButtons() & Qt::RightButton));
    return down ? static_cast<SHORT>(0x8000) : 0;
}

WINUSERAPI SHORT WINAPI GetAsyncKeyState(int vKey) { return GetKeyState(vKey); }

}  // extern "C"
