// Window layout: the records of the registered windows and their children
// in listmod lists, the subclassed window and grip procedures, and the
// arithmetic that keeps the children in place.
#include "modwin.h"

#include <algorithm>

#include "listmod.h"

namespace {

struct WindowRecord {
    HWND window;
    DWORD flags;
    int children;          // list of ChildRecord
    HWND grip;             // size grip control, or null
    RECT registered;       // window rectangle at registration (screen)
    WNDPROC windowProc;    // the procedure replaced by windowProc
    WNDPROC gripProc;      // the grip's procedure replaced by gripProc
};

struct ChildRecord {
    HWND parent;
    HWND control;
    DWORD flags;
    RECT rect;        // the child's rectangle at registration (screen)
    RECT parentRect;  // the parent's client area at registration (screen)
};

bool g_initialised = false;
bool g_ownsListmod = false;
int g_windows = -1;

// The drag of a grip in progress (one at a time: it holds the capture).
struct GripDrag {
    HWND grip = nullptr;
    HWND window = nullptr;
    POINT start{};
    RECT startRect{};
} g_drag;

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

// The client area of a window in screen coordinates.
RECT clientOnScreen(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&r, origin.x, origin.y);
    return r;
}

// The item id of a window's record (and a copy of it), or -1.
int findWindow(HWND window, WindowRecord* out) {
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g_windows, pos);
        if (id < 0) return -1;
        WindowRecord r{};
        if (listGetItem(g_windows, id, &r, sizeof r) == sizeof r && r.window == window) {
            if (out) *out = r;
            return id;
        }
    }
}

// The record of the window a child list belongs to.
int findByChildren(int childList, WindowRecord* out) {
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g_windows, pos);
        if (id < 0) return -1;
        WindowRecord r{};
        if (listGetItem(g_windows, id, &r, sizeof r) == sizeof r && r.children == childList) {
            if (out) *out = r;
            return id;
        }
    }
}

int findChild(int childList, HWND control, ChildRecord* out) {
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(childList, pos);
        if (id < 0) return -1;
        ChildRecord c{};
        if (listGetItem(childList, id, &c, sizeof c) == sizeof c && c.control == control) {
            if (out) *out = c;
            return id;
        }
    }
}

// The grip sits in the bottom-right corner of the client area.
void placeGrip(const WindowRecord& r) {
    if (!r.grip || !IsWindow(r.grip)) return;
    RECT client{}, grip{};
    GetClientRect(r.window, &client);
    GetWindowRect(r.grip, &grip);
    SetWindowPos(r.grip, nullptr, client.right - width(grip), client.bottom - height(grip), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(r.grip, nullptr, TRUE);
}

// Each child's registered rectangle, moved or stretched by how much the
// client area has grown (or shrunk) since the child was registered.
void layOut(const WindowRecord& r) {
    RECT client = clientOnScreen(r.window);
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(r.children, pos);
        if (id < 0) break;
        ChildRecord c{};
        if (listGetItem(r.children, id, &c, sizeof c) != sizeof c || !IsWindow(c.control)) continue;
        if (!(c.flags & (MODWIN_KEEP_BOTTOM_RIGHT | MODWIN_GROW_WIDTH | MODWIN_GROW_HEIGHT))) continue;
        int dx = width(client) - width(c.parentRect), dy = height(client) - height(c.parentRect);
        int x = c.rect.left - c.parentRect.left, y = c.rect.top - c.parentRect.top;
        int w = width(c.rect), h = height(c.rect);
        if (c.flags & MODWIN_KEEP_BOTTOM_RIGHT) {
            x += dx;
            y += dy;
        } else {
            if (c.flags & MODWIN_GROW_WIDTH) w += dx;
            if (c.flags & MODWIN_GROW_HEIGHT) h += dy;
        }
        SetWindowPos(c.control, nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(c.control, nullptr, TRUE);
    }
}

// A sizing request: the bottom-right corner alone may be dragged, and with
// MODWIN_MINIMUM_SIZE not below the registered size.
void sizing(const WindowRecord& r, WPARAM edge, RECT* proposed) {
    if (!proposed) return;
    if (edge != WMSZ_BOTTOMRIGHT) {
        GetWindowRect(r.window, proposed);
        return;
    }
    if (r.flags & MODWIN_MINIMUM_SIZE) {
        if (width(*proposed) < width(r.registered)) proposed->right = proposed->left + width(r.registered);
        if (height(*proposed) < height(r.registered)) proposed->bottom = proposed->top + height(r.registered);
    }
}

bool drawGrip(const WindowRecord& r, const DRAWITEMSTRUCT* item) {
    if (!r.grip || !item || item->hwndItem != r.grip) return false;
    if (!IsZoomed(r.window)) {
        RECT area = item->rcItem;
        DrawFrameControl(item->hDC, &area, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
    return true;
}

void forget(int id, const WindowRecord& r);

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord r{};
    int id = findWindow(window, &r);
    if (id < 0) return DefWindowProcA(window, message, wParam, lParam);
    WNDPROC previous = r.windowProc;
    switch (message) {
    case WM_SIZING:
        sizing(r, wParam, reinterpret_cast<RECT*>(lParam));
        CallWindowProcA(previous, window, message, wParam, lParam);
        return TRUE;
    case WM_SIZE:
        placeGrip(r);
        layOut(r);
        break;
    case WM_DRAWITEM:
        if (drawGrip(r, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (r.grip && item && item->CtlID == static_cast<UINT>(GetDlgCtrlID(r.grip))) {
            RECT grip{};
            GetWindowRect(r.grip, &grip);
            item->itemWidth = static_cast<UINT>(width(grip));
            item->itemHeight = static_cast<UINT>(height(grip));
            return TRUE;
        }
        break;
    }
    case WM_NCDESTROY:
        // A window destroyed while registered is forgotten with it.
        forget(id, r);
        break;
    }
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

// The grip: a press starts dragging the window's bottom-right corner, every
// move while the grip holds the capture proposes the new rectangle through
// WM_SIZING, and the release ends it.
LRESULT CALLBACK gripProc(HWND grip, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord r{};
    HWND window = GetParent(grip);
    if (findWindow(window, &r) < 0 || r.grip != grip) return DefWindowProcA(grip, message, wParam, lParam);
    switch (message) {
    case WM_SETCURSOR:
        if (!IsZoomed(window)) {
            SetCursor(LoadCursorA(nullptr, IDC_SIZENWSE));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN: {
        if (IsZoomed(window)) break;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(grip, &p);
        g_drag.grip = grip;
        g_drag.window = window;
        g_drag.start = p;
        GetWindowRect(window, &g_drag.startRect);
        SetCapture(grip);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (g_drag.grip == grip && GetCapture() == grip) {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(grip, &p);
            RECT proposed = g_drag.startRect;
            proposed.right += p.x - g_drag.start.x;
            proposed.bottom += p.y - g_drag.start.y;
            SendMessageA(window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
            SetWindowPos(window, nullptr, proposed.left, proposed.top, width(proposed), height(proposed),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (g_drag.grip == grip) {
            g_drag = GripDrag{};
            if (GetCapture() == grip) ReleaseCapture();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (g_drag.grip == grip) g_drag = GripDrag{};
        break;
    }
    return CallWindowProcA(r.gripProc, grip, message, wParam, lParam);
}

void releaseGrip(const WindowRecord& r) {
    if (!r.grip || !r.gripProc || !IsWindow(r.grip)) return;
    if (g_drag.grip == r.grip) {
        g_drag = GripDrag{};
        if (GetCapture() == r.grip) ReleaseCapture();
    }
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(r.grip, GWLP_WNDPROC)) == gripProc)
        SetWindowLongPtrA(r.grip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(r.gripProc));
}

// Gives the window and its grip their procedures back and drops the records.
void forget(int id, const WindowRecord& r) {
    releaseGrip(r);
    if (IsWindow(r.window) && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(r.window, GWLP_WNDPROC)) == windowProc)
        SetWindowLongPtrA(r.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(r.windowProc));
    listDestroy(r.children);
    listDeleteItem(g_windows, id);
}

}  // namespace

int modwinInit() {
    if (g_initialised) return MODWIN_ERR_NOT_INIT;
    int rc = listInit();
    if (rc != 0 && rc != -1) return MODWIN_ERR_STORAGE;
    g_ownsListmod = rc == 0;
    g_windows = listCreate();
    if (g_windows < 0) {
        if (g_ownsListmod) listShutdown();
        return MODWIN_ERR_STORAGE;
    }
    g_initialised = true;
    return 0;
}

int modwinShutdown() {
    if (!g_initialised) return MODWIN_ERR_NOT_INIT;
    WindowRecord r{};
    for (int id; (id = listGetItemId(g_windows, 0)) >= 0;) {
        if (listGetItem(g_windows, id, &r, sizeof r) != sizeof r) {
            listDeleteItem(g_windows, id);
            continue;
        }
        forget(id, r);
    }
    listDestroy(g_windows);
    g_windows = -1;
    if (g_ownsListmod) listShutdown();
    g_ownsListmod = false;
    g_initialised = false;
    return 0;
}

int modwinAddWindow(HWND window) {
    if (!g_initialised) return MODWIN_ERR_NOT_INIT;
    if (!IsWindow(window) || findWindow(window, nullptr) >= 0) return MODWIN_ERR_WINDOW;
    WindowRecord r{};
    r.window = window;
    GetWindowRect(window, &r.registered);
    r.children = listCreate();
    if (r.children < 0) return MODWIN_ERR_STORAGE;
    r.windowProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (listAddItem(g_windows, &r, sizeof r) < 0) {
        listDestroy(r.children);
        return MODWIN_ERR_STORAGE;
    }
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc));
    return r.children;
}

int modwinSetOption(int childList, HWND control, DWORD flags, LPARAM data) {
    if (!g_initialised) return MODWIN_ERR_NOT_INIT;
    if (childList == MODWIN_WINDOW) {
        WindowRecord r{};
        int id = findWindow(control, &r);
        if (id < 0) return MODWIN_ERR_WINDOW;
        r.flags = flags;
        if (flags & MODWIN_SIZE_GRIP) {
            HWND grip = reinterpret_cast<HWND>(data);
            if (!IsWindow(grip) || GetParent(grip) != r.window) return MODWIN_ERR_WINDOW;
            if (grip != r.grip) {
                releaseGrip(r);
                r.grip = grip;
                r.gripProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(grip, GWLP_WNDPROC));
                SetWindowLongPtrA(grip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gripProc));
            }
        }
        if (listUpdateItem(g_windows, id, &r, sizeof r) < 0) return MODWIN_ERR_STORAGE;
        placeGrip(r);
        return 0;
    }
    WindowRecord owner{};
    if (findByChildren(childList, &owner) < 0) return MODWIN_ERR_WINDOW;
    ChildRecord c{};
    int id = findChild(childList, control, &c);
    if (id < 0) return MODWIN_ERR_WINDOW;
    c.flags = flags;
    return listUpdateItem(childList, id, &c, sizeof c) < 0 ? MODWIN_ERR_STORAGE : 0;
}

int modwinAddChildWindow(int childList, HWND control) {
    if (!g_initialised) return MODWIN_ERR_NOT_INIT;
    WindowRecord owner{};
    if (findByChildren(childList, &owner) < 0) return MODWIN_ERR_WINDOW;
    if (!IsWindow(control) || GetParent(control) != owner.window || findChild(childList, control, nullptr) >= 0)
        return MODWIN_ERR_WINDOW;
    ChildRecord c{};
    c.parent = owner.window;
    c.control = control;
    GetWindowRect(control, &c.rect);
    c.parentRect = clientOnScreen(owner.window);
    return listAddItem(childList, &c, sizeof c) < 0 ? MODWIN_ERR_STORAGE : 0;
}

int modwinRemoveWindow(HWND window) {
    if (!g_initialised) return MODWIN_ERR_NOT_INIT;
    WindowRecord r{};
    int id = findWindow(window, &r);
    if (id < 0) return MODWIN_ERR_WINDOW;
    forget(id, r);
    return 0;
}
