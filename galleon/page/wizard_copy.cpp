// Copy Files: publishes the record's items into the collection, one per
// tick of a one-second timer, and takes them out again when the wizard is
// cancelled.
#include "wizard_pages.h"

#include "config.h"
#include "listmod.h"
#include "pagecommon.h"
#include "publish.h"
#include "wizard_ids.h"

namespace {

constexpr UINT_PTR PUBLISH_TIMER = 1;
constexpr UINT PUBLISH_TICK_MS = 1000;

struct CopyPage {
    CollectionRecord* record = nullptr;
    PageFonts fonts;
    PublishJob job;
    bool started = false;   // publishBegin succeeded
    bool finished = false;  // every item was published
};

void show(HWND dlg, const PublishStep& step) {
    SendDlgItemMessageA(dlg, IDC_COPY_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(step.progress), 0);
    if (!step.action.empty()) SetDlgItemTextA(dlg, IDC_COPY_ACTION, step.action.c_str());
    if (!step.status.empty()) SetDlgItemTextA(dlg, IDC_COPY_STATUS, step.status.c_str());
    if (!step.error.empty()) wizardShowError(dlg, step.error.c_str());
}

void tick(HWND dlg, CopyPage* page) {
    KillTimer(dlg, PUBLISH_TIMER);
    PublishStep step;
    {
        PageWaitCursor wait;
        publishNext(&page->job, &step);
    }
    show(dlg, step);
    if (step.finished) {
        page->finished = true;
        wizardSetButtons(dlg, PSWIZB_NEXT);
        return;
    }
    SetTimer(dlg, PUBLISH_TIMER, PUBLISH_TICK_MS, nullptr);
}

void open(HWND dlg, CopyPage* page) {
    page->fonts.title(dlg, IDC_WIZ_TITLE);
    page->fonts.bold(dlg, IDC_WIZ_ERROR_TEXT);
    CollectionRecord* record = page->record;
    int rc = publishBegin(&page->job, g_config.collectionsDir, record->name, record->fileList,
                          record->reduceQuality != 0, g_config.maxImageX, g_config.maxImageY);
    page->started = rc == 0;
    int total = listGetCount(record->fileList);
    if (total < 0) total = 0;
    SendDlgItemMessageA(dlg, IDC_COPY_PROGRESS, PBM_SETRANGE32, 0, 2 * total);
    SendDlgItemMessageA(dlg, IDC_COPY_PROGRESS, PBM_SETPOS, 0, 0);
    if (!page->started) {
        // Without its folder nothing can be published: say so, and let the
        // user leave with Cancel.
        wizardShowError(dlg, "The collection's folder could not be created.");
        return;
    }
    SetDlgItemTextA(dlg, IDC_COPY_ACTION, "Preparing Collection...");
    SetDlgItemTextA(dlg, IDC_COPY_STATUS, publishStatusText(0, total).c_str());
    SetTimer(dlg, PUBLISH_TIMER, PUBLISH_TICK_MS, nullptr);
}

// Cancelling: with files already published the user is asked first; on No
// publishing goes on. Returns true when the cancel may go ahead.
bool allowCancel(HWND dlg, CopyPage* page) {
    if (!page->started) return true;
    KillTimer(dlg, PUBLISH_TIMER);
    if (listGetCount(page->job.created) > 0 &&
        pageMessageBox(dlg, "Are you sure you want to cancel creation of your collection?", MB_YESNO | MB_ICONQUESTION) !=
            IDYES) {
        if (!page->finished) SetTimer(dlg, PUBLISH_TIMER, PUBLISH_TICK_MS, nullptr);
        return false;
    }
    publishCancel(&page->job);
    publishEnd(&page->job);
    page->started = false;
    return true;
}

}  // namespace

INT_PTR CALLBACK wizardCopyPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<CopyPage*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        page = new CopyPage;
        page->record = wizardRecordOf(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        if (page->record) open(dlg, page);
        return TRUE;
    }
    if (message == WM_DESTROY && page) {
        KillTimer(dlg, PUBLISH_TIMER);
        if (page->started) publishEnd(&page->job);
        delete page;
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        return FALSE;
    }
    if (!page || !page->record) return FALSE;
    INT_PTR result = 0;
    if (wizardCommonMessage(dlg, message, wParam, lParam, WIZ_HELP_COPY, &result)) return result;
    switch (message) {
        case WM_TIMER:
            if (wParam != PUBLISH_TIMER) return FALSE;
            if (page->started && !page->finished) tick(dlg, page);
            return TRUE;
        case PSM_QUERYSIBLINGS:
            if (wParam != WIZ_QUERY_CANCEL_PUBLISHED) return FALSE;
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, allowCancel(dlg, page) ? 0 : 1);
            return TRUE;
        case WM_NOTIFY: {
            UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
            if (code == PSN_SETACTIVE) {
                wizardSetButtons(dlg, page->finished ? PSWIZB_NEXT : 0);
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (code == PSN_QUERYCANCEL) {
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, allowCancel(dlg, page) ? FALSE : TRUE);
                return TRUE;
            }
            if (wizardIsForward(code) || code == PSN_WIZBACK) {
                page->record->pageCounter += code == PSN_WIZBACK ? -1 : 1;
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            return FALSE;
        }
    }
    return FALSE;
}
