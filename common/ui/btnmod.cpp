// btnmod: owner-drawn push buttons with an icon, themed or classic.
#include "btnmod.h"

#include "listmod.h"
#include "zellog.h"

#include <win/uxtheme.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#ifndef WM_QUERYUISTATE
#define WM_QUERYUISTATE 0x0129
#endif
#ifndef UISF_HIDEACCEL
#define UISF_HIDEACCEL 0x2
#endif

namespace {

struct BtnRecord {
    HWND window;
    HICON icon;
    char *text;
    int hot;
    WNDPROC previous;
    int placement;
    LONG previousStyle;
    HTHEME theme;
};

constexpr int kMaxText = 511;

struct BtnState {
    bool initialised = false;
    bool themed = false;
    HMODULE theme = nullptr;
    PFN_OpenThemeData openTheme = nullptr;
    PFN_DrawThemeBackground drawBackground = nullptr;
    PFN_CloseThemeData closeTheme = nullptr;
    PFN_DrawThemeText drawText = nullptr;
    PFN_GetThemeBackgroundContentRect contentRect = nullptr;
    int list = -1;
    bool ownsListModule = false;
} g_btn;

// Finds the record of a button: its item id, or -1.
int findButton(HWND button, BtnRecord *out) {
    if (!button || g_btn.list < 0) return -1;
    int count = listGetCount(g_btn.list);
    for (int i = 0; i < count; ++i) {
        int id = listGetItemId(g_btn.list, i);
        BtnRecord r;
        if (id >= 0 && listGetItem(g_btn.list, id, &r, sizeof r) == sizeof r && r.window == button) {
            if (out) *out = r;
            return id;
        }
    }
    return -1;
}

std::vector<int> allIds() {
    std::vector<int> ids;
    int count = g_btn.list >= 0 ? listGetCount(g_btn.list) : 0;
    for (int i = 0; i < count; ++i)
        if (int id = listGetItemId(g_btn.list, i); id >= 0) ids.push_back(id);
    return ids;
}

// Undoes a registration: theme, icon, text, style and procedure.
void release(int id, const BtnRecord &r, bool windowAlive) {
    if (r.theme && g_btn.closeTheme) g_btn.closeTheme(r.theme);
    if (r.icon) DestroyIcon(r.icon);
    std::free(r.text);
    if (windowAlive && IsWindow(r.window)) {
        SetWindowLongA(r.window, GWL_STYLE, r.previousStyle);
        SetWindowLongPtrA(r.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(r.previous));
        InvalidateRect(r.window, nullptr, TRUE);
    }
    listDeleteItem(g_btn.list, id);
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    BtnRecord r;
    int id = findButton(hwnd, &r);
    if (id < 0) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_MOUSEMOVE) {
        if (!r.hot) {
            r.hot = 1;
            listUpdateItem(g_btn.list, id, &r, sizeof r);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        // A button destroyed while registered leaves no record behind, so a
        // later window with the same handle is not taken for it.
        release(id, r, false);
    }
    return CallWindowProcA(r.previous, hwnd, msg, wParam, lParam);
}

void iconSize(HICON icon, int *w, int *h) {
    *w = *h = 0;
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return;
    BITMAP bm{};
    HBITMAP source = info.hbmColor ? info.hbmColor : info.hbmMask;
    if (source && GetObjectA(source, sizeof bm, &bm)) {
        *w = bm.bmWidth;
        *h = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

// Button text (Windows-1252) as UTF-16 for the theme's text drawing.
std::vector<WCHAR> wide(const char *text) {
    static const WCHAR high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::vector<WCHAR> out;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p)
        out.push_back(*p >= 0x80 && *p < 0xA0 ? high[*p - 0x80] : static_cast<WCHAR>(*p));
    out.push_back(0);
    return out;
}

}  // namespace

int btnmodInit(void) {
    if (g_btn.initialised) return -1;
    int li = listInit();
    if (li != 0 && li != -1) return -3;
    g_btn.ownsListModule = li == 0;
    g_btn.list = listCreate();
    if (g_btn.list < 0) {
        if (g_btn.ownsListModule) listShutdown();
        g_btn.ownsListModule = false;
        return -3;
    }
    g_btn.themed = false;
    g_btn.theme = LoadLibraryA("UXTHEME.DLL");
    if (g_btn.theme) {
        g_btn.openTheme = reinterpret_cast<PFN_OpenThemeData>(GetProcAddress(g_btn.theme, "OpenThemeData"));
        g_btn.drawBackground =
            reinterpret_cast<PFN_DrawThemeBackground>(GetProcAddress(g_btn.theme, "DrawThemeBackground"));
        g_btn.closeTheme = reinterpret_cast<PFN_CloseThemeData>(GetProcAddress(g_btn.theme, "CloseThemeData"));
        g_btn.drawText = reinterpret_cast<PFN_DrawThemeText>(GetProcAddress(g_btn.theme, "DrawThemeText"));
        g_btn.contentRect = reinterpret_cast<PFN_GetThemeBackgroundContentRect>(
            GetProcAddress(g_btn.theme, "GetThemeBackgroundContentRect"));
        g_btn.themed = g_btn.openTheme && g_btn.drawBackground && g_btn.closeTheme && g_btn.drawText && g_btn.contentRect;
        if (!g_btn.themed) {
            FreeLibrary(g_btn.theme);
            g_btn.theme = nullptr;
            g_btn.openTheme = nullptr, g_btn.drawBackground = nullptr, g_btn.closeTheme = nullptr;
            g_btn.drawText = nullptr, g_btn.contentRect = nullptr;
        }
    }
    g_btn.initialised = true;
    return 0;
}

int btnmodAddButton(HWND button) {
    if (!g_btn.initialised) return -1;
    if (!IsWindow(button)) return -2;
    if (findButton(button, nullptr) >= 0) return 0;
    BtnRecord r{};
    r.window = button;
    r.placement = BTNMOD_ICON_RIGHT;
    char text[kMaxText + 1] = "";
    int n = GetWindowTextA(button, text, sizeof text);
    if (n > 0) {
        r.text = static_cast<char *>(std::malloc(static_cast<size_t>(n) + 1));
        if (!r.text) return -3;
        std::memcpy(r.text, text, static_cast<size_t>(n) + 1);
    }
    r.previousStyle = GetWindowLongA(button, GWL_STYLE);
    r.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_WNDPROC));
    if (g_btn.themed) {
        static const WCHAR kButton[] = {'B', 'u', 't', 't', 'o', 'n', 0};
        r.theme = g_btn.openTheme(button, kButton);
    }
    if (listAddItem(g_btn.list, &r, sizeof r) < 0) {
        if (r.theme) g_btn.closeTheme(r.theme);
        std::free(r.text);
        return -3;
    }
    SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonProc));
    if ((r.previousStyle & BS_TYPEMASK) != BS_OWNERDRAW) {
        SetWindowLongA(button, GWL_STYLE, (r.previousStyle & ~static_cast<LONG>(BS_TYPEMASK)) | BS_OWNERDRAW);
        InvalidateRect(button, nullptr, TRUE);
    }
    return 0;
}

int btnmodSetOption(HWND button, int option, const void *value, int size) {
    if (!g_btn.initialised) return -1;
    std::vector<int> ids;
    if (button) {
        int id = findButton(button, nullptr);
        if (id < 0) return -2;
        ids.push_back(id);
    } else if (option == BTNMOD_OPTION_CLEARHOT || option == BTNMOD_OPTION_PLACEMENT) {
        ids = allIds();
    } else {
        return -2;
    }
    if (option == BTNMOD_OPTION_PLACEMENT && (!value || size != 4)) return -2;
    for (int id : ids) {
        BtnRecord r;
        if (listGetItem(g_btn.list, id, &r, sizeof r) != sizeof r) continue;
        switch (option) {
        case BTNMOD_OPTION_ICON:
            if (r.icon) DestroyIcon(r.icon);
            r.icon = value ? *static_cast<const HICON *>(value) : nullptr;
            break;
        case BTNMOD_OPTION_CLEARHOT: r.hot = 0; break;
        case BTNMOD_OPTION_PLACEMENT: std::memcpy(&r.placement, value, 4); break;
        default: return -2;
        }
        listUpdateItem(g_btn.list, id, &r, sizeof r);
        InvalidateRect(r.window, nullptr, FALSE);
    }
    return 0;
}

int btnmodDrawItem(const DRAWITEMSTRUCT *item) {
    if (!g_btn.initialised) return -1;
    BtnRecord r;
    if (!item || findButton(item->hwndItem, &r) < 0) return -2;
    HDC dc = item->hDC;
    RECT rc = item->rcItem;
    UINT state = item->itemState;
    bool disabled = state & ODS_DISABLED, pressed = state & ODS_SELECTED, focused = state & ODS_FOCUS;
    bool themed = g_btn.themed && r.theme;

    // Background.
    if (themed) {
        int s = disabled ? PBS_DISABLED : pressed ? PBS_PRESSED : r.hot ? PBS_HOT : focused ? PBS_DEFAULTED : PBS_NORMAL;
        g_btn.drawBackground(r.theme, dc, BP_PUSHBUTTON, s, &rc, nullptr);
    } else {
        RECT face = rc;
        if (focused) {
            FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWTEXT));
            InflateRect(&face, -1, -1);
        }
        FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
        if (pressed) FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
        else DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (r.hot ? DFCS_HOT : 0));
    }

    // Layout: the text's size, then where text and icon go.
    const char *text = r.text ? r.text : "";
    UINT prefix = (SendMessageA(item->hwndItem, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
    RECT measure = rc;
    DrawTextA(dc, text, -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | prefix);
    int tw = measure.right - measure.left, th = measure.bottom - measure.top;
    int bw = rc.right - rc.left, bh = rc.bottom - rc.top;
    RECT textRc;
    int iw = 0, ih = 0, ix = 0, iy = 0;
    iconSize(r.icon, &iw, &ih);
    if (!r.icon || iw == 0) {
        textRc.left = rc.left + (bw - tw) / 2;
        textRc.top = rc.top + (bh - th) / 2 - 1;
    } else if (r.placement == BTNMOD_ICON_LEFT) {
        ix = rc.left + 5;
        iy = rc.top + (bh - ih) / 2;
        textRc.left = ix + iw + 5;
        textRc.top = rc.top + (bh - th) / 2;
    } else {
        ix = rc.right - 5 - iw;
        iy = rc.top + (bh - ih) / 2;
        int wideW = tw + iw + 5;
        textRc.left = rc.left + (wideW - tw) / 2;
        textRc.top = rc.top + (bh - th) / 2;
    }
    textRc.right = textRc.left + tw;
    textRc.bottom = textRc.top + th;
    if (pressed) {
        OffsetRect(&textRc, 1, 1);
        ++ix, ++iy;
    }

    // Icon.
    if (r.icon && iw)
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(r.icon), 0, ix, iy, iw, ih,
                   DST_ICON | (disabled ? DSS_DISABLED : 0));

    // Text.
    int oldMode = SetBkMode(dc, TRANSPARENT);
    if (themed) {
        std::vector<WCHAR> w = wide(text);
        g_btn.drawText(r.theme, dc, BP_PUSHBUTTON, disabled ? PBS_DISABLED : PBS_NORMAL, w.data(), -1,
                       DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix, 0, &textRc);
    } else if (!disabled) {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        DrawTextA(dc, text, -1, &textRc, DT_CENTER | DT_WORDBREAK | prefix);
    } else {
        RECT raised = textRc;
        OffsetRect(&raised, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, text, -1, &raised, DT_CENTER | DT_WORDBREAK | prefix);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextA(dc, text, -1, &textRc, DT_CENTER | DT_WORDBREAK | prefix);
    }
    SetBkMode(dc, oldMode);

    // Focus.
    if (focused) {
        RECT f = rc;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
    return 0;
}

int btnmodRemoveButton(HWND button) {
    if (!g_btn.initialised) return -1;
    BtnRecord r;
    int id = findButton(button, &r);
    if (id < 0) return -3;
    release(id, r, true);
    return 0;
}

int btnmodShutdown(void) {
    if (!g_btn.initialised) return -1;
    for (int id : allIds()) {
        BtnRecord r;
        if (listGetItem(g_btn.list, id, &r, sizeof r) == sizeof r) release(id, r, true);
    }
    if (int rc = listDestroy(g_btn.list); rc < 0) zelextLog("cradle", 5, "listDestroy() returned error code %d", rc);
    g_btn.list = -1;
    if (g_btn.ownsListModule) listShutdown();
    g_btn.ownsListModule = false;
    if (g_btn.theme) FreeLibrary(g_btn.theme);
    g_btn = BtnState{};
    return 0;
}

int btnmodIsThemed(void) { return g_btn.initialised ? (g_btn.themed ? 1 : 0) : -1; }

int btnmodIsHot(HWND button) {
    BtnRecord r;
    if (!g_btn.initialised || findButton(button, &r) < 0) return -2;
    return r.hot;
}
