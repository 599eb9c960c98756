// The host's "SETTINGS" page: mode, tray and balloon switches, tab access,
// password protection and restoring the recommended settings.
#include "settings/host_page.h"

#include <commctrl.h>

#include <cstdio>
#include <strings.h>

#include "extmod/extmod.h"
#include "hhelpmod.h"
#include "win/htmlhelp.h"
#include "settings/defaults.h"
#include "settings/settings_ids.h"
#include "settings/settings_ui.h"
#include "settings/settings_window.h"
#include "shell/password.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "tray/traymod.h"

namespace {

struct PageFlags {
    bool changed = false;
    bool restoringDefaults = false;
    bool reinitConfirmed = false;  // "must re-initialize" answered yes; the OK it pressed does not ask again
};

PageFlags &flags() {
    static PageFlags f;
    return f;
}

constexpr char kPageTitle[] = "Settings";

const char *config() { return shellState().paths.config; }

bool remoteClass() { return strcasecmp(shellState().className, "loomremote:main") == 0; }

void writeInt(const char *section, const char *key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(section, key, text, config());
}

bool checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// Radio 30 (expert) is offered unless configuring tabs is protected, the
// window is in novice mode and the password has not been given.
void updateExpertRadio(HWND page) {
    ShellState &s = shellState();
    bool enable = !s.switches.passwordConfigureTabs || s.switches.expertMode || s.passwordGiven;
    EnableWindow(GetDlgItem(page, IDC_SP_EXPERT), enable);
}

void markChanged(HWND page) {
    flags().changed = true;
    SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

// The language box explains itself in a tooltip (the tooltip window is a
// child of the page's owner chain and goes with the page).
void addLanguageTip(HWND page, HWND language) {
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, page, nullptr,
                               nullptr, nullptr);
    if (!tip) return;
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = page;
    info.uId = reinterpret_cast<UINT_PTR>(language);
    info.lpszText = const_cast<char *>("Select the desired language from the list");
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void initPage(HWND page) {
    ShellState &s = shellState();
    flags() = PageFlags{};
    HWND language = GetDlgItem(page, IDC_SP_LANGUAGE);
    SendMessageA(language, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("English-US"));
    SendMessageA(language, CB_SETCURSEL, static_cast<WPARAM>(s.switches.language == 0 ? 0 : -1), 0);
    if (SendMessageA(language, CB_GETCURSEL, 0, 0) < 0) SendMessageA(language, CB_SETCURSEL, 0, 0);
    // The tips dialog reads its switch from section "Tips"; the box shows that one.
    int showTips = static_cast<int>(GetPrivateProfileIntA("Tips", "ShowTips", 1, config()));
    CheckDlgButton(page, IDC_SP_SHOWTIPS, showTips ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SP_CONFIRMCLOSE, s.switches.confirmClose ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SP_NOTIFYMINIMIZE, s.switches.notifyMinimize ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SP_DISABLETRAY, s.switches.disableTray ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SP_DISABLEPOPUP, s.switches.disablePopup ? BST_CHECKED : BST_UNCHECKED);
    if (remoteClass()) EnableWindow(GetDlgItem(page, IDC_SP_DISABLETRAY), FALSE);
    if (s.switches.disableTray) EnableWindow(GetDlgItem(page, IDC_SP_DISABLEPOPUP), FALSE);
    CheckRadioButton(page, IDC_SP_EXPERT, IDC_SP_NOVICE, s.switches.expertMode ? IDC_SP_EXPERT : IDC_SP_NOVICE);
    updateExpertRadio(page);
    addLanguageTip(page, language);
}

// Asks for the password unless it was given or none is set; true to go on.
bool passwordGate(HWND page) {
    ShellState &s = shellState();
    if (s.passwordGiven || !passwordIsSet()) return true;
    if (passwordDialog(page) != 1) return false;
    s.passwordGiven = true;
    return true;
}

void tabAccess(HWND page) {
    ShellState &s = shellState();
    if (!s.switches.passwordProperties && s.switches.passwordConfigureTabs && !passwordGate(page)) return;
    if (settingsTabAccessDialog(page) == 1) {
        updateExpertRadio(page);
        markChanged(page);
    }
}

void passwordProtection(HWND page) {
    ShellState &s = shellState();
    if (!s.switches.passwordProperties && !s.passwordGiven && passwordIsSet()) {
        if (!passwordGate(page)) return;
        EnableWindow(GetDlgItem(page, IDC_SP_EXPERT), TRUE);
    }
    if (settingsPasswordProtectionDialog(page) == 1) {
        shellReadSwitches();
        updateExpertRadio(page);
        markChanged(page);
    }
}

void restoreDefaults(HWND page) {
    ShellState &s = shellState();
    if (MessageBoxA(page, "Are you sure you want to restore the recommended default settings?", s.title,
                    MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    flags().restoringDefaults = true;
    settingsPressButton(IDC_SW_APPLY);  // pending changes are written first
    flags().restoringDefaults = false;
    int r = settingsRestoreDefaults(config());
    if (r < 0) {
        settingsLog("settingsRestoreDefaults() returned error code %d", r);
        return;
    }
    extmodNotify(EXT_NOTIFY_CONFIG_CHANGED, EXT_CONFIG_RELOAD);
    shellReadSwitches();
    if (s.trayIcon >= 0) {
        int t = traymodSetMode(s.trayIcon, TRAYMOD_MODE_VISIBLE, s.switches.disableTray ? 0 : 1);
        if (t < 0) settingsLog("traymodSetMode() returned error code %d", t);
    }
    s.reopenSettings = true;
    // Close without applying again: the pages would write their old values
    // over the restored ones.
    settingsPressButton(IDC_SW_CANCEL);
}

LONG_PTR apply(HWND page, bool ok) {
    ShellState &s = shellState();
    PageFlags &f = flags();
    if (f.changed) {
        int language = static_cast<int>(SendDlgItemMessageA(page, IDC_SP_LANGUAGE, CB_GETCURSEL, 0, 0));
        writeInt("Settings", "Language", language < 0 ? 0 : language);
        int showTips = checked(page, IDC_SP_SHOWTIPS);
        writeInt("Settings", "ShowTips", showTips);
        writeInt("Tips", "ShowTips", showTips);
        writeInt("Settings", "ConfirmClose", checked(page, IDC_SP_CONFIRMCLOSE));
        writeInt("Settings", "NotifyMinimize", checked(page, IDC_SP_NOTIFYMINIMIZE));
        writeInt("Settings", "DisablePopup", checked(page, IDC_SP_DISABLEPOPUP));
        writeInt("Settings", "DisableTray", checked(page, IDC_SP_DISABLETRAY));
        s.switches.language = language < 0 ? 0 : language;
        s.switches.showTips = showTips;
        s.switches.confirmClose = checked(page, IDC_SP_CONFIRMCLOSE);
        s.switches.notifyMinimize = checked(page, IDC_SP_NOTIFYMINIMIZE);
        s.switches.disablePopup = checked(page, IDC_SP_DISABLEPOPUP);
        s.switches.disableTray = remoteClass() ? 0 : checked(page, IDC_SP_DISABLETRAY);
        if (s.trayIcon >= 0) {
            int r = traymodSetMode(s.trayIcon, TRAYMOD_MODE_VISIBLE, s.switches.disableTray ? 0 : 1);
            if (r < 0) settingsLog("traymodSetMode() returned error code %d", r);
        }
        int expert = checked(page, IDC_SP_EXPERT);
        if ((expert != 0) != (s.switches.expertMode != 0)) s.reopenSettings = true;
        writeInt("Settings", "ExpertMode", expert);
        s.switches.expertMode = expert;
    }
    f.changed = false;
    if (f.restoringDefaults) {
        f.restoringDefaults = false;
    } else if (s.reopenSettings && !f.reinitConfirmed) {
        char text[512];
        std::snprintf(text, sizeof text,
                      "%s must re-initialize for your changes to take effect. Would you like to do this now?",
                      s.title);
        if (MessageBoxA(page, text, s.title, MB_ICONQUESTION | MB_YESNO) == IDYES) {
            f.reinitConfirmed = true;
            // OK closes the window anyway; after Apply it is pressed once this
            // round of notifications is over.
            if (!ok) PostMessageA(settingsWindow().window, WM_COMMAND, MAKEWPARAM(IDC_SW_OK, BN_CLICKED), 0);
        } else {
            s.reopenSettings = false;
        }
    }
    return PSNRET_NOERROR;
}

void pageHelp(HWND page) {
    ShellState &s = shellState();
    char key[64];
    std::snprintf(key, sizeof key, "cradle-%s", kPageTitle);
    int topic = static_cast<int>(GetPrivateProfileIntA("help", key, 0, config()));
    if (hhelpmodAvailable() && topic > 0) hhelpmodHtmlHelp(page, s.paths.help, HH_HELP_CONTEXT, static_cast<DWORD_PTR>(topic));
    else WinHelpA(page, s.paths.defaultHelp, HELP_CONTEXT, 5000);
}

void controlHelp(HWND page, const HELPINFO *info) {
    ShellState &s = shellState();
    char key[80];
    std::snprintf(key, sizeof key, "cradle-%s-%u", kPageTitle, static_cast<unsigned>(info->iCtrlId));
    int topic = static_cast<int>(GetPrivateProfileIntA("help", key, -1, config()));
    if (hhelpmodAvailable() && topic >= 0) {
        char file[SHELL_PATH_MAX + 16];
        std::snprintf(file, sizeof file, "%s::/cradle.txt", s.paths.help);
        DWORD pairs[4] = {static_cast<DWORD>(info->iCtrlId), static_cast<DWORD>(topic), 0, 0};
        hhelpmodHtmlHelp(static_cast<HWND>(info->hItemHandle), file, HH_TP_HELP_WM_HELP,
                         reinterpret_cast<DWORD_PTR>(pairs));
    } else {
        WinHelpA(page, s.paths.defaultHelp, HELP_CONTEXTPOPUP, 5000 + static_cast<ULONG_PTR>(info->iCtrlId));
    }
}

}  // namespace

INT_PTR CALLBACK hostSettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: initPage(page); return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        int code = HIWORD(wParam);
        switch (id) {
        case IDC_SP_DISABLETRAY: {
            bool hide = checked(page, IDC_SP_DISABLETRAY);
            if (hide) CheckDlgButton(page, IDC_SP_DISABLEPOPUP, BST_CHECKED);
            else CheckDlgButton(page, IDC_SP_DISABLEPOPUP, BST_UNCHECKED);
            EnableWindow(GetDlgItem(page, IDC_SP_DISABLEPOPUP), !hide);
            markChanged(page);
            return TRUE;
        }
        case IDC_SP_EXPERT:
        case IDC_SP_NOVICE:
        case IDC_SP_SHOWTIPS:
        case IDC_SP_DISABLEPOPUP:
        case IDC_SP_CONFIRMCLOSE:
        case IDC_SP_NOTIFYMINIMIZE:
            if (code == BN_CLICKED) markChanged(page);
            return TRUE;
        case IDC_SP_LANGUAGE:
            if (code == CBN_SELCHANGE && GetFocus() == GetDlgItem(page, IDC_SP_LANGUAGE)) markChanged(page);
            return TRUE;
        case IDC_SP_TABS: tabAccess(page); return TRUE;
        case IDC_SP_PASSWORD: passwordProtection(page); return TRUE;
        case IDC_SP_DEFAULTS: restoreDefaults(page); return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<const NMHDR *>(lParam);
        if (hdr->code == PSN_APPLY) {
            SetWindowLongPtrA(page, DWLP_MSGRESULT, apply(page, reinterpret_cast<const PSHNOTIFY *>(lParam)->lParam != 0));
            return TRUE;
        }
        if (hdr->code == PSN_HELP) {
            pageHelp(page);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP: controlHelp(page, reinterpret_cast<const HELPINFO *>(lParam)); return TRUE;
    case WM_CTLCOLORSTATIC:
        return settingsHeadingColor(reinterpret_cast<HDC>(wParam), GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
    }
    return FALSE;
}
