// Password: the collection's password, typed twice, or none for a public
// collection. An existing collection's password is filled in.
#include "wizard_pages.h"

#include <cstdio>
#include <cstring>

#include "pagecommon.h"
#include "pwdmod.h"
#include "store.h"
#include "wizard_ids.h"

namespace {

constexpr int EDIT_LIMIT = 32;
constexpr int READ_LIMIT = 31;
constexpr int MIN_LENGTH = 5;
// The user database keeps this many characters; a longer password could
// never be typed back as it was stored.
constexpr int STORED_LENGTH = static_cast<int>(sizeof(PwdRecord::password)) - 1;

struct PasswordPage {
    CollectionRecord* record = nullptr;
    PageFonts fonts;
};

bool isPublic(HWND dlg) { return IsDlgButtonChecked(dlg, IDC_WIZ_PASSWORD_PUBLIC) == BST_CHECKED; }

void updateButtons(HWND dlg) {
    bool both = GetWindowTextLengthA(GetDlgItem(dlg, IDC_WIZ_PASSWORD_EDIT)) > 0 &&
                GetWindowTextLengthA(GetDlgItem(dlg, IDC_WIZ_PASSWORD_CONFIRM)) > 0;
    wizardSetButtons(dlg, both || isPublic(dlg) ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

void followPublic(HWND dlg) {
    bool open = !isPublic(dlg);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_PASSWORD_EDIT), open);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_PASSWORD_CONFIRM), open);
}

void open(HWND dlg, PasswordPage* page) {
    CollectionRecord* record = page->record;
    page->fonts.title(dlg, IDC_WIZ_TITLE);
    page->fonts.bold(dlg, IDC_WIZ_ERROR_TEXT);
    SendDlgItemMessageA(dlg, IDC_WIZ_PASSWORD_EDIT, EM_LIMITTEXT, EDIT_LIMIT, 0);
    SendDlgItemMessageA(dlg, IDC_WIZ_PASSWORD_CONFIRM, EM_LIMITTEXT, EDIT_LIMIT, 0);
    // Files added to an existing collection keep its password.
    if (pwdmodResourceExists(record->name)) {
        if (pwdmodResourceHasPassword(record->name)) {
            if (pwdmodGetPassword(record->name, STORE_USER, record->password, sizeof record->password) < 0)
                record->password[0] = 0;
            record->isPublic = 0;
        } else {
            record->isPublic = 1;
        }
    }
    record->password[sizeof record->password - 1] = 0;
    SetDlgItemTextA(dlg, IDC_WIZ_PASSWORD_EDIT, record->password);
    SetDlgItemTextA(dlg, IDC_WIZ_PASSWORD_CONFIRM, record->password);
    CheckDlgButton(dlg, IDC_WIZ_PASSWORD_PUBLIC, record->isPublic ? BST_CHECKED : BST_UNCHECKED);
    followPublic(dlg);
    SetFocus(GetDlgItem(dlg, IDC_WIZ_PASSWORD_EDIT));
}

void refuse(HWND dlg, const char* text) {
    wizardShowError(dlg, text);
    HWND edit = GetDlgItem(dlg, IDC_WIZ_PASSWORD_EDIT);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

// Takes the page's choice into the record; false (with the error shown)
// when the two passwords differ or the password is too short or too long.
bool take(HWND dlg, CollectionRecord* record) {
    record->isPublic = isPublic(dlg) ? 1 : 0;
    if (record->isPublic) {
        std::memset(record->password, 0, sizeof record->password);
        return true;
    }
    std::string confirm = wizardText(dlg, IDC_WIZ_PASSWORD_CONFIRM, READ_LIMIT);
    std::string password = wizardText(dlg, IDC_WIZ_PASSWORD_EDIT, READ_LIMIT);
    std::snprintf(record->password, sizeof record->password, "%s", password.c_str());
    char text[256];
    if (password != confirm) {
        refuse(dlg,
               "The passwords you have entered do not match. Please ensure that both password entered are identical.");
        return false;
    }
    if (static_cast<int>(password.size()) < MIN_LENGTH) {
        std::snprintf(text, sizeof text,
                      "For security, you must enter a password that is at least %d characters in length.", MIN_LENGTH);
        refuse(dlg, text);
        return false;
    }
    if (static_cast<int>(password.size()) > STORED_LENGTH) {
        std::snprintf(text, sizeof text, "Your password can be at most %d characters in length.", STORED_LENGTH);
        refuse(dlg, text);
        return false;
    }
    return true;
}

}  // namespace

INT_PTR CALLBACK wizardPasswordPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<PasswordPage*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        page = new PasswordPage;
        page->record = wizardRecordOf(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        if (page->record) open(dlg, page);
        return FALSE;
    }
    if (message == WM_DESTROY && page) {
        delete page;
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        return FALSE;
    }
    if (!page || !page->record) return FALSE;
    INT_PTR result = 0;
    if (wizardCommonMessage(dlg, message, wParam, lParam, WIZ_HELP_PASSWORD, &result)) return result;
    switch (message) {
        case WM_COMMAND:
            if ((LOWORD(wParam) == IDC_WIZ_PASSWORD_EDIT || LOWORD(wParam) == IDC_WIZ_PASSWORD_CONFIRM) &&
                HIWORD(wParam) == EN_CHANGE) {
                updateButtons(dlg);
                return TRUE;
            }
            if (LOWORD(wParam) == IDC_WIZ_PASSWORD_PUBLIC && HIWORD(wParam) == BN_CLICKED) {
                followPublic(dlg);
                updateButtons(dlg);
                return TRUE;
            }
            return FALSE;
        case WM_NOTIFY: {
            UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
            if (code == PSN_SETACTIVE) {
                wizardHideError(dlg);
                updateButtons(dlg);
                if (IsWindowEnabled(GetDlgItem(dlg, IDC_WIZ_PASSWORD_EDIT))) wizardFocusLater(dlg, IDC_WIZ_PASSWORD_EDIT);
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (wizardIsForward(code)) {
                if (!take(dlg, page->record)) {
                    wizardStay(dlg, code);
                    return TRUE;
                }
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
