// Process-wide state of the host program and the functions its parts share:
// the program entry and main window, the settings window, the tray and menu
// exports, installation and service mode all read and update this one record
// on the main thread (the click state also from plug-in threads, under
// shellLock()).
#pragma once

#include <windows.h>

#include <mutex>

constexpr int SHELL_PATH_MAX = 260;

struct ShellPaths {
    char programDir[SHELL_PATH_MAX];   // with a trailing "/"
    char config[SHELL_PATH_MAX];       // cradle.ini
    char help[SHELL_PATH_MAX];         // cradle.hlp, or [help] File in the same directory
    char defaultHelp[SHELL_PATH_MAX];  // cradle.hlp, never replaced
    char extDir[SHELL_PATH_MAX];       // ext: plug-ins, extmod.ini, installation target
    char sharedExtDir[SHELL_PATH_MAX]; // installed ext/ read beside a user's extDir; "" when none
    char branding[SHELL_PATH_MAX];     // keystone.dll
    // An installed copy's program directory (with "/"), read-only, when the
    // user's files live elsewhere: a new user's cradle.ini and Collections/
    // are made from it and its tips are read after the user's; "" when
    // everything is beside the program.
    char shippedDir[SHELL_PATH_MAX];
};

// Configuration switches, read at window creation and after defaults are restored.
struct ShellSwitches {
    int passwordProperties;     // [Expert] PasswordProperties
    int passwordConfigureTabs;  // [Expert] PasswordConfigureTabs
    int notifyMinimize;         // [Settings] NotifyMinimize
    int confirmClose;           // [Settings] ConfirmClose
    int expertMode;             // [Settings] ExpertMode
    int disablePopup;           // [Settings] DisablePopup
    int disableTray;            // [Settings] DisableTray (0 when the class name is "loomremote:main")
    int closePassword;          // [Settings] ClosePassword
    int showTips;               // [Settings] ShowTips
    int language;               // [Settings] Language
};

struct ShellState {
    char title[256];        // program title: the branding module's Comments
    char serviceName[256];  // FileDescription
    char className[256];    // InternalName
    HINSTANCE program;      // the program's own module
    HINSTANCE branding;     // keystone.dll
    HWND mainWindow;
    HMENU trayMenu;
    int trayIcon;           // tray icon number, -1 = none
    bool settingsOpen;
    HWND settingsWindow;
    bool passwordGiven;     // the password was given while the settings window is open
    bool reopenSettings;    // close the settings window and open it again (re-initialise)
    int pendingPage;        // click state: 1 + global page number, 0 = none
    char pendingModule[128];  // click state: InternalName of the tip's plug-in, "" = none
    HANDLE readyEvent;      // auto-reset, pulsed after window creation and destruction
    HANDLE closingEvent;    // manual-reset, set when closing begins
    ShellPaths paths;
    ShellSwitches switches;
};

// The one record of this process (zero-initialised, trayIcon -1).
ShellState &shellState();
// Guards the click state (pendingPage, pendingModule) against plug-in threads.
std::mutex &shellLock();
