// Password protection dialog (104): the password and what it protects.
#include <cstdio>
#include <string>

#include "settings/host_page.h"
#include "settings/settings_ids.h"
#include "settings/settings_ui.h"
#include "shell/password.h"
#include "shell/shell.h"
#include "shell/startup.h"

namespace {

// Pop-up topics of the dialog's controls: 6200 + control id.
const DWORD kHelpTopics[] = {
    IDC_PP_USE, 6220, IDC_PP_PASSWORD, 6230, IDC_PP_REPEAT, 6231, IDC_PP_PROPERTIES, 6232,
    IDC_PP_TABS, 6233, IDC_PP_CLOSE, 6234, IDC_PP_OK, 6300, IDC_PP_CANCEL, 6301, 0, 0,
};

std::string text(HWND dlg, int id) {
    char buf[PASSWORD_TYPED_MAX + 1] = "";
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return buf;
}

std::string storedPassword() {
    char stored[64] = "";
    GetPrivateProfileStringA("Expert", "Password", "", stored, sizeof stored, shellState().paths.config);
    return stored;
}

void enableSwitches(HWND dlg, bool enable) {
    for (int id : {IDC_PP_PROPERTIES, IDC_PP_TABS, IDC_PP_CLOSE}) EnableWindow(GetDlgItem(dlg, id), enable);
}

// The switches are offered while both edits hold the same text; OK while
// both hold some (or always, without a password).
void update(HWND dlg) {
    bool use = IsDlgButtonChecked(dlg, IDC_PP_USE) == BST_CHECKED;
    EnableWindow(GetDlgItem(dlg, IDC_PP_PASSWORD), use);
    EnableWindow(GetDlgItem(dlg, IDC_PP_REPEAT), use);
    if (!use) {
        EnableWindow(GetDlgItem(dlg, IDC_PP_OK), TRUE);
        enableSwitches(dlg, false);
        return;
    }
    std::string a = text(dlg, IDC_PP_PASSWORD), b = text(dlg, IDC_PP_REPEAT);
    EnableWindow(GetDlgItem(dlg, IDC_PP_OK), !a.empty() && !b.empty());
    enableSwitches(dlg, !a.empty() && a == b);
}

void init(HWND dlg) {
    ShellState &s = shellState();
    std::string stored = storedPassword();
    bool set = !stored.empty();
    SetDlgItemTextA(dlg, IDC_PP_PASSWORD, set ? stored.c_str() : "");
    SetDlgItemTextA(dlg, IDC_PP_REPEAT, set ? stored.c_str() : "");
    CheckDlgButton(dlg, IDC_PP_USE, set ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_PP_PROPERTIES, s.switches.passwordProperties ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_PP_TABS, s.switches.passwordConfigureTabs ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_PP_CLOSE, s.switches.closePassword ? BST_CHECKED : BST_UNCHECKED);
    update(dlg);
}

// Stores the password and switches; false keeps the dialog open.
bool save(HWND dlg) {
    ShellState &s = shellState();
    const char *ini = s.paths.config;
    if (IsDlgButtonChecked(dlg, IDC_PP_USE) == BST_CHECKED) {
        std::string a = text(dlg, IDC_PP_PASSWORD), b = text(dlg, IDC_PP_REPEAT);
        if (a != b) {
            MessageBoxA(dlg, "You have not entered the password correctly. Please re-enter.", s.title,
                        MB_ICONINFORMATION | MB_OK);
            return false;
        }
        std::string stored = storedPassword();
        if (stored.empty() || a != stored) {
            char form[PASSWORD_STORED_SIZE];
            if (passwordStoredForm(a.c_str(), form) != 0) {
                // Dropping the old password here would leave everything
                // unprotected while the user believes it is protected.
                MessageBoxA(dlg, "The password could not be stored. The previous setting is kept.", s.title,
                            MB_ICONERROR | MB_OK);
                return false;
            }
            WritePrivateProfileStringA("Expert", "Password", form, ini);
        }
    } else {
        WritePrivateProfileStringA("Expert", "Password", nullptr, ini);
    }
    auto box = [dlg](int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED ? "1" : "0"; };
    WritePrivateProfileStringA("Expert", "PasswordProperties", box(IDC_PP_PROPERTIES), ini);
    WritePrivateProfileStringA("Expert", "PasswordConfigureTabs", box(IDC_PP_TABS), ini);
    WritePrivateProfileStringA("Settings", "ClosePassword", box(IDC_PP_CLOSE), ini);
    s.switches.passwordProperties = box(IDC_PP_PROPERTIES)[0] == '1';
    s.switches.passwordConfigureTabs = box(IDC_PP_TABS)[0] == '1';
    s.switches.closePassword = box(IDC_PP_CLOSE)[0] == '1';
    return true;
}

INT_PTR CALLBACK protectionProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: init(dlg); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PP_USE:
            if (HIWORD(wParam) == BN_CLICKED) update(dlg);
            return TRUE;
        case IDC_PP_PASSWORD:
        case IDC_PP_REPEAT:
            if (HIWORD(wParam) == EN_CHANGE) update(dlg);
            return TRUE;
        case IDC_PP_OK:
            if (save(dlg)) EndDialog(dlg, 1);
            return TRUE;
        case IDC_PP_CANCEL:
        case IDCANCEL: EndDialog(dlg, 0); return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        return settingsHeadingColor(reinterpret_cast<HDC>(wParam), GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
    case WM_HELP: settingsControlHelp(reinterpret_cast<const HELPINFO *>(lParam), kHelpTopics); return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR settingsPasswordProtectionDialog(HWND owner) {
    return DialogBoxParamA(shellState().branding, MAKEINTRESOURCEA(IDD_PASSWORD_PROTECTION), owner, protectionProc, 0);
}
