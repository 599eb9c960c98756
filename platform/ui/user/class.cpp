// Window classes: a table of registered classes and the predefined ones.
// Class names compare without case; an application class belongs to the
// module that registered it, a predefined class is found for any module.
#include "user/controls.h"
#include "user/window.h"

#include <mutex>
#include <strings.h>

namespace platform::ui {
namespace {

std::recursive_mutex classLock;
std::vector<std::shared_ptr<WindowClass>> &classes() {
    static auto *v = new std::vector<std::shared_ptr<WindowClass>>;
    return *v;
}
ATOM nextAtom = 0xC100;

bool isAtom(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) <= 0xFFFF; }

bool sameName(const WindowClass &c, LPCSTR name) {
    if (isAtom(name)) return c.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    return strcasecmp(c.name.c_str(), name) == 0;
}

void addPredefined(const char *name, ATOM atom, WNDPROC proc, WidgetFactory factory, UINT style = 0,
                   int extra = 0) {
    auto c = std::make_shared<WindowClass>();
    c->name = name;
    c->atom = atom;
    c->proc = proc;
    c->factory = factory;
    c->style = style;
    c->wndExtra = extra;
    c->system = true;
    classes().push_back(std::move(c));
}

std::vector<PredefinedClass> &registered() {
    static auto *v = new std::vector<PredefinedClass>;
    return *v;
}

ATOM registerClass(const WNDCLASSEXA &wc) {
    if (!wc.lpszClassName || isAtom(wc.lpszClassName) || !*wc.lpszClassName || !wc.lpfnWndProc ||
        wc.cbWndExtra < 0 || wc.cbWndExtra > 4096 || wc.cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    classRegisterPredefined();
    std::lock_guard<std::recursive_mutex> g(classLock);
    for (auto &c : classes())
        if (!c->system && c->instance == wc.hInstance && sameName(*c, wc.lpszClassName)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    auto c = std::make_shared<WindowClass>();
    c->name = wc.lpszClassName;
    c->atom = nextAtom++;
    c->style = wc.style;
    c->proc = wc.lpfnWndProc;
    c->clsExtra = wc.cbClsExtra;
    c->wndExtra = wc.cbWndExtra;
    c->instance = wc.hInstance;
    c->icon = wc.hIcon;
    c->iconSmall = wc.hIconSm;
    c->cursor = wc.hCursor;
    c->background = wc.hbrBackground;
    if (wc.lpszMenuName && !isAtom(wc.lpszMenuName)) c->menuName = wc.lpszMenuName;
    classes().push_back(c);
    return c->atom;
}

}  // namespace

PredefinedClassRegistrar::PredefinedClassRegistrar(const PredefinedClass &c) {
    std::lock_guard<std::recursive_mutex> g(classLock);
    registered().push_back(c);
}

void classRegisterPredefined() {
    std::lock_guard<std::recursive_mutex> g(classLock);
    static bool done = false;
    if (done) return;
    done = true;
    addPredefined("BUTTON", 0x80, buttonProc, createButton, CS_DBLCLKS);
    addPredefined("EDIT", 0x81, editProc, createEdit, CS_DBLCLKS);
    addPredefined("STATIC", 0x82, staticProc, createStatic);
    addPredefined("LISTBOX", 0x83, listBoxProc, createListBox, CS_DBLCLKS);
    addPredefined("COMBOBOX", 0x85, comboBoxProc, createComboBox, CS_DBLCLKS);
    addPredefined("#32770", 0x8002, DefDlgProcA, nullptr, CS_SAVEBITS | CS_DBLCLKS, DLGWINDOWEXTRA);
    // Controls registered from their own files get atoms of their own range.
    ATOM atom = 0xC000;
    for (const auto &c : registered()) addPredefined(c.name, atom++, c.proc, c.factory, c.style, c.extra);
}

std::shared_ptr<WindowClass> classFind(LPCSTR name, HINSTANCE instance) {
    if (!name) return nullptr;
    classRegisterPredefined();
    std::lock_guard<std::recursive_mutex> g(classLock);
    // The caller's own class first, then any other module's, then predefined.
    std::shared_ptr<WindowClass> other;
    for (auto &c : classes()) {
        if (!sameName(*c, name)) continue;
        if (!c->system && c->instance == instance) return c;
        if (!other || (other->system && !c->system)) other = c;
    }
    return other;
}

}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

extern "C" {

WINUSERAPI ATOM WINAPI RegisterClassExA(const WNDCLASSEXA *lpWndClass) {
    if (!lpWndClass || lpWndClass->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(*lpWndClass);
}

WINUSERAPI ATOM WINAPI RegisterClassA(const WNDCLASSA *c) {
    if (!c) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA ex{sizeof(WNDCLASSEXA), c->style, c->lpfnWndProc, c->cbClsExtra, c->cbWndExtra, c->hInstance,
                   c->hIcon, c->hCursor, c->hbrBackground, c->lpszMenuName, c->lpszClassName, nullptr};
    return registerClass(ex);
}

WINUSERAPI BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
    std::lock_guard<std::recursive_mutex> g(classLock);
    auto &v = classes();
    for (auto it = v.begin(); it != v.end(); ++it)
        if (!(*it)->system && (*it)->instance == hInstance && sameName(**it, lpClassName)) {
            // Windows of the class keep their reference to it.
            v.erase(it);
            return TRUE;
        }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

WINUSERAPI BOOL WINAPI GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx) {
    auto c = classFind(lpszClass, hInstance);
    if (!c || !lpwcx) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *lpwcx = WNDCLASSEXA{sizeof(WNDCLASSEXA), c->style, c->proc, c->clsExtra, c->wndExtra, c->instance, c->icon,
                         c->cursor, c->background, nullptr, isAtom(lpszClass) ? nullptr : lpszClass, c->iconSmall};
    return c->atom;
}

WINUSERAPI BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
    WNDCLASSEXA ex;
    if (!lpWndClass || !GetClassInfoExA(hInstance, lpClassName, &ex)) return FALSE;
    *lpWndClass = WNDCLASSA{ex.style, ex.lpfnWndProc, ex.cbClsExtra, ex.cbWndExtra, ex.hInstance,
                            ex.hIcon, ex.hCursor, ex.hbrBackground, nullptr, ex.lpszClassName};
    return TRUE;
}

WINUSERAPI int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return copyText(w->cls->name, lpClassName, nMaxCount);
}

WINUSERAPI ULONG_PTR WINAPI GetClassLongPtrA(HWND hWnd, int nIndex) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> g(classLock);
    WindowClass &c = *w->cls;
    switch (nIndex) {
    case GCL_HICON: return reinterpret_cast<ULONG_PTR>(c.icon);
    case GCL_HICONSM: return reinterpret_cast<ULONG_PTR>(c.iconSmall);
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.background);
    case GCL_HMODULE: return reinterpret_cast<ULONG_PTR>(c.instance);
    case GCL_WNDPROC: return reinterpret_cast<ULONG_PTR>(c.proc);
    case GCL_STYLE: return c.style;
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c.wndExtra);
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

WINUSERAPI ULONG_PTR WINAPI SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR v) {
    auto w = windowGet(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> g(classLock);
    WindowClass &c = *w->cls;
    ULONG_PTR old = GetClassLongPtrA(hWnd, nIndex);
    switch (nIndex) {
    case GCL_HICON: c.icon = reinterpret_cast<HICON>(v); break;
    case GCL_HICONSM: c.iconSmall = reinterpret_cast<HICON>(v); break;
    case GCL_HCURSOR: c.cursor = reinterpret_cast<HCURSOR>(v); break;
    case GCL_HBRBACKGROUND: c.background = reinterpret_cast<HBRUSH>(v); break;
    case GCL_STYLE: c.style = static_cast<UINT>(v); break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
    return old;
}

}  // extern "C"
