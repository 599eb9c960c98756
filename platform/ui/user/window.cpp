// Creating and destroying windows, window words, text, relations and
// lookups, and the calls of window procedures.
#include "user/window.h"

#include "core/app.h"
#include "user/input.h"
#include "user/queue.h"
#include "user/sizing.h"
#include "user/remote_windows.h"

#include <QApplication>
#include <QComboBox>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <strings.h>

namespace platform::ui {
namespace {

// Top-level windows in creation order; read from any thread by FindWindowA.
std::mutex topLock;
std::vector<HWND> &topLevels() {
    static auto *v = new std::vector<HWND>;
    return *v;
}

constexpr HandleValue kDesktop = 0x7FFFFFF4;  // beyond the table's values
HWND desktopHandle() { return handleFromValue<HWND>(kDesktop); }

thread_local int sendDepth = 0;

const char kHwndProperty[] = "platformHwnd";

void tagWidget(QWidget *w, HWND hwnd) { w->setProperty(kHwndProperty, QVariant::fromValue<qulonglong>(handleValue(hwnd))); }

// The window widget of a new window, with its client widget: a top-level
// window is a Qt window holding the client (and later a menu bar).
void makeWidgets(WindowObject &w, HWND parent) {
    QWidget *parentWidget = nullptr;
    if (w.style & WS_CHILD) parentWidget = windowClientWidget(parent);
    QWidget *inner;
    if (w.cls->factory) inner = w.cls->factory(w, nullptr);
    else inner = createHostWidget(w.hwnd, nullptr);
    if (parentWidget) {
        inner->setParent(parentWidget);
        inner->hide();  // until ShowWindow: a child without WS_VISIBLE stays hidden
        w.widget = inner;
        w.client = inner;
    } else {
        Qt::WindowFlags flags = Qt::Window;
        if (w.exStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
        if (w.exStyle & WS_EX_TOOLWINDOW) flags |= Qt::Tool;
        auto *frame = new QWidget(nullptr, flags);
        // Owned windows stay above their owner: a transient parent, not a Qt
        // parent, so that disabling the owner (a modal dialog's) leaves the
        // owned window enabled.
        if (QWidget *ownerWidget = windowWidget(w.owner.load())) {
            frame->winId();
            ownerWidget->window()->winId();
            frame->windowHandle()->setTransientParent(ownerWidget->window()->windowHandle());
        }
        auto *layout = new QVBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(inner);
        tagWidget(frame, w.hwnd);
        w.widget = frame;
        w.client = inner;
    }
    tagWidget(inner, w.hwnd);
    if (w.cls->factory && parentWidget) ctlColorWatch(w.hwnd, w.cls->name, inner);
    if (w.style & WS_DISABLED) w.widget->setEnabled(false);
}

void placeWindow(WindowObject &w, int x, int y, int cx, int cy) {
    if (x == CW_USEDEFAULT) x = (w.style & WS_CHILD) ? 0 : 100, y = (w.style & WS_CHILD) ? 0 : 100;
    if (cx == CW_USEDEFAULT) cx = 400, cy = 300;
    cx = std::max(cx, 0), cy = std::max(cy, 0);
    // A combo box is as high as its closed field; the given height counts its list.
    if (qobject_cast<QComboBox *>(w.widget.data())) cy = w.widget->sizeHint().height();
    if (w.style & WS_CHILD) {
        w.widget->setGeometry(x, y, cx, cy);
    } else {
        w.widget->move(x, y);
        w.widget->resize(cx, cy);
        sizingPlaced(w.widget);
    }
}

void destroyRecursive(const std::shared_ptr<WindowObject> &w);

void destroyOwned(HWND owner) {
    std::vector<HWND> owned;
    {
        std::lock_guard<std::mutex> g(topLock);
        for (HWND h : topLevels())
            if (auto o = windowGet(h); o && o->owner.load() == owner) owned.push_back(h);
    }
    for (HWND h : owned)
        if (auto o = windowGet(h)) destroyRecursive(o);
}

// WM_DESTROY to the window, then its children are destroyed (each with its
// WM_DESTROY and WM_NCDESTROY), then WM_NCDESTROY to the window; the handle
// is gone after that.
void destroyRecursive(const std::shared_ptr<WindowObject> &w) {
    if (w->destroying) return;
    w->destroying = true;
    HWND hwnd = w->hwnd;
    destroyOwned(hwnd);
    if (w->widget && !(w->style & WS_CHILD)) w->widget->hide();
    if (GetCapture() == hwnd) ReleaseCapture();
    callWindowProc(w->proc.load(), hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children = w->children;
    for (HWND c : children)
        if (auto cw = windowGet(c)) destroyRecursive(cw);
    callWindowProc(w->proc.load(), hwnd, WM_NCDESTROY, 0, 0);
    menuDestroyedWindow(hwnd);
    queueForgetWindow(hwnd);
    if (HWND parent = w->parent.load()) {
        if (auto pw = windowGet(parent)) std::erase(pw->children, hwnd);
    } else {
        remoteUnregister(hwnd);
        std::lock_guard<std::mutex> g(topLock);
        std::erase(topLevels(), hwnd);
    }
    handleRemove(handleValue(hwnd));
    if (w->widget) {
        w->widget->setProperty(kHwndProperty, QVariant());
        if (w->client) w->client->setProperty(kHwndProperty, QVariant());
        w->widget->hide();
        // Later, since the widget may be the one whose event led here.
        w->widget->deleteLater();
    }
}

}  // namespace

WindowObject::~WindowObject() = default;

std::shared_ptr<WindowObject> windowGet(HWND hwnd) {
    if (!hwnd) return nullptr;
    return handleGet<WindowObject>(hwnd);
}

HWND windowFromWidget(const QWidget *w) {
    for (; w; w = w->parentWidget()) {
        QVariant v = w->property(kHwndProperty);
        if (v.isValid()) return handleFromValue<HWND>(static_cast<HandleValue>(v.toULongLong()));
    }
    return nullptr;
}

QWidget *windowWidget(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? w->widget.data() : nullptr;
}

QWidget *windowClientWidget(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? w->client.data() : nullptr;
}

LRESULT callWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!proc) return 0;
    ++sendDepth;
    LRESULT r = proc(hwnd, msg, wParam, lParam);
    --sendDepth;
    return r;
}

LRESULT sendDirect(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hwnd);
    if (!w) return 0;
    return callWindowProc(w->proc.load(), hwnd, msg, wParam, lParam);
}

void notifyParent(HWND control, WORD code) {
    auto w = windowGet(control);
    if (!w) return;
    HWND parent = w->parent.load();
    if (!parent) return;
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id.load()), code),
                 reinterpret_cast<LPARAM>(control));
}

}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

extern "C" {

WINUSERAPI HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                                       int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                                       HINSTANCE hInstance, LPVOID lpParam) {
    if (!uiApplication() || !uiOnMainThread()) {
        SetLastError(ERROR_INVALID_THREAD_ID);  // windows live on the user-interface thread
        return nullptr;
    }
    inputInstall();
    auto cls = classFind(lpClassName, hInstance);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (hWndParent == HWND_MESSAGE) hWndParent = nullptr;
    std::shared_ptr<WindowObject> parentWindow;
    if (hWndParent) {
        parentWindow = windowGet(hWndParent);
        if (!parentWindow) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    } else if (dwStyle & WS_CHILD) {
        SetLastError(ERROR_INVALID_PARAMETER);  // a child needs a parent
        return nullptr;
    }
    auto w = std::make_shared<WindowObject>();
    w->cls = cls;
    w->threadId = GetCurrentThreadId();
    queueAttach();
    w->proc = cls->proc;
    w->style = static_cast<LONG>(dwStyle);
    w->exStyle = static_cast<LONG>(dwExStyle);
    w->instance = hInstance;
    w->extra.assign(static_cast<size_t>(cls->wndExtra), 0);
    if (dwStyle & WS_CHILD) {
        w->parent = hWndParent;
        w->id = reinterpret_cast<LONG_PTR>(hMenu);
    } else if (hWndParent) {
        w->owner = GetAncestor(hWndParent, GA_ROOT);
    }
    if (lpWindowName && !(reinterpret_cast<uintptr_t>(lpWindowName) <= 0xFFFF)) w->text = lpWindowName;
    HWND hwnd = handleNew<HWND>(w);
    if (!hwnd) return nullptr;
    w->hwnd = hwnd;
    makeWidgets(*w, hWndParent);
    placeWindow(*w, X, Y, nWidth, nHeight);
    if (dwStyle & WS_CHILD) parentWindow->children.push_back(hwnd);
    else {
        std::lock_guard<std::mutex> g(topLock);
        topLevels().push_back(hwnd);
    }
    // Unowned top-level windows of application classes can be found and
    // posted to by the user's other processes.
    if (!(dwStyle & WS_CHILD) && !hWndParent && !cls->system) remoteRegister(hwnd, cls->name, cls->instance, dwExStyle);
    if (!(dwStyle & WS_CHILD) && hMenu) SetMenu(hwnd, hMenu);

    CREATESTRUCTA cs{lpParam, hInstance, hMenu, hWndParent, nHeight, nWidth, Y, X, static_cast<LONG>(dwStyle),
                     lpWindowName, lpClassName, dwExStyle};
    if (!sendDirect(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        sendDirect(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsWindow(hwnd)) return nullptr;  // destroyed by its own procedure
    if (w->text.size() && !(w->style & WS_CHILD)) w->widget->setWindowTitle(fromAnsi(w->text));
    if (dwStyle & WS_VISIBLE) {
        w->style &= ~static_cast<LONG>(WS_VISIBLE);
        ShowWindow(hwnd, SW_SHOW);
    }
    return hwnd;
}

WINUSERAPI BOOL WINAPI DestroyWindow(HWND hWnd) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);  // only the window's own thread destroys it
        return FALSE;
    }
    destroyRecursive(w);
    return TRUE;
}

WINUSERAPI BOOL WINAPI IsWindow(HWND hWnd) { return windowGet(hWnd) != nullptr; }

WINUSERAPI BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
    auto w = windowGet(hWnd);
    while (w) {
        HWND p = w->parent.load();
        if (!p) return FALSE;
        if (p == hWndParent) return TRUE;
        w = windowGet(p);
    }
    return FALSE;
}

WINUSERAPI HWND WINAPI GetParent(HWND hWnd) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (w->style & WS_CHILD) return w->parent.load();
    return w->owner.load();
}

WINUSERAPI HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent) {
    auto w = windowGet(hWndChild);
    auto np = windowGet(hWndNewParent);
    if (!w || (hWndNewParent && !np) || !(w->style & WS_CHILD) || !np) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND old = w->parent.load();
    if (auto op = windowGet(old)) std::erase(op->children, hWndChild);
    np->children.push_back(hWndChild);
    w->parent = hWndNewParent;
    QPoint pos = w->widget->pos();
    bool shown = !w->widget->isHidden();
    w->widget->setParent(np->client);
    w->widget->move(pos);
    if (shown) w->widget->show();
    return old;
}

WINUSERAPI HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags) {
    auto w = windowGet(hwnd);
    if (!w) return nullptr;
    switch (gaFlags) {
    case GA_PARENT: return w->parent.load() ? w->parent.load() : desktopHandle();
    case GA_ROOT:
        while (HWND p = w->parent.load()) hwnd = p, w = windowGet(p);
        return hwnd;
    case GA_ROOTOWNER:
        for (;;) {
            HWND p = w->parent.load() ? w->parent.load() : w->owner.load();
            if (!p) return hwnd;
            hwnd = p;
            w = windowGet(p);
            if (!w) return hwnd;
        }
    default: return nullptr;
    }
}

WINUSERAPI HWND WINAPI GetDesktopWindow(void) { return desktopHandle(); }

WINUSERAPI HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    std::vector<HWND> siblings;
    if (hWnd == desktopHandle()) {
        if (uCmd != GW_CHILD) return nullptr;
        std::lock_guard<std::mutex> g(topLock);
        return topLevels().empty() ? nullptr : topLevels().front();
    }
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (uCmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    if (uCmd == GW_OWNER) return w->owner.load();
    if (HWND p = w->parent.load()) {
        if (auto pw = windowGet(p)) siblings = pw->children;
    } else {
        std::lock_guard<std::mutex> g(topLock);
        siblings = topLevels();
    }
    auto it = std::find(siblings.begin(), siblings.end(), hWnd);
    if (it == siblings.end()) return nullptr;
    switch (uCmd) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return it + 1 == siblings.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == siblings.begin() ? nullptr : *(it - 1);
    default: return nullptr;
    }
}

WINUSERAPI BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    auto w = windowGet(hWndParent);
    if (!w || !lpEnumFunc) return FALSE;
    std::vector<HWND> children = w->children;
    for (HWND c : children) {
        if (!IsWindow(c)) continue;
        if (!lpEnumFunc(c, lParam)) return FALSE;
        if (!EnumChildWindows(c, lpEnumFunc, lParam) && windowGet(c) && !windowGet(c)->children.empty()) return FALSE;
    }
    return TRUE;
}

WINUSERAPI HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass, LPCSTR lpszWindow) {
    std::vector<HWND> list;
    if (hWndParent && hWndParent != desktopHandle()) {
        auto p = windowGet(hWndParent);
        if (!p) return nullptr;
        list = p->children;
    } else {
        std::lock_guard<std::mutex> g(topLock);
        list = topLevels();
    }
    bool started = hWndChildAfter == nullptr;
    for (HWND h : list) {
        if (!started) {
            started = h == hWndChildAfter;
            continue;
        }
        auto w = windowGet(h);
        if (!w) continue;
        if (lpszClass) {
            auto c = classFind(lpszClass, w->instance.load());
            if (c != w->cls && !(reinterpret_cast<uintptr_t>(lpszClass) > 0xFFFF &&
                                 strcasecmp(lpszClass, w->cls->name.c_str()) == 0))
                continue;
        }
        if (lpszWindow) {
            char text[512];
            GetWindowTextA(h, text, sizeof text);
            if (std::strcmp(text, lpszWindow) != 0) continue;
        }
        return h;
    }
    // No window of this process: a top-level window of another process of
    // this user, looked up by class name.
    if ((!hWndParent || hWndParent == desktopHandle()) && !hWndChildAfter) return remoteFind(lpszClass, lpszWindow);
    return nullptr;
}

WINUSERAPI HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    return FindWindowExA(nullptr, nullptr, lpClassName, lpWindowName);
}

WINUSERAPI DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    auto w = windowGet(hWnd);
    if (!w) return 0;
    if (lpdwProcessId) *lpdwProcessId = GetCurrentProcessId();
    return w->threadId;
}

WINUSERAPI LONG_PTR WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc.load());
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance.load());
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent.load() ? w->parent.load() : w->owner.load());
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<DWORD>(w->style.load()));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<DWORD>(w->exStyle.load()));
    case GWL_USERDATA: return w->userData.load();
    case GWL_ID: return w->id.load();
    default: break;
    }
    if (w->dialog) {
        if (nIndex == DWL_MSGRESULT) return w->dialog->msgResult.load();
        if (nIndex == DWL_DLGPROC) return reinterpret_cast<LONG_PTR>(w->dialog->proc.load());
        if (nIndex == DWL_USER) return w->dialog->user.load();
    }
    if (nIndex >= 0 && static_cast<size_t>(nIndex) + sizeof(LONG) <= w->extra.size()) {
        LONG_PTR v = 0;
        size_t n = std::min(sizeof v, w->extra.size() - static_cast<size_t>(nIndex));
        std::memcpy(&v, w->extra.data() + nIndex, n);
        if (n < sizeof v) v = static_cast<LONG>(v);
        return v;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

WINUSERAPI LONG_PTR WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG_PTR v) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = GetWindowLongA(hWnd, nIndex);
    switch (nIndex) {
    case GWL_WNDPROC:
        if (!v) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        w->proc = reinterpret_cast<WNDPROC>(v);
        // A subclassed control hears the pointer move over it, as a new
        // procedure expects WM_MOUSEMOVE with no button held.
        if (w->cls && w->cls->factory && w->widget) {
            QPointer<QWidget> widget = w->widget;
            onUiThread([widget] {
                if (widget) widget->setMouseTracking(true);
            });
        }
        return old;
    case GWL_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(v); return old;
    case GWL_HWNDPARENT:
        if (!(w->style & WS_CHILD)) w->owner = reinterpret_cast<HWND>(v);
        return old;
    case GWL_STYLE: {
        STYLESTRUCT ss{static_cast<DWORD>(old), static_cast<DWORD>(v)};
        w->style = static_cast<LONG>(v);
        sendDirect(hWnd, WM_STYLECHANGED, static_cast<WPARAM>(GWL_STYLE), reinterpret_cast<LPARAM>(&ss));
        return old;
    }
    case GWL_EXSTYLE: w->exStyle = static_cast<LONG>(v); return old;
    case GWL_USERDATA: w->userData = v; return old;
    case GWL_ID: w->id = v; return old;
    default: break;
    }
    if (w->dialog) {
        if (nIndex == DWL_MSGRESULT) return w->dialog->msgResult.exchange(v);
        if (nIndex == DWL_DLGPROC) return reinterpret_cast<LONG_PTR>(w->dialog->proc.exchange(reinterpret_cast<DLGPROC>(v)));
        if (nIndex == DWL_USER) return w->dialog->user.exchange(v);
    }
    if (nIndex >= 0 && static_cast<size_t>(nIndex) + sizeof(LONG) <= w->extra.size()) {
        size_t n = std::min(sizeof v, w->extra.size() - static_cast<size_t>(nIndex));
        std::memcpy(w->extra.data() + nIndex, &v, n);
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

WINUSERAPI LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return callWindowProc(lpPrevWndFunc, hWnd, Msg, wParam, lParam);
}

WINUSERAPI BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : "")) != 0;
}

WINUSERAPI int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString && nMaxCount > 0) *lpString = '\0';
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(std::max(nMaxCount, 0)),
                                         reinterpret_cast<LPARAM>(lpString)));
}

WINUSERAPI int WINAPI GetWindowTextLengthA(HWND hWnd) {
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

}  // extern "C"
