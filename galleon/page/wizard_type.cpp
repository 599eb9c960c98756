// Collection Type: Photo, File or Mixed, proposed from what the chosen files
// are, and whether photos are reduced to the configured size.
#include "wizard_pages.h"

#include "images_probe.h"
#include "listmod.h"
#include "pagecommon.h"
#include "publish.h"
#include "store.h"
#include "wizard_ids.h"

namespace {

struct TypePage {
    CollectionRecord* record = nullptr;
    PageFonts fonts;
};

bool readable(const char* path) {
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
    return true;
}

// Photo when the files are JPEG photos (and nothing else that can be read),
// File when none of the readable files is a photo, Mixed otherwise.
int proposedType(int fileList) {
    int photos = 0, others = 0;
    PublishItem item;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(fileList, pos);
        if (id < 0) break;
        if (listGetItem(fileList, id, &item, sizeof item) != sizeof item) continue;
        item.sourcePath[MAX_PATH - 1] = 0;
        int w, h;
        if (imageProbe(item.sourcePath, &w, &h) == PROBE_JPEG) ++photos;
        else if (readable(item.sourcePath)) ++others;
    }
    if (photos > 0 && others == 0) return STORE_TYPE_PHOTO;
    if (others > 0 && photos == 0) return STORE_TYPE_FILE;
    return STORE_TYPE_MIXED;
}

int radioOfType(int type) {
    return type == STORE_TYPE_PHOTO ? IDC_WIZ_TYPE_PHOTO : type == STORE_TYPE_FILE ? IDC_WIZ_TYPE_FILE : IDC_WIZ_TYPE_MIXED;
}

void choose(HWND dlg, int radio) {
    CheckRadioButton(dlg, IDC_WIZ_TYPE_PHOTO, IDC_WIZ_TYPE_MIXED, radio);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_TYPE_REDUCE), radio != IDC_WIZ_TYPE_FILE);
}

void open(HWND dlg, TypePage* page) {
    page->fonts.title(dlg, IDC_WIZ_TITLE);
    CheckDlgButton(dlg, IDC_WIZ_TYPE_REDUCE, page->record->reduceQuality ? BST_CHECKED : BST_UNCHECKED);
    page->record->type = proposedType(page->record->fileList);
    choose(dlg, radioOfType(page->record->type));
}

void takeChoice(HWND dlg, CollectionRecord* record) {
    record->reduceQuality = IsDlgButtonChecked(dlg, IDC_WIZ_TYPE_REDUCE) == BST_CHECKED;
    if (IsDlgButtonChecked(dlg, IDC_WIZ_TYPE_PHOTO) == BST_CHECKED) record->type = STORE_TYPE_PHOTO;
    else if (IsDlgButtonChecked(dlg, IDC_WIZ_TYPE_MIXED) == BST_CHECKED) record->type = STORE_TYPE_MIXED;
    else record->type = STORE_TYPE_FILE;
}

}  // namespace

INT_PTR CALLBACK wizardTypePageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<TypePage*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        page = new TypePage;
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
    if (wizardCommonMessage(dlg, message, wParam, lParam, WIZ_HELP_TYPE, &result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            if (LOWORD(wParam) < IDC_WIZ_TYPE_PHOTO || LOWORD(wParam) > IDC_WIZ_TYPE_MIXED) return FALSE;
            choose(dlg, LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
            if (code == PSN_SETACTIVE) {
                choose(dlg, radioOfType(page->record->type));
                wizardSetButtons(dlg, PSWIZB_BACK | PSWIZB_NEXT);
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (wizardIsForward(code)) {
                takeChoice(dlg, page->record);
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
