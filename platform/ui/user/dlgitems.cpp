// Dialog items and the dialog manager's keyboard: Tab through WS_TABSTOP
// controls, arrows within a WS_GROUP group, Enter for the default button,
// Escape for IDCANCEL. Controls inside child dialogs with DS_CONTROL (pages)
// take part in their parent dialog's navigation.
#include "user/dialog.h"
#include "user/window.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace platform;
using namespace platform::ui;

namespace {

bool isControlParent(HWND h) { return (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0; }

// Judged by the control's own styles, so that a dialog not shown yet (during
// WM_INITDIALOG) has its tab stops.
bool canFocus(HWND h) {
    LONG style = static_cast<LONG>(GetWindowLongA(h, GWL_STYLE));
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

// The controls of a dialog in navigation order, descending into pages.
void flatten(HWND parent, std::vector<HWND> *out) {
    auto w = windowGet(parent);
    if (!w) return;
    for (HWND c : w->children) {
        if (isControlParent(c)) {
            if (canFocus(c)) flatten(c, out);
        } else {
            out->push_back(c);
        }
    }
}

LRESULT dlgCode(HWND h, const MSG *m) {
    return SendMessageA(h, WM_GETDLGCODE, m ? m->wParam : 0, reinterpret_cast<LPARAM>(m));
}

bool isPushButton(LRESULT code) { return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0; }

void moveFocus(HWND to) {
    if (!to) return;
    SetFocus(to);
    if (dlgCode(to, nullptr) & DLGC_HASSETSEL) SendMessageA(to, EM_SETSEL, 0, -1);
}

// Enter or Escape: the command they stand for; true if handled.
bool commandKey(HWND dlg, HWND focus, WPARAM vk, LRESULT code) {
    if (code & DLGC_WANTMESSAGE) return false;  // the control takes this key itself
    if (vk == VK_ESCAPE) {
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
        return true;
    }
    if (vk != VK_RETURN || (code & DLGC_WANTALLKEYS)) return false;
    int id;
    HWND button;
    if (focus && isPushButton(code)) {
        id = GetDlgCtrlID(focus);
        button = focus;
    } else {
        LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
        id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        button = GetDlgItem(dlg, id);
        if (button && !IsWindowEnabled(button)) return true;  // a disabled default does nothing
    }
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

}  // namespace

namespace platform::ui {

bool dialogDirectKey(HWND hwnd, const MSG &msg) {
    if (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE) return false;
    HWND dlg = dialogRootOf(hwnd);
    if (!dlg) return false;
    LRESULT code = dlgCode(hwnd, &msg);
    return commandKey(dlg, hwnd == dlg ? nullptr : hwnd, msg.wParam, code);
}

}  // namespace platform::ui

extern "C" {

WINUSERAPI BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (!lpMsg || !hDlg || (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))) return FALSE;
    if (lpMsg->message == WM_KEYDOWN) {
        HWND focus = lpMsg->hwnd;
        LRESULT code = dlgCode(focus, lpMsg);
        WPARAM vk = lpMsg->wParam;
        bool shift = GetKeyState(VK_SHIFT) < 0;
        if (vk == VK_TAB && !(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) {
            moveFocus(GetNextDlgTabItem(hDlg, focus, shift));
            return TRUE;
        }
        if ((vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN) &&
            !(code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS))) {
            HWND next = GetNextDlgGroupItem(hDlg, focus, vk == VK_LEFT || vk == VK_UP);
            if (next && next != focus) {
                moveFocus(next);
                if (dlgCode(next, nullptr) & DLGC_RADIOBUTTON) {
                    LONG type = GetWindowLongA(next, GWL_STYLE) & BS_TYPEMASK;
                    if (type == BS_AUTORADIOBUTTON) SendMessageA(next, BM_CLICK, 0, 0);
                }
            }
            return TRUE;
        }
        if ((vk == VK_RETURN || vk == VK_ESCAPE) && commandKey(hDlg, focus == hDlg ? nullptr : focus, vk, code)) {
            return TRUE;
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}

WINUSERAPI HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    auto w = windowGet(hDlg);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND c : w->children)
        if (auto cw = windowGet(c); cw && static_cast<int>(cw->id.load()) == nIDDlgItem) return c;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

WINUSERAPI int WINAPI GetDlgCtrlID(HWND hWnd) {
    auto w = windowGet(hWnd);
    return w && (w->style & WS_CHILD) ? static_cast<int>(w->id.load()) : 0;
}

WINUSERAPI BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND c = GetDlgItem(hDlg, nIDDlgItem);
    return c ? SetWindowTextA(c, lpString) : FALSE;
}

WINUSERAPI UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString && cchMax > 0) *lpString = '\0';
    HWND c = GetDlgItem(hDlg, nIDDlgItem);
    return c ? static_cast<UINT>(GetWindowTextA(c, lpString, cchMax)) : 0;
}

WINUSERAPI BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    char text[16];
    if (bSigned) std::snprintf(text, sizeof text, "%d", static_cast<int>(uValue));
    else std::snprintf(text, sizeof text, "%u", uValue);
    return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

WINUSERAPI UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL *lpTranslated, BOOL bSigned) {
    if (lpTranslated) *lpTranslated = FALSE;
    char text[64];
    HWND c = GetDlgItem(hDlg, nIDDlgItem);
    if (!c) return 0;
    // Longer texts cannot be a 32-bit number and are refused.
    if (GetWindowTextLengthA(c) >= static_cast<int>(sizeof text)) return 0;
    GetWindowTextA(c, text, sizeof text);
    const char *p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '-' && bSigned) negative = true, ++p;
    if (*p < '0' || *p > '9') return 0;
    unsigned long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + static_cast<unsigned>(*p - '0');
        if (v > 0xFFFFFFFFull) return 0;
    }
    while (*p == ' ' || *p == '\t') ++p;
    if (*p) return 0;
    if (bSigned) {
        if ((!negative && v > INT_MAX) || (negative && v > 0x80000000ull)) return 0;
        if (lpTranslated) *lpTranslated = TRUE;
        return negative ? static_cast<UINT>(-static_cast<long long>(v)) : static_cast<UINT>(v);
    }
    if (lpTranslated) *lpTranslated = TRUE;
    return static_cast<UINT>(v);
}

WINUSERAPI BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND c = GetDlgItem(hDlg, nIDButton);
    if (!c) return FALSE;
    SendMessageA(c, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

WINUSERAPI UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND c = GetDlgItem(hDlg, nIDButton);
    return c ? static_cast<UINT>(SendMessageA(c, BM_GETCHECK, 0, 0)) : 0;
}

WINUSERAPI BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    auto w = windowGet(hDlg);
    if (!w) return FALSE;
    std::vector<HWND> kids = w->children;
    for (HWND c : kids) {
        int id = GetDlgCtrlID(c);
        if (id < nIDFirstButton || id > nIDLastButton) continue;
        SendMessageA(c, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

WINUSERAPI LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND c = GetDlgItem(hDlg, nIDDlgItem);
    return c ? SendMessageA(c, Msg, wParam, lParam) : 0;
}

WINUSERAPI HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> all;
    flatten(hDlg, &all);
    if (all.empty()) return nullptr;
    size_t n = all.size();
    size_t start = n - 1;  // so that the first step lands on index 0 (or n-1 backwards)
    if (bPrevious) start = 0;
    for (size_t i = 0; i < n; ++i)
        if (all[i] == hCtl) start = i;
    for (size_t step = 1; step <= n; ++step) {
        size_t i = bPrevious ? (start + n - step % n) % n : (start + step) % n;
        HWND c = all[i];
        if ((GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) && canFocus(c)) return c;
    }
    return hCtl;
}

WINUSERAPI HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> all;
    flatten(hDlg, &all);
    size_t n = all.size(), at = n;
    for (size_t i = 0; i < n; ++i)
        if (all[i] == hCtl) at = i;
    if (at == n) return nullptr;
    // The group runs from a WS_GROUP control up to the next one.
    size_t first = at;
    while (first > 0 && !(GetWindowLongA(all[first], GWL_STYLE) & WS_GROUP)) --first;
    size_t last = at + 1;
    while (last < n && !(GetWindowLongA(all[last], GWL_STYLE) & WS_GROUP)) ++last;
    size_t size = last - first;
    for (size_t step = 1; step < size; ++step) {
        size_t i = first + (bPrevious ? (at - first + size - step) % size : (at - first + step) % size);
        if (canFocus(all[i])) return all[i];
    }
    return hCtl;
}

}  // extern "C"
