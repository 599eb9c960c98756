// Finish: starts the server when asked and opens the collection in the
// browser.
#include "wizard_pages.h"

#include "pagecommon.h"
#include "wizard_ids.h"

namespace {

struct FinishPage {
    CollectionRecord* record = nullptr;
    PageFonts fonts;
};

bool isChecked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

void followStart(HWND dlg) {
    bool start = isChecked(dlg, IDC_FINISH_START);
    CheckDlgButton(dlg, IDC_FINISH_PREVIEW, start ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dlg, IDC_FINISH_PREVIEW), start);
}

void open(HWND dlg, FinishPage* page) {
    page->fonts.title(dlg, IDC_FINISH_HEADING);
    if (wizardServerAlive()) EnableWindow(GetDlgItem(dlg, IDC_FINISH_START), FALSE);
    else CheckDlgButton(dlg, IDC_FINISH_START, BST_CHECKED);
    CheckDlgButton(dlg, IDC_FINISH_PREVIEW, BST_CHECKED);
}

void finish(HWND dlg, FinishPage* page) {
    if (isChecked(dlg, IDC_FINISH_START) && !wizardServerAlive()) {
        PageWaitCursor wait;
        wizardStartServer();
        settingsPageServerStarted();
    }
    if (isChecked(dlg, IDC_FINISH_PREVIEW))
        pageShellOpen(dlg, pageCollectionUrl(page->record->name, page->record->type, false));
}

}  // namespace

INT_PTR CALLBACK wizardFinishPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<FinishPage*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        page = new FinishPage;
        page->record = wizardRecordOf(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        if (page->record) open(dlg, page);
        return TRUE;
    }
    if (message == WM_DESTROY && page) {
        delete page;
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        return FALSE;
    }
    if (!page || !page->record) return FALSE;
    INT_PTR result = 0;
    if (wizardCommonMessage(dlg, message, wParam, lParam, WIZ_HELP_FINISH, &result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) != IDC_FINISH_START || HIWORD(wParam) != BN_CLICKED) return FALSE;
            followStart(dlg);
            return TRUE;
        case WM_NOTIFY: {
            UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
            if (code == PSN_SETACTIVE) {
                wizardSetButtons(dlg, PSWIZB_FINISH);
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (code == PSN_QUERYCANCEL) {
                // What was published is taken out again, as on the Copy Files
                // page: a cancelled wizard leaves no collection behind.
                LRESULT kept = PropSheet_QuerySiblings(GetParent(dlg), WIZ_QUERY_CANCEL_PUBLISHED, 0);
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, kept ? TRUE : FALSE);
                return TRUE;
            }
            if (wizardIsForward(code)) {
                finish(dlg, page);
                ++page->record->pageCounter;
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (code == PSN_WIZBACK) {
                --page->record->pageCounter;
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            return FALSE;
        }
    }
    return FALSE;
}
