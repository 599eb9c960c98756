// The host's main window procedure: start-up, shut-down and the close sequence.
#include "shell/mainwindow.h"

#include "extmod/extmod.h"
#include "menu/menumod.h"
#include "service/service.h"
#include "shell/commands.h"
#include "hhelpmod.h"
#include "shell/look.h"
#include "shell/shell.h"
#include "shell/signals.h"
#include "shell/startup.h"
#include "tray/traymod.h"
#include "zellog.h"

#include <commctrl.h>

#include <cstdio>

namespace {

bool shutDown = false;

#ifndef WM_QUERYOPEN
constexpr UINT WM_QUERYOPEN = 0x0013;  // asks an iconic window whether it may be restored
#endif  // the shut-down sequence runs once

void logError(const char *format, int code) { zelextLog("cradle", ZELLOG_ERROR, format, code); }

// The tray menu with its owner-drawn items, icons and colours.
void buildTrayMenu() {
    ShellState &s = shellState();
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | MF_GRAYED, SHELL_CMD_TITLE, s.title);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, SHELL_CMD_WHATSTHIS, "&What's this?");
    AppendMenuA(menu, MF_STRING, SHELL_CMD_HELP, "&Help...");
    AppendMenuA(menu, MF_STRING, SHELL_CMD_PROPERTIES, "&Properties...");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, SHELL_CMD_CLOSE, "&Close");
    SetMenuDefaultItem(menu, SHELL_CMD_PROPERTIES, FALSE);
    s.trayMenu = menu;

    int r = menumodInit();
    if (r != 0) logError("menumodInit() returned error code %d", r);
    r = menumodPrepareMenu(menu);
    if (r != 0) logError("menumodPrepareMenu() returned error code %d", r);

    auto option = [menu](int item, int number, LONG_PTR value) {
        int result = menumodSetOption(menu, item, number, value);
        if (result != 0) logError("menumodSetOption() returned error code %d", result);
    };
    HICON titleIcon = shellLoadIcon("ONLINEICON", 16);
    if (!titleIcon) titleIcon = shellLoadIcon("ONLINE", 16);
    option(SHELL_CMD_TITLE, MENUMOD_OPT_ICON, reinterpret_cast<LONG_PTR>(titleIcon));
    // Each item's normal (option 7) and active (option 6) icon.
    const struct {
        int item, icon, active;
    } images[] = {{SHELL_CMD_WHATSTHIS, 306, 307},
                  {SHELL_CMD_HELP, 305, 304},
                  {SHELL_CMD_PROPERTIES, 302, 303},
                  {SHELL_CMD_CLOSE, 300, 301}};
    for (const auto &i : images) {
        option(i.item, MENUMOD_OPT_ICON, reinterpret_cast<LONG_PTR>(shellLoadIcon(MAKEINTRESOURCEA(i.icon), 16)));
        option(i.item, MENUMOD_OPT_ACTIVE_ICON,
               reinterpret_cast<LONG_PTR>(shellLoadIcon(MAKEINTRESOURCEA(i.active), 16)));
    }
    option(-1, MENUMOD_OPT_STYLE, MENUMOD_STYLE_STRIP | MENUMOD_STYLE_ICONS);
    option(-1, MENUMOD_OPT_BACKGROUND, 0xF7FBFF);
    option(-1, MENUMOD_OPT_GRAYTEXT, 0xA5A6A5);
    option(-1, MENUMOD_OPT_SELECTION, 0xD6BEB5);
    option(-1, MENUMOD_OPT_FRAME, 0x6B2408);
    option(-1, MENUMOD_OPT_STRIP, 0xC6CBCE);
}

LRESULT onCreate(HWND hwnd) {
    ShellState &s = shellState();
    s.mainWindow = hwnd;
    shutDown = false;

    INITCOMMONCONTROLSEX icc{sizeof icc, 0x8FF};
    if (!InitCommonControlsEx(&icc)) InitCommonControls();
    shellReadSwitches();  // also applies [help] File to the help path
    buildTrayMenu();

    int r = hhelpmodInit();
    if (r != 0) logError("hhelpmodInit() returned error code %d", r);

    r = traymodInit(s.branding, hwnd);
    if (r != 0) {
        logError("traymodInit() returned error code %d", r);
    } else {
        int icon = traymodCreate(hwnd, SHELL_TRAY_CALLBACK, shellLoadIcon("OFFLINE", 16), s.serviceName);
        if (icon < 0) logError("traymodCreate() returned error code %d", icon);
        s.trayIcon = icon < 0 ? -1 : icon;
    }
    char tip[300];
    std::snprintf(tip, sizeof tip, "%s (online)", s.serviceName);
    r = traymodSetIcon(s.trayIcon, shellLoadIcon("ONLINE", 16), tip);
    if (r != 0) logError("traymodSetIcon() returned error code %d", r);

    if (s.paths.sharedExtDir[0]) extmodSetSharedDirectory(s.paths.sharedExtDir);
    r = extmodInit(s.paths.extDir, hwnd, s.branding, s.serviceName, s.paths.config, SHELL_HOST_VERSION);
    if (r != 0) logError("extmodInit() returned error code %d", r);
    r = extmodNotify(EXT_NOTIFY_STARTUP, 1);
    if (r != 0) logError("extmodNotify() returned error code %d", r);

    r = traymodSetMode(s.trayIcon, TRAYMOD_MODE_VISIBLE, s.switches.disableTray ? 0 : 1);
    if (r != 0) logError("traymodSetMode() returned error code %d", r);

    servicePulseReady();
    shellSignalsWindowReady(hwnd);
    return 0;
}

// Begins closing: the settings window goes without applying, the tray menu's
// close and properties are grayed, the closing event is set, the icon shows
// "(closing)" and the window is destroyed after a short grace.
void onClose(HWND hwnd) {
    ShellState &s = shellState();
    shellPressSettingsButton(102);
    EnableMenuItem(s.trayMenu, SHELL_CMD_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(s.trayMenu, SHELL_CMD_PROPERTIES, MF_BYCOMMAND | MF_GRAYED);
    SetEvent(s.closingEvent);
    if (s.trayIcon >= 0) {
        char tip[300];
        std::snprintf(tip, sizeof tip, "%s (closing)", s.serviceName);
        int r = traymodSetIcon(s.trayIcon, shellLoadIcon("OFFLINE", 16), tip);
        if (r != 0) logError("traymodSetIcon() returned error code %d", r);
    }
    SetTimer(hwnd, SHELL_CLOSE_TIMER, SHELL_CLOSE_GRACE_MS, nullptr);
}

void onDestroy() {
    if (shutDown) return;
    shutDown = true;
    ShellState &s = shellState();
    shellSignalsWindowGone();
    int r = extmodShutdown();
    if (r != 0) logError("extmodShutdown() returned error code %d", r);
    if (s.trayMenu) {
        r = menumodRestoreMenu(s.trayMenu);
        if (r != 0) logError("menumodPrepareMenu() returned error code %d", r);
        s.trayMenu = nullptr;
    }
    r = menumodShutdown();
    if (r != 0) logError("menumodShutdown() returned error code %d", r);
    if (s.trayIcon >= 0) {
        r = traymodDestroy(s.trayIcon);
        if (r != 0) logError("traymodDestroy() returned error code %d", r);
        s.trayIcon = -1;
    }
    r = traymodShutdown();
    if (r != 0) logError("traymodShutdown() returned error code %d", r);
    r = hhelpmodShutdown();
    if (r != 0) logError("hhelpmodShutdown() returned error code %d", r);
    r = zelextLogShutdown();
    if (r != 1) logError("zelextLogShutdown() returned error code %d", r);
    servicePulseReady();
    PostQuitMessage(0);
}

LRESULT onCommand(HWND hwnd, UINT id, LPARAM lParam) {
    switch (id & 0xFFF0) {
    case SHELL_CMD_CLOSE & 0xFFF0: shellCloseCommand(hwnd); break;
    case SHELL_CMD_PROPERTIES & 0xFFF0: shellPropertiesCommand(hwnd, static_cast<int>(lParam)); break;
    case SHELL_CMD_HELP & 0xFFF0: shellHelpCommand(hwnd); break;
    case SHELL_CMD_STRING: shellStringCommand(static_cast<ATOM>(lParam)); break;
    case SHELL_CMD_WHATSTHIS & 0xFFF0: shellWhatsThisCommand(hwnd); break;
    default: break;  // every other command, and every system command, is ignored
    }
    return 0;
}

}  // namespace

LRESULT CALLBACK shellWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return onCreate(hwnd);
    case WM_CLOSE: onClose(hwnd); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_QUERYOPEN: return 0;
    case WM_MEASUREITEM:
        return menumodMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)) == 0 ? TRUE : FALSE;
    case WM_DRAWITEM: return menumodDrawItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)) == 0 ? TRUE : FALSE;
    case WM_COMMAND: return onCommand(hwnd, LOWORD(wParam), lParam);
    case WM_SYSCOMMAND: return onCommand(hwnd, static_cast<UINT>(wParam), lParam);
    case WM_TIMER:
        // The close sequence's timer posts the message of its number
        // (timer 2: WM_DESTROY). Timers with a procedure of their own do
        // not come here.
        KillTimer(hwnd, wParam);
        PostMessageA(hwnd, static_cast<UINT>(wParam), 0, 0);
        return 0;
    case SHELL_TRAY_CALLBACK: shellTrayCallback(hwnd, static_cast<UINT>(lParam)); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND shellCreateMainWindow(HINSTANCE instance) {
    ShellState &s = shellState();
    WNDCLASSA cls{};
    cls.lpfnWndProc = shellWindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hIcon = shellLoadIcon("ONLINE", 32);
    cls.lpszClassName = s.className;
    RegisterClassA(&cls);
    HWND hwnd = CreateWindowExA(0, s.className, s.title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        logError("CreateWindow() returned error code %d", static_cast<int>(GetLastError()));
        return nullptr;
    }
    ShowWindow(hwnd, SW_HIDE);
    return hwnd;
}

bool shellPostString(HWND window, const char *text) {
    ATOM atom = GlobalAddAtomA(text);
    if (!atom) return false;
    if (PostMessageA(window, WM_COMMAND, SHELL_CMD_STRING, atom)) return true;
    GlobalDeleteAtom(atom);
    return false;
}
