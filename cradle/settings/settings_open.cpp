// Opening the settings window: password, tab list, the window, and the
// re-initialisation loop that reopens it in a new mode.
#include "settings/settings.h"

#include <windows.h>

#include "btnmod.h"
#include "extmod/extmod.h"
#include "hhelpmod.h"
#include "settings/settings_ui.h"
#include "settings/settings_window.h"
#include "settings/tabsort.h"
#include "shell/password.h"
#include "shell/shell.h"
#include "tray/traymod.h"

namespace {

// The host's own pages: "Settings" (with help when HTML help is there) and
// "About", both from the branding module.
void addHostPages() {
    ShellState &shell = shellState();
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USEICONID | PSP_USETITLE | (hhelpmodAvailable() ? PSP_HASHELP : 0);
    page.hInstance = shell.branding;
    page.pszTemplate = "SETTINGS";
    page.pszIcon = "ICONSETTINGS";
    page.pszTitle = "Settings";
    page.pfnDlgProc = hostSettingsPageProc;
    int r = tabsortAdd(TABSORT_MASTER, "cradle-Settings", &page);
    if (r < 0) settingsLog("tabsortAdd() returned error code %d", r);
    page.dwFlags = PSP_USEICONID | PSP_USETITLE;
    page.pszTemplate = "ABOUT";
    page.pszIcon = "ONLINEICON";
    page.pszTitle = "About";
    page.pfnDlgProc = aboutPageProc;
    r = tabsortAdd(TABSORT_MASTER, "cradle-About", &page);
    if (r < 0) settingsLog("tabsortAdd() returned error code %d", r);
}

void setCloseItem(bool enabled) {
    ShellState &shell = shellState();
    if (shell.trayMenu) EnableMenuItem(shell.trayMenu, 100, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

int settingsOpen(int requestedPage) {
    ShellState &shell = shellState();
    if (shell.settingsOpen) {
        // Only one settings window: bring the owner (and so the window) forward.
        if (shell.mainWindow) SetForegroundWindow(shell.mainWindow);
        if (shell.settingsWindow) SetForegroundWindow(shell.settingsWindow);
        return 1;
    }
    if (shell.trayIcon >= 0) {
        int r = traymodSetMode(shell.trayIcon, TRAYMOD_MODE_STEADY, 0);
        if (r < 0) settingsLog("traymodSetMode() returned error code %d", r);
    }
    shell.settingsOpen = true;
    shell.reopenSettings = false;
    shell.passwordGiven = false;
    {
        std::lock_guard<std::mutex> lock(shellLock());
        shell.pendingPage = 0;
    }

    int r = tabsortInit(shell.paths.config);
    if (r < 0) settingsLog("tabsortInit() returned error code %d", r);
    addHostPages();
    r = btnmodInit();
    if (r < 0) settingsLog("btnmodInit() returned error code %d", r);
    setCloseItem(false);

    bool shown = false;
    bool allowed = true;
    if (shell.switches.passwordProperties && passwordIsSet()) {
        allowed = passwordDialog(shell.mainWindow) == 1;
        if (allowed) shell.passwordGiven = true;
    }
    if (allowed) {
        shown = true;
        if (settingsRunWindow(shell.mainWindow, requestedPage) == 1) extmodNotify(EXT_NOTIFY_CONFIG_CHANGED, EXT_CONFIG_RELOAD);
    }

    setCloseItem(true);
    {
        std::lock_guard<std::mutex> lock(shellLock());
        shell.pendingPage = 0;
    }
    r = btnmodShutdown();
    if (r < 0) settingsLog("btnmodShutdown() returned error code %d", r);
    r = tabsortShutdown();
    if (r < 0) settingsLog("tabsortShutdown() returned error code %d", r);

    shell.settingsOpen = false;
    shell.passwordGiven = false;
    if (shell.reopenSettings && shell.mainWindow) PostMessageA(shell.mainWindow, WM_COMMAND, 140, 0);
    // The caller shows the "TASKBAR" notice only after a window that was shown
    // and is not about to reopen.
    return shown && !shell.reopenSettings ? 0 : 1;
}
