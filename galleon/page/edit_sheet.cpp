// The Edit Collection sheet and its Name, Password and Type pages (the Files
// page is edit_files.cpp). Each page remembers whether the user changed
// something and writes the record only then, on PSN_APPLY; the Settings page
// stores the record when the sheet returns with changes applied.
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "config.h"
#include "edit.h"
#include "listmod.h"
#include "pagecommon.h"
#include "pageids.h"
#include "photolog.h"
#include "publish.h"
#include "pwdmod.h"
#include "settings_ids.h"
#include "store.h"

namespace {

constexpr DWORD kNameHelp = 7000;
constexpr DWORD kTypeHelp = 8000;
constexpr DWORD kPasswordHelp = 9000;
constexpr int kMinPassword = 5;

struct EditPage {
    CollectionRecord* record = nullptr;
    bool changed = false;
    HFONT bold = nullptr;
};

EditPage* editPageOf(HWND dlg) { return reinterpret_cast<EditPage*>(GetWindowLongPtrA(dlg, DWLP_USER)); }

EditPage* openEditPage(HWND dlg, LPARAM lParam) {
    auto* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    auto* page = new EditPage{};
    page->record = psp ? reinterpret_cast<CollectionRecord*>(psp->lParam) : nullptr;
    SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    return page;
}

void closeEditPage(HWND dlg) {
    EditPage* page = editPageOf(dlg);
    if (!page) return;
    if (page->bold) DeleteObject(page->bold);
    SetWindowLongPtrA(dlg, DWLP_USER, 0);
    delete page;
}

void changed(HWND dlg, EditPage* page) {
    page->changed = true;
    PropSheet_Changed(GetParent(dlg), dlg);
}

INT_PTR answer(HWND dlg, LONG_PTR result) {
    SetWindowLongPtrA(dlg, DWLP_MSGRESULT, result);
    return TRUE;
}

// What every page answers the same way: heading colours, help, closing.
bool commonMessage(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam, DWORD help, INT_PTR* result) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
            *result = pageHeadingColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            return true;
        case WM_HELP:
            pageControlHelp(dlg, help, reinterpret_cast<const HELPINFO*>(lParam));
            *result = TRUE;
            return true;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lParam)->code == PSN_HELP) {
                pageTopicHelp(dlg, help);
                *result = TRUE;
                return true;
            }
            return false;
        case WM_DESTROY:
            closeEditPage(dlg);
            *result = TRUE;
            return true;
    }
    return false;
}

bool isApply(LPARAM lParam) { return reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY; }

// ---- Name ----

// The name the sheet may store: refused with a message when it is empty, is
// not a name a collection can have, or is another collection's.
bool nameAcceptable(HWND dlg, const char* name, const char* current) {
    char text[256];
    if (!name[0]) {
        pageMessageBox(dlg, "Please enter a name for this collection.", MB_OK | MB_ICONERROR);
        return false;
    }
    if (!storeIsValidName(name)) {
        std::snprintf(text, sizeof text, "The name %s cannot be used for a collection.", name);
        pageMessageBox(dlg, text, MB_OK | MB_ICONERROR);
        return false;
    }
    if (strcasecmp(name, current) != 0) {
        std::string dir = std::string(g_config.collectionsDir) + "/" + name;
        if (GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::snprintf(text, sizeof text, "A collection named %s already exists.", name);
            pageMessageBox(dlg, text, MB_OK | MB_ICONERROR);
            return false;
        }
    }
    return true;
}

}  // namespace

INT_PTR CALLBACK editNameProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = FALSE;
    EditPage* page = editPageOf(dlg);
    switch (message) {
        case WM_INITDIALOG: {
            page = openEditPage(dlg, lParam);
            HWND edit = GetDlgItem(dlg, IDC_NAME_EDIT);
            SendMessageA(edit, EM_LIMITTEXT, STORE_NAME_MAX, 0);
            if (page->record) SetWindowTextA(edit, page->record->name);
            SendMessageA(edit, EM_SETSEL, 0, -1);
            page->changed = false;
            return TRUE;
        }
        case WM_COMMAND:
            if (page && LOWORD(wParam) == IDC_NAME_EDIT && HIWORD(wParam) == EN_CHANGE &&
                GetFocus() == GetDlgItem(dlg, IDC_NAME_EDIT))
                changed(dlg, page);
            return TRUE;
        case WM_NOTIFY:
            if (page && isApply(lParam)) {
                if (page->changed && page->record) {
                    char name[STORE_NAME_MAX] = "";
                    GetDlgItemTextA(dlg, IDC_NAME_EDIT, name, sizeof name);
                    if (!nameAcceptable(dlg, name, page->record->name)) return answer(dlg, PSNRET_INVALID);
                    std::snprintf(page->record->name, sizeof page->record->name, "%s", name);
                }
                page->changed = false;
                return answer(dlg, PSNRET_NOERROR);
            }
            break;
    }
    if (commonMessage(dlg, message, wParam, lParam, kNameHelp, &result)) return result;
    return FALSE;
}

// ---- Password ----

namespace {

void showPasswordError(HWND dlg, const char* text) {
    SetDlgItemTextA(dlg, IDC_PWD_ERROR, text ? text : "");
    ShowWindow(GetDlgItem(dlg, IDC_PWD_ERROR_ICON), text ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(dlg, IDC_PWD_ERROR), text ? SW_SHOW : SW_HIDE);
}

void followPublic(HWND dlg, bool focusPassword) {
    bool isPublic = IsDlgButtonChecked(dlg, IDC_PWD_PUBLIC) == BST_CHECKED;
    EnableWindow(GetDlgItem(dlg, IDC_PWD_EDIT), !isPublic);
    EnableWindow(GetDlgItem(dlg, IDC_PWD_CONFIRM), !isPublic);
    if (!isPublic && focusPassword) {
        HWND edit = GetDlgItem(dlg, IDC_PWD_EDIT);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }
}

// The page's Apply: PSNRET_NOERROR, or PSNRET_INVALID with the error shown.
LONG_PTR applyPassword(HWND dlg, EditPage* page) {
    CollectionRecord* r = page->record;
    if (IsDlgButtonChecked(dlg, IDC_PWD_PUBLIC) == BST_CHECKED) {
        r->isPublic = 1;
        showPasswordError(dlg, nullptr);
        return PSNRET_NOERROR;
    }
    char password[32] = "", confirm[32] = "";
    GetDlgItemTextA(dlg, IDC_PWD_EDIT, password, sizeof password);
    GetDlgItemTextA(dlg, IDC_PWD_CONFIRM, confirm, sizeof confirm);
    const char* error = nullptr;
    if (std::strlen(password) < kMinPassword)
        error = "You must enter a password that is at least 5-characters in length.";
    else if (std::strcmp(password, confirm) != 0)
        error = "The passwords you have entered do not match.";
    if (error) {
        showPasswordError(dlg, error);
        return PSNRET_INVALID;
    }
    std::snprintf(r->password, sizeof r->password, "%s", password);
    r->isPublic = 0;
    showPasswordError(dlg, nullptr);
    return PSNRET_NOERROR;
}

}  // namespace

INT_PTR CALLBACK editPasswordProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = FALSE;
    EditPage* page = editPageOf(dlg);
    switch (message) {
        case WM_INITDIALOG: {
            page = openEditPage(dlg, lParam);
            SendDlgItemMessageA(dlg, IDC_PWD_ERROR_ICON, STM_SETICON,
                                reinterpret_cast<WPARAM>(LoadImageA(pageModule(), MAKEINTRESOURCEA(IDI_ERROR), IMAGE_ICON,
                                                                    16, 16, LR_SHARED)),
                                0);
            for (int id : {IDC_PWD_EDIT, IDC_PWD_CONFIRM}) {
                SendDlgItemMessageA(dlg, id, EM_LIMITTEXT, 32, 0);
                if (page->record) SetDlgItemTextA(dlg, id, page->record->password);
            }
            CheckDlgButton(dlg, IDC_PWD_PUBLIC, page->record && page->record->isPublic ? BST_CHECKED : BST_UNCHECKED);
            followPublic(dlg, false);
            showPasswordError(dlg, nullptr);
            page->changed = false;
            return TRUE;
        }
        case WM_COMMAND:
            if (!page) return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_PWD_PUBLIC:
                    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
                    followPublic(dlg, true);
                    changed(dlg, page);
                    return TRUE;
                case IDC_PWD_EDIT:
                case IDC_PWD_CONFIRM:
                    if (HIWORD(wParam) == EN_CHANGE && GetFocus() == GetDlgItem(dlg, LOWORD(wParam))) changed(dlg, page);
                    return TRUE;
            }
            return FALSE;
        case WM_NOTIFY:
            if (page && isApply(lParam)) {
                LONG_PTR r = PSNRET_NOERROR;
                if (page->changed && page->record) r = applyPassword(dlg, page);
                if (r == PSNRET_NOERROR) page->changed = false;
                return answer(dlg, r);
            }
            break;
    }
    if (commonMessage(dlg, message, wParam, lParam, kPasswordHelp, &result)) return result;
    return FALSE;
}

// ---- Type ----

INT_PTR CALLBACK editTypeProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = FALSE;
    EditPage* page = editPageOf(dlg);
    switch (message) {
        case WM_INITDIALOG: {
            page = openEditPage(dlg, lParam);
            int type = page->record ? page->record->type : STORE_TYPE_MIXED;
            int radio = type == STORE_TYPE_PHOTO ? IDC_TYPE_PHOTO : type == STORE_TYPE_FILE ? IDC_TYPE_FILE : IDC_TYPE_MIXED;
            CheckRadioButton(dlg, IDC_TYPE_PHOTO, IDC_TYPE_MIXED, radio);
            page->changed = false;
            return TRUE;
        }
        case WM_COMMAND:
            if (page && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= IDC_TYPE_PHOTO &&
                LOWORD(wParam) <= IDC_TYPE_MIXED) {
                CheckRadioButton(dlg, IDC_TYPE_PHOTO, IDC_TYPE_MIXED, LOWORD(wParam));
                changed(dlg, page);
                return TRUE;
            }
            return FALSE;
        case WM_NOTIFY:
            if (page && isApply(lParam)) {
                if (page->changed && page->record) {
                    if (IsDlgButtonChecked(dlg, IDC_TYPE_PHOTO) == BST_CHECKED) page->record->type = STORE_TYPE_PHOTO;
                    else if (IsDlgButtonChecked(dlg, IDC_TYPE_FILE) == BST_CHECKED) page->record->type = STORE_TYPE_FILE;
                    else page->record->type = STORE_TYPE_MIXED;
                }
                page->changed = false;
                return answer(dlg, PSNRET_NOERROR);
            }
            break;
    }
    if (commonMessage(dlg, message, wParam, lParam, kTypeHelp, &result)) return result;
    return FALSE;
}

// ---- The sheet ----

void editCollectFiles(const char* name, int list) {
    int paths = listCreate();
    if (paths < 0) {
        photoLog(LOG_CALL_FAILED, "listCreate() returned error code %d", paths);
        return;
    }
    storeCollectContents(g_config.collectionsDir, name, paths);
    char path[MAX_PATH];
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(paths, pos);
        if (id < 0 || listGetItem(paths, id, path, sizeof path) < 0) break;
        path[MAX_PATH - 1] = 0;
        PublishItem item;
        publishInitItem(&item, path);
        int rc = listAddItem(list, &item, sizeof item);
        if (rc < 0) photoLog(LOG_CALL_FAILED, "listAddItem() returned error code %d", rc);
    }
    listDestroy(paths);
}

void editFillRecord(CollectionRecord* r, const char* name) {
    int list = r->fileList;
    std::memset(r, 0, sizeof *r);
    r->fileList = list;
    std::snprintf(r->name, sizeof r->name, "%s", name);
    char type[32] = "";
    configGetCollectionType(name, type, sizeof type);
    r->type = storeTypeCode(type);
    r->reduceQuality = 1;
    r->isPublic = pwdmodResourceHasPassword(name) == 1 ? 0 : 1;
    if (pwdmodGetPassword(name, STORE_USER, r->password, sizeof r->password) < 0) {
        r->password[0] = 0;
        r->isPublic = 1;
    }
    if (list >= 0) editCollectFiles(name, list);
}

bool editSheetRun(HWND owner, CollectionRecord* record) {
    struct PageInfo {
        int dialog;
        int icon;
        DLGPROC proc;
    };
    const PageInfo info[] = {
        {IDD_EDIT_NAME, IDI_EDIT_NAME, editNameProc},
        {IDD_EDIT_PASSWORD, IDI_PASSWORD, editPasswordProc},
        {IDD_EDIT_TYPE, IDI_TYPE, editTypeProc},
        {IDD_EDIT_FILES, IDI_EDIT_FILES, editFilesProc},
    };
    PROPSHEETPAGEA pages[4]{};
    HPROPSHEETPAGE handles[4]{};
    int count = 0;
    for (const PageInfo& i : info) {
        PROPSHEETPAGEA& p = pages[count];
        p.dwSize = sizeof p;
        p.dwFlags = PSP_USEICONID | PSP_HASHELP;
        p.hInstance = pageModule();
        p.pszTemplate = MAKEINTRESOURCEA(i.dialog);
        p.pszIcon = MAKEINTRESOURCEA(i.icon);
        p.pfnDlgProc = i.proc;
        p.lParam = reinterpret_cast<LPARAM>(record);
        handles[count] = CreatePropertySheetPageA(&p);
        if (handles[count]) ++count;
    }
    if (count == 0) return false;
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_HASHELP | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.hInstance = pageModule();
    header.pszCaption = "Edit Collection...";
    header.nPages = static_cast<UINT>(count);
    header.phpage = handles;
    // Every page is made when the sheet opens, so each one's Apply runs
    // whether or not the user looked at it.
    header.pfnCallback = [](HWND sheet, UINT message, LPARAM) -> int {
        if (message == PSCB_INITIALIZED && sheet) {
            for (int i = 3; i >= 0; --i) SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
        }
        return 0;
    };
    return PropertySheetA(&header) > 0;
}
