// The commands of the main window and its tray icon callback.
#include "shell/commands.h"

#include "extmod/extmod.h"
#include "service/service.h"
#include "settings/settings.h"
#include "hhelpmod.h"
#include "shell/mainwindow.h"
#include "shell/password.h"
#include "shell/shell.h"
#include "tray/traymod.h"
#include "zellog.h"

#include <shellapi.h>
#include <win/htmlhelp.h>

#include <cstdio>
#include <cstring>
#include <string>

void shellPressSettingsButton(int id) {
    ShellState &s = shellState();
    if (!s.settingsOpen || !IsWindow(s.settingsWindow)) return;
    HWND button = GetDlgItem(s.settingsWindow, id);
    SendMessageA(s.settingsWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void shellCloseCommand(HWND hwnd) {
    ShellState &s = shellState();
    if (s.switches.closePassword && passwordIsSet() && passwordDialog(hwnd) != 1) return;
    if (s.switches.confirmClose) {
        int answer = shellAskClose(hwnd);
        if (answer == 20) return;
    }
    shellPressSettingsButton(102);
    if (!serviceRequestStop()) PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

void shellPropertiesCommand(HWND hwnd, int page) {
    ShellState &s = shellState();
    if (s.settingsOpen) {
        SetForegroundWindow(hwnd);
        SetActiveWindow(hwnd);
        return;
    }
    // 0: the window was shown and closed (not for re-initialisation, not
    // refused at the password).
    if (settingsOpen(page) == 0 && s.switches.notifyMinimize) shellTaskbarNotice(hwnd);
}

void shellHelpCommand(HWND hwnd) {
    if (hhelpmodAvailable()) hhelpmodHtmlHelp(hwnd, shellState().paths.defaultHelp, HH_DISPLAY_TOC, 0);
}

void shellWhatsThisCommand(HWND hwnd) {
    char file[SHELL_PATH_MAX + 16];
    std::snprintf(file, sizeof file, "%s::/cradle.txt", shellState().paths.help);
    HH_POPUP popup{};
    popup.cbStruct = sizeof popup;
    popup.idString = 1800;
    GetCursorPos(&popup.pt);
    popup.pt.y -= 50;
    popup.clrForeground = static_cast<COLORREF>(-1);
    popup.clrBackground = static_cast<COLORREF>(-1);
    popup.rcMargins = {-1, -1, -1, -1};
    popup.pszFont = "Tahoma,8";
    hhelpmodHtmlHelp(hwnd, file, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
}

void shellStringCommand(ATOM atom) {
    extmodNotify(EXT_NOTIFY_COMMAND_LINE, atom);
    GlobalDeleteAtom(atom);
}

void shellTrayCallback(HWND hwnd, UINT event) {
    ShellState &s = shellState();
    if (event == WM_LBUTTONDBLCLK || event == NIN_BALLOONUSERCLICK) {
        int page = 0;
        std::string module;
        {
            std::lock_guard<std::mutex> g(shellLock());
            page = s.pendingPage;
            module = s.pendingModule;
            if (page) s.pendingPage = 0;
            else s.pendingModule[0] = '\0';
        }
        if (page) {
            PostMessageA(hwnd, WM_COMMAND, SHELL_CMD_PROPERTIES, page);
        } else if (!module.empty()) {
            int r = traymodSetMode(s.trayIcon, TRAYMOD_MODE_STEADY, 0);
            if (r != 0) zelextLog("cradle", ZELLOG_ERROR, "traymodSetMode() returned error code %d", r);
            if (extmodNotifyByName(module.c_str(), EXT_NOTIFY_TIP_CLICKED, 0) < 0)
                zelextLog("cradle", ZELLOG_ERROR, "User notification click could not be sent to module %s",
                          module.c_str());
        } else {
            PostMessageA(hwnd, WM_COMMAND, SHELL_CMD_PROPERTIES, 0);
        }
    } else if (event == WM_RBUTTONUP) {
        POINT pt{};
        GetCursorPos(&pt);
        SetForegroundWindow(hwnd);
        TrackPopupMenu(s.trayMenu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd, nullptr);
        PostMessageA(hwnd, WM_NULL, 0, 0);
    }
}
