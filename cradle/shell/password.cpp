// The host's password: stored form, check and dialog.
#include "shell/password.h"

#include "settings/settings_ui.h"
#include "shell/look.h"
#include "shell/shell.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstring>

namespace {

constexpr int kEdit = 10;
constexpr int kOk = 100;
constexpr int kCancel = 101;
constexpr int kMaxWrong = 3;

// Pop-up topics of the dialog's controls: 6000 + control id.
const DWORD kHelpTopics[] = {kEdit, 6010, kOk, 6100, kCancel, 6101, 0, 0};

// The stored text: [Expert] Password (empty when none is set).
void storedPassword(char *out, DWORD size) {
    GetPrivateProfileStringA("Expert", "Password", "", out, size, shellState().paths.config);
}

struct PasswordDialog {
    int wrong = 0;
    bool ended = false;  // a click queued after the end changes nothing
};

void finish(HWND dlg, PasswordDialog &state, int result) {
    state.ended = true;
    EndDialog(dlg, result);
}

void enableOk(HWND dlg) {
    EnableWindow(GetDlgItem(dlg, kOk), GetWindowTextLengthA(GetDlgItem(dlg, kEdit)) > 0);
}

void focusField(HWND dlg) {
    HWND edit = GetDlgItem(dlg, kEdit);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

// OK: ends the dialog with 1 when no password is set or the typed one is
// right; otherwise says so and ends with 0 after the third wrong entry.
void onOk(HWND dlg, PasswordDialog &state) {
    if (state.ended) return;
    if (!passwordIsSet()) {
        finish(dlg, state, 1);
        return;
    }
    char typed[PASSWORD_TYPED_MAX + 1] = "";
    GetDlgItemTextA(dlg, kEdit, typed, sizeof typed);
    int match = passwordCheck(typed);
    OPENSSL_cleanse(typed, sizeof typed);
    if (match == 1) {
        finish(dlg, state, 1);
        return;
    }
    MessageBoxA(dlg, "You have not supplied the correct password. Please try again.", shellState().title,
                MB_OK | MB_ICONERROR);
    if (++state.wrong >= kMaxWrong) {
        finish(dlg, state, 0);
        return;
    }
    focusField(dlg);
}

INT_PTR CALLBACK passwordProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto *state = reinterpret_cast<PasswordDialog *>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        shellSetDialogIcon(dlg);
        SendDlgItemMessageA(dlg, kEdit, EM_LIMITTEXT, PASSWORD_TYPED_MAX, 0);
        if (passwordIsSet()) enableOk(dlg);
        focusField(dlg);
        return FALSE;  // the focus is set
    case WM_CTLCOLORSTATIC: return shellHeadingColour(wParam, lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kEdit:
            if (HIWORD(wParam) == EN_CHANGE) enableOk(dlg);
            return TRUE;
        case kOk:
        case IDOK:
            if (state) onOk(dlg, *state);
            return TRUE;
        case kCancel:
        case IDCANCEL:
            if (state && !state->ended) finish(dlg, *state, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        if (state && !state->ended) finish(dlg, *state, 0);
        return TRUE;
    case WM_HELP: settingsControlHelp(reinterpret_cast<const HELPINFO *>(lParam), kHelpTopics); return TRUE;
    }
    return FALSE;
}

}  // namespace

bool passwordIsSet() {
    char stored[256];
    storedPassword(stored, sizeof stored);
    return stored[0] != '\0';
}

int passwordStoredForm(const char *typed, char out[PASSWORD_STORED_SIZE]) {
    if (!typed || !out) return -2;
    out[0] = '\0';
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(typed, std::strlen(typed), digest, &length, EVP_md5(), nullptr) || length != 16) return -3;
    EVP_EncodeBlock(reinterpret_cast<unsigned char *>(out), digest, 16);  // 24 characters and a terminator
    return 0;
}

int passwordCheck(const char *typed) {
    if (!typed) return -2;
    char stored[256];
    storedPassword(stored, sizeof stored);
    if (!stored[0]) return 0;
    char form[PASSWORD_STORED_SIZE];
    if (passwordStoredForm(typed, form) != 0) return -3;
    // The stored form is always 24 characters; a stored text of another
    // length cannot match, and its length tells nothing about the password.
    if (std::strlen(stored) != PASSWORD_STORED_SIZE - 1) return 0;
    return CRYPTO_memcmp(stored, form, PASSWORD_STORED_SIZE - 1) == 0 ? 1 : 0;
}

int passwordDialog(HWND owner) {
    PasswordDialog state;
    INT_PTR r = DialogBoxParamA(shellState().branding, MAKEINTRESOURCEA(103), owner, passwordProc,
                                reinterpret_cast<LPARAM>(&state));
    return r == 1 ? 1 : 0;
}
