// The host entry dialog. OK is enabled only while the address control holds
// a whole address: a partly filled control ("192.168..") would give a target
// that matches no computer.
#include "hostentry.h"

#include <commctrl.h>

#include <cstring>

#include "advanced_ids.h"
#include "pagecommon.h"
#include "pageids.h"
#include "varmod.h"

namespace {

constexpr int kTextSize = 260;

std::string variable(int list, const char* name) {
    char value[kTextSize] = "";
    varmodGetVariable(list, name, value, sizeof value - 1);
    return value;
}

// What may stand as a host or network: not empty, none of "*", ":", "?" and
// "\", a dot with something after it, and all four numbers filled in.
bool acceptable(const char* text) {
    if (!text[0] || std::strpbrk(text, "*:?\\")) return false;
    bool dotted = false;
    for (const char* p = std::strchr(text, '.'); p; p = std::strchr(p + 1, '.'))
        if (p[1] && p[1] != '.') dotted = true;
    return dotted && hostEntryIsAddress(text);
}

void updateOk(HWND dlg) {
    char text[kTextSize] = "";
    GetDlgItemTextA(dlg, IDC_HOSTENTRY_ADDRESS, text, sizeof text);
    EnableWindow(GetDlgItem(dlg, IDC_HOSTENTRY_OK), acceptable(text));
}

void finish(HWND dlg) {
    if (!IsWindowEnabled(GetDlgItem(dlg, IDC_HOSTENTRY_OK))) return;
    int list = static_cast<int>(GetWindowLongPtrA(dlg, DWLP_USER));
    char text[kTextSize] = "";
    GetDlgItemTextA(dlg, IDC_HOSTENTRY_ADDRESS, text, sizeof text);
    if (text[0]) varmodAddVariable(list, "RESULT", text, 0);
    EndDialog(dlg, 1);
}

INT_PTR CALLBACK hostEntryProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        int list = static_cast<int>(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, list);
        SetWindowTextA(dlg, variable(list, "TITLE").c_str());
        SetDlgItemTextA(dlg, IDC_HOSTENTRY_DESCRIPTION, variable(list, "DESCRIPTION").c_str());
        HWND address = GetDlgItem(dlg, IDC_HOSTENTRY_ADDRESS);
        std::string value = variable(list, "VALUE");
        if (!value.empty()) SetWindowTextA(address, value.c_str());
        updateOk(dlg);
        SetFocus(address);
        SendMessageA(address, IPM_SETFOCUS, 0, 0);  // the first number, selected
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_HOSTENTRY_ADDRESS:
            // Typing, and the control gaining or losing the focus.
            updateOk(dlg);
            return TRUE;
        case IDC_HOSTENTRY_OK:
        case IDOK:
            finish(dlg);
            return TRUE;
        case IDC_HOSTENTRY_CANCEL:
        case IDCANCEL:
            EndDialog(dlg, 0);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->idFrom == IDC_HOSTENTRY_ADDRESS) updateOk(dlg);
        return FALSE;
    case WM_CLOSE:
        EndDialog(dlg, 0);
        return TRUE;
    case WM_HELP:
        pageControlHelp(dlg, HELP_HOSTENTRY, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool hostEntryIsAddress(const char* text) {
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        int value = 0, digits = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + (*p++ - '0');
            if (++digits > 3 || value > 255) return false;
        }
        if (!digits) return false;
        if (i < 3 && *p++ != '.') return false;
    }
    return *p == 0;
}

INT_PTR hostEntryRun(HWND owner, int variables) {
    return DialogBoxParamA(pageModule(), MAKEINTRESOURCEA(IDD_HOST_ENTRY), owner, hostEntryProc, variables);
}
