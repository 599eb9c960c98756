// The port editor. OK follows the boxes as they change; the To box takes the
// From box's value when it is entered while empty or 0.
#include "portedit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pagehelp.h"
#include "pageids.h"
#include "plugin.h"

namespace {

constexpr int PORT_DIGITS = 5;

// A box's number; -1 for text that is not a port number at all (more digits
// than a port has, or anything but digits).
long portValue(const char *text) {
    if (!text[0]) return 0;
    if (std::strlen(text) > PORT_DIGITS) return -1;
    for (const char *p = text; *p; ++p)
        if (*p < '0' || *p > '9') return -1;
    return std::strtol(text, nullptr, 10);
}

void boxText(HWND dlg, int id, char *out, int size) { GetDlgItemTextA(dlg, id, out, size); }

void updateOk(HWND dlg) {
    char from[16], to[16];
    boxText(dlg, IDC_PORT_FROM, from, sizeof from);
    boxText(dlg, IDC_PORT_TO, to, sizeof to);
    EnableWindow(GetDlgItem(dlg, IDOK), portEditorAcceptable(from, to));
}

void showPort(HWND dlg, int id, uint16_t port) {
    char text[16] = "";
    if (port) std::snprintf(text, sizeof text, "%d", (int)port);
    SetDlgItemTextA(dlg, id, text);
}

// The To box is being entered: an empty or zero box takes From's text, and
// the whole text is selected for overtyping.
void enterToBox(HWND dlg) {
    char to[16];
    boxText(dlg, IDC_PORT_TO, to, sizeof to);
    if (portValue(to) == 0) {
        char from[16];
        boxText(dlg, IDC_PORT_FROM, from, sizeof from);
        SetDlgItemTextA(dlg, IDC_PORT_TO, from);
    }
    // Selected now for the keyboard, and again once a click that brought the
    // focus has placed its caret.
    SendDlgItemMessageA(dlg, IDC_PORT_TO, EM_SETSEL, 0, -1);
    PostMessageA(GetDlgItem(dlg, IDC_PORT_TO), EM_SETSEL, 0, -1);
}

INT_PTR CALLBACK portEditorProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto *range = reinterpret_cast<PortEdit *>(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        SendDlgItemMessageA(dlg, IDC_PORT_FROM, EM_LIMITTEXT, PORT_DIGITS, 0);
        SendDlgItemMessageA(dlg, IDC_PORT_TO, EM_LIMITTEXT, PORT_DIGITS, 0);
        showPort(dlg, IDC_PORT_FROM, range->from);
        showPort(dlg, IDC_PORT_TO, range->to);
        CheckRadioButton(dlg, IDC_PORT_TCP, IDC_PORT_UDP, range->protocol == 2 ? IDC_PORT_UDP : IDC_PORT_TCP);
        updateOk(dlg);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PORT_FROM:
            if (HIWORD(wParam) == EN_CHANGE) updateOk(dlg);
            return TRUE;
        case IDC_PORT_TO:
            if (HIWORD(wParam) == EN_SETFOCUS) enterToBox(dlg);
            if (HIWORD(wParam) == EN_CHANGE) updateOk(dlg);
            return TRUE;
        case IDOK: {
            char from[16], to[16];
            boxText(dlg, IDC_PORT_FROM, from, sizeof from);
            boxText(dlg, IDC_PORT_TO, to, sizeof to);
            // Enter reaches OK even while it is disabled for the mouse.
            if (!portEditorAcceptable(from, to)) return TRUE;
            auto *range = reinterpret_cast<PortEdit *>(GetWindowLongPtrA(dlg, DWLP_USER));
            range->from = (uint16_t)portValue(from);
            range->to = (uint16_t)portValue(to);
            range->protocol = IsDlgButtonChecked(dlg, IDC_PORT_UDP) == BST_CHECKED ? 2 : 1;
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        }
        return FALSE;
    case WM_HELP:
        pageControlHelp(dlg, PAGE_HELP_PORT_EDITOR, reinterpret_cast<const HELPINFO *>(lParam));
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

bool portEditorAcceptable(const char *fromText, const char *toText) {
    long from = portValue(fromText), to = portValue(toText);
    return from >= 1 && from <= 65535 && to >= 1 && to <= 65535 && to >= from;
}

INT_PTR portEditorRun(HWND owner, PortEdit *range) {
    return DialogBoxParamA(pluginModule(), MAKEINTRESOURCEA(IDD_PORT_EDITOR), owner, portEditorProc,
                           reinterpret_cast<LPARAM>(range));
}
