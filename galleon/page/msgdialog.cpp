#include "msgdialog.h"

#include <cstdarg>
#include <cstdio>

#include "pagecommon.h"
#include "pageids.h"
#include "settings_ids.h"

namespace {

struct MessageText {
    char caption[128];
    char text[1024];
};

INT_PTR CALLBACK messageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* m = reinterpret_cast<const MessageText*>(lParam);
            SetWindowTextA(dlg, m->caption);
            SetDlgItemTextA(dlg, IDC_MSG_TEXT, m->text);
            if (HICON icon = static_cast<HICON>(
                    LoadImageA(pageModule(), MAKEINTRESOURCEA(IDI_MSG_QUESTION), IMAGE_ICON, 32, 32, LR_SHARED)))
                SendDlgItemMessageA(dlg, IDC_MSG_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            SetFocus(GetDlgItem(dlg, IDC_MSG_YES));
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_MSG_YES: EndDialog(dlg, MSGDIALOG_YES); return TRUE;
                case IDC_MSG_YES_ALL: EndDialog(dlg, MSGDIALOG_YES_TO_ALL); return TRUE;
                case IDC_MSG_NO: EndDialog(dlg, MSGDIALOG_NO); return TRUE;
                case IDCANCEL: EndDialog(dlg, MSGDIALOG_CLOSED); return TRUE;
            }
            return FALSE;
        case WM_CLOSE: EndDialog(dlg, MSGDIALOG_CLOSED); return TRUE;
    }
    return FALSE;
}

}  // namespace

int msgDialogRun(HWND owner, const char* caption, const char* format, ...) {
    MessageText m{};
    std::snprintf(m.caption, sizeof m.caption, "%s", caption ? caption : "");
    va_list args;
    va_start(args, format);
    std::vsnprintf(m.text, sizeof m.text, format ? format : "", args);
    va_end(args);
    INT_PTR r = DialogBoxParamA(pageModule(), MAKEINTRESOURCEA(IDD_MESSAGE), owner, messageProc,
                                reinterpret_cast<LPARAM>(&m));
    return r < 0 ? -1 : static_cast<int>(r);
}
