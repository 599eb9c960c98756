// Display Name: a new collection's name, typed, or an existing collection
// chosen from the list.
#include "wizard_pages.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "config.h"
#include "pagecommon.h"
#include "store.h"
#include "wizard_ids.h"

namespace {

constexpr int NAME_LIMIT = 64;         // characters the edit takes
constexpr int NAME_KEPT = 63;          // characters that become the name
constexpr int CAPITALISE_LIMIT = 255;  // characters the capitalisation looks at

struct NamePage {
    CollectionRecord* record = nullptr;
    PageFonts fonts;
};

bool isChecked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

// Capitals for the first character, the last word and one-letter words:
// a character after a space is raised when no space follows it in the rest
// of the text, or when the next character is a space.
std::string capitalise(std::string text) {
    if (text.size() > CAPITALISE_LIMIT) text.resize(CAPITALISE_LIMIT);
    for (size_t i = 0; i < text.size(); ++i) {
        auto upper = [&] { text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i]))); };
        if (i == 0) {
            upper();
        } else if (text[i - 1] == ' ') {
            bool lastWord = text.find(' ', i) == std::string::npos;
            bool oneLetter = i + 1 < text.size() && text[i + 1] == ' ';
            if (lastWord || oneLetter) upper();
        }
    }
    return text;
}

void capitaliseEdit(HWND dlg) {
    std::string text = wizardText(dlg, IDC_WIZ_NAME_EDIT, CAPITALISE_LIMIT);
    std::string raised = capitalise(text);
    if (raised != text) SetDlgItemTextA(dlg, IDC_WIZ_NAME_EDIT, raised.c_str());
}

bool chosenHoldsValue(HWND dlg) {
    if (isChecked(dlg, IDC_WIZ_NAME_EXISTING))
        return SendDlgItemMessageA(dlg, IDC_WIZ_NAME_LIST, CB_GETCURSEL, 0, 0) >= 0;
    return GetWindowTextLengthA(GetDlgItem(dlg, IDC_WIZ_NAME_EDIT)) > 0;
}

void updateButtons(HWND dlg) { wizardSetButtons(dlg, chosenHoldsValue(dlg) ? PSWIZB_NEXT : 0); }

void chooseNew(HWND dlg) {
    CheckRadioButton(dlg, IDC_WIZ_NAME_NEW, IDC_WIZ_NAME_EXISTING, IDC_WIZ_NAME_NEW);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_NAME_EDIT), TRUE);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_NAME_LIST), FALSE);
    updateButtons(dlg);
    SetFocus(GetDlgItem(dlg, IDC_WIZ_NAME_EDIT));
    SendDlgItemMessageA(dlg, IDC_WIZ_NAME_EDIT, EM_SETSEL, 0, -1);
}

void chooseExisting(HWND dlg) {
    CheckRadioButton(dlg, IDC_WIZ_NAME_NEW, IDC_WIZ_NAME_EXISTING, IDC_WIZ_NAME_EXISTING);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_NAME_EDIT), FALSE);
    HWND list = GetDlgItem(dlg, IDC_WIZ_NAME_LIST);
    EnableWindow(list, TRUE);
    if (SendMessageA(list, CB_GETCURSEL, 0, 0) < 0 && SendMessageA(list, CB_GETCOUNT, 0, 0) == 1)
        SendMessageA(list, CB_SETCURSEL, 0, 0);
    updateButtons(dlg);
    SetFocus(list);
}

void open(HWND dlg, NamePage* page) {
    page->fonts.title(dlg, IDC_WIZ_TITLE);
    page->fonts.bold(dlg, IDC_WIZ_NAME_EXAMPLE);
    SendDlgItemMessageA(dlg, IDC_WIZ_NAME_EDIT, EM_LIMITTEXT, NAME_LIMIT, 0);
    SetDlgItemTextA(dlg, IDC_WIZ_NAME_EDIT, page->record->name);
    std::vector<StoreCollection> collections;
    storeEnumCollections(g_config.collectionsDir, g_config.configPath, &collections);
    for (const StoreCollection& c : collections)
        SendDlgItemMessageA(dlg, IDC_WIZ_NAME_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name.c_str()));
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_NAME_EXISTING), !collections.empty());
    CheckRadioButton(dlg, IDC_WIZ_NAME_NEW, IDC_WIZ_NAME_EXISTING, IDC_WIZ_NAME_NEW);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_NAME_LIST), FALSE);
    SetFocus(GetDlgItem(dlg, IDC_WIZ_NAME_EDIT));
}

// The chosen name, or false when there is none. A typed name that would not
// be a folder of its own in the collections directory (a path, a hidden
// name, the Recycle Bin, a setting's key) is refused with a message.
bool takeName(HWND dlg, CollectionRecord* record) {
    std::string name;
    if (isChecked(dlg, IDC_WIZ_NAME_EXISTING)) {
        HWND list = GetDlgItem(dlg, IDC_WIZ_NAME_LIST);
        LRESULT at = SendMessageA(list, CB_GETCURSEL, 0, 0);
        LRESULT length = at >= 0 ? SendMessageA(list, CB_GETLBTEXTLEN, at, 0) : CB_ERR;
        if (length < 0 || length > NAME_KEPT) return false;
        name.resize(static_cast<size_t>(length) + 1);
        if (SendMessageA(list, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(name.data())) < 0) return false;
        name.resize(static_cast<size_t>(length));
    } else {
        capitaliseEdit(dlg);
        name = wizardText(dlg, IDC_WIZ_NAME_EDIT, NAME_KEPT);
        if (name.empty()) return false;
        if (!storeIsValidName(name.c_str())) {
            char text[256];
            std::snprintf(text, sizeof text,
                          "\"%s\" cannot be the name of a collection. A name may not contain / or \\, begin with a "
                          "dot, or be the name of a setting of the photo server.",
                          name.c_str());
            pageMessageBox(dlg, text, MB_OK | MB_ICONEXCLAMATION);
            SetFocus(GetDlgItem(dlg, IDC_WIZ_NAME_EDIT));
            SendDlgItemMessageA(dlg, IDC_WIZ_NAME_EDIT, EM_SETSEL, 0, -1);
            return false;
        }
    }
    std::snprintf(record->name, sizeof record->name, "%s", name.c_str());
    return true;
}

}  // namespace

INT_PTR CALLBACK wizardNamePageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<NamePage*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        page = new NamePage;
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
    if (wizardCommonMessage(dlg, message, wParam, lParam, WIZ_HELP_NAME, &result)) return result;
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_WIZ_NAME_NEW:
                    if (HIWORD(wParam) == BN_CLICKED) chooseNew(dlg);
                    return TRUE;
                case IDC_WIZ_NAME_EXISTING:
                    if (HIWORD(wParam) == BN_CLICKED) chooseExisting(dlg);
                    return TRUE;
                case IDC_WIZ_NAME_EDIT:
                    if (HIWORD(wParam) == EN_CHANGE) updateButtons(dlg);
                    if (HIWORD(wParam) == EN_KILLFOCUS) capitaliseEdit(dlg);
                    return TRUE;
                case IDC_WIZ_NAME_LIST:
                    if (HIWORD(wParam) == CBN_SELCHANGE) updateButtons(dlg);
                    return TRUE;
            }
            return FALSE;
        case WM_NOTIFY: {
            UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
            if (code == PSN_SETACTIVE) {
                updateButtons(dlg);
                wizardFocusLater(dlg, isChecked(dlg, IDC_WIZ_NAME_EXISTING) ? IDC_WIZ_NAME_LIST : IDC_WIZ_NAME_EDIT);
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (wizardIsForward(code)) {
                if (!takeName(dlg, page->record)) {
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
