// The small dialogs of the main window: the close question "ASKCLOSE" and
// the "TASKBAR" notice shown after the settings window closed.
#include "shell/look.h"
#include "shell/mainwindow.h"
#include "shell/shell.h"
#include "shell/startup.h"

namespace {

constexpr int kCheck = 10;
constexpr int kBold = 20;

void initSmallDialog(HWND dlg) {
    shellSetDialogIcon(dlg);
    if (HFONT bold = shellBoldFont()) SendDlgItemMessageA(dlg, kBold, WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
}

bool checked(HWND dlg) { return IsDlgButtonChecked(dlg, kCheck) == BST_CHECKED; }

// Buttons 100 (close) and 101 (do not close) store the inverted check box in
// [Settings] ConfirmClose and end with 10 or 20; the close box ends with 30.
INT_PTR CALLBACK askCloseProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: initSmallDialog(dlg); return TRUE;
    case WM_CTLCOLORSTATIC: return shellHeadingColour(wParam, lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case 100:
        case 101: {
            int confirm = checked(dlg) ? 0 : 1;
            shellWriteInt("Settings", "ConfirmClose", confirm);
            shellState().switches.confirmClose = confirm;
            EndDialog(dlg, LOWORD(wParam) == 100 ? 10 : 20);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dlg, 30); return TRUE;
        }
        return FALSE;
    case WM_CLOSE: EndDialog(dlg, 30); return TRUE;
    }
    return FALSE;
}

// Button 100 stores the inverted check box in [Settings] NotifyMinimize.
INT_PTR CALLBACK taskbarProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: initSmallDialog(dlg); return TRUE;
    case WM_CTLCOLORSTATIC: return shellHeadingColour(wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == 100) {
            int notify = checked(dlg) ? 0 : 1;
            shellWriteInt("Settings", "NotifyMinimize", notify);
            shellState().switches.notifyMinimize = notify;
            EndDialog(dlg, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dlg, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE: EndDialog(dlg, 0); return TRUE;
    }
    return FALSE;
}

}  // namespace

int shellAskClose(HWND owner) {
    INT_PTR r = DialogBoxParamA(shellState().branding, "ASKCLOSE", owner, askCloseProc, 0);
    // A question that cannot be shown does not keep the user from closing.
    return r == 10 || r == 20 || r == 30 ? static_cast<int>(r) : 30;
}

void shellTaskbarNotice(HWND owner) { DialogBoxParamA(shellState().branding, "TASKBAR", owner, taskbarProc, 0); }
