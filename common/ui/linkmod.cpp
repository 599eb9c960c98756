// linkmod: hyperlinks on static controls. Each registered control's window
// procedure is replaced: it shows the hand cursor, tracks the pointer over
// the link (WM_MOUSEMOVE, then WM_MOUSELEAVE), and opens the target when the
// button is released on it.
#include "linkmod.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Link {
    HWND control;
    HFONT font;          // underlined copy of the control's font
    HFONT originalFont;  // given back at shutdown
    char *target;
    WNDPROC previous;
    bool hovered;
    bool pressed;
};

struct LinkState {
    bool initialised = false;
    HCURSOR hover = nullptr;
    HCURSOR pressedCursor = nullptr;
    Link links[LINKMOD_MAX_LINKS] = {};
} g_link;

Link *findLink(HWND control) {
    if (!control) return nullptr;
    for (Link &l : g_link.links)
        if (l.control == control) return &l;
    return nullptr;
}

void openTarget(const Link &l) {
    if (l.target) {
        ShellExecuteA(GetParent(l.control), "open", l.target, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    char text[256] = "";
    GetWindowTextA(l.control, text, sizeof text);
    char *save = nullptr;
    for (char *token = strtok_r(text, " \t\r\n", &save); token; token = strtok_r(nullptr, " \t\r\n", &save)) {
        if (std::strstr(token, "http://") || std::strstr(token, "https://")) {
            ShellExecuteA(GetParent(l.control), "open", token, nullptr, nullptr, SW_SHOWNORMAL);
            break;
        }
        if (std::strchr(token, '@')) {
            char mail[300];
            std::snprintf(mail, sizeof mail, "mailto:%s", token);
            ShellExecuteA(GetParent(l.control), "open", mail, nullptr, nullptr, SW_SHOWNORMAL);
        }
    }
}

// Frees what a link holds; with restore, the control gets its own font and
// procedure back.
void releaseLink(Link &l, bool restore) {
    if (restore && IsWindow(l.control)) {
        SetWindowLongPtrA(l.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(l.previous));
        SendMessageA(l.control, WM_SETFONT, reinterpret_cast<WPARAM>(l.originalFont), TRUE);
    }
    if (l.font) DeleteObject(l.font);
    std::free(l.target);
    l = Link{};
}

LRESULT CALLBACK linkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Link *l = findLink(hwnd);
    if (!l) return DefWindowProcA(hwnd, msg, wParam, lParam);
    WNDPROC previous = l->previous;
    switch (msg) {
    case WM_SETCURSOR:
        SetCursor(l->pressed ? g_link.pressedCursor : g_link.hover);
        return TRUE;
    case WM_MOUSEMOVE:
        if (!l->hovered) {
            l->hovered = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        SetCursor(l->pressed ? g_link.pressedCursor : g_link.hover);
        break;
    case WM_LBUTTONDOWN:
        l->pressed = true;
        l->hovered = true;
        SetCursor(g_link.pressedCursor);
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_LBUTTONUP: {
        bool wasPressed = l->pressed;
        l->pressed = false;
        l->hovered = false;
        SetCursor(g_link.hover);
        InvalidateRect(hwnd, nullptr, TRUE);
        if (wasPressed) openTarget(*l);
        break;
    }
    case WM_MOUSELEAVE:
        l->hovered = false;
        l->pressed = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_NCDESTROY:
        // A control destroyed before shutdown gives its slot back, so a later
        // window with the same handle is not taken for the link.
        releaseLink(*l, false);
        break;
    default: break;
    }
    return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}

HCURSOR loadCursor(HMODULE module, int id) {
    HCURSOR c = module ? LoadCursorA(module, MAKEINTRESOURCEA(id)) : nullptr;
    return c;
}

}  // namespace

int linkmodInit(HMODULE cursors) {
    if (g_link.initialised) return -1;
    g_link = LinkState{};
    // The host's cursors, or the UPnP plug-in's; the standard hand otherwise.
    g_link.hover = loadCursor(cursors, 110);
    g_link.pressedCursor = loadCursor(cursors, 111);
    if (!g_link.hover) g_link.hover = loadCursor(cursors, 133), g_link.pressedCursor = loadCursor(cursors, 134);
    if (!g_link.hover) g_link.hover = LoadCursorA(nullptr, IDC_HAND);
    if (!g_link.pressedCursor) g_link.pressedCursor = g_link.hover;
    g_link.initialised = true;
    return 0;
}

int linkmodAddLink(HWND control, LPCSTR target) {
    if (!g_link.initialised) return -1;
    if (!IsWindow(control)) return -2;
    if (findLink(control)) return 0;
    Link *slot = nullptr;
    for (Link &free : g_link.links)
        if (!free.control) {
            slot = &free;
            break;
        }
    if (!slot) return -2;
    Link l{};
    l.control = control;
    l.originalFont = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    HGDIOBJ base = l.originalFont ? static_cast<HGDIOBJ>(l.originalFont) : GetStockObject(DEFAULT_GUI_FONT);
    if (!GetObjectA(base, sizeof lf, &lf)) return -2;
    lf.lfUnderline = TRUE;
    l.font = CreateFontIndirectA(&lf);
    if (target) {
        l.target = static_cast<char *>(std::malloc(std::strlen(target) + 1));
        if (!l.target) {
            if (l.font) DeleteObject(l.font);
            return -2;
        }
        std::strcpy(l.target, target);
    }
    l.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
    *slot = l;
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc));
    if (l.font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(l.font), TRUE);
    return 0;
}

HBRUSH linkmodCtlColor(HDC dc, HWND control) {
    if (!g_link.initialised) return nullptr;
    Link *l = findLink(control);
    if (!l) return nullptr;
    if (l->font) SelectObject(dc, l->font);
    SetTextColor(dc, l->hovered ? RGB(0, 0, 192) : RGB(0, 0, 255));
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

int linkmodShutdown(void) {
    if (!g_link.initialised) return -1;
    for (Link &l : g_link.links)
        if (l.control) releaseLink(l, true);
    g_link = LinkState{};
    return 0;
}
