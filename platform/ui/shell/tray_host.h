// What the notification area needs from the windowing side, kept to one small
// interface: callback messages go through one function, and a window's popup
// menu arrives as a plain model that the D-Bus menu can export.
#pragma once

#include "handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace platform::ui::shell {

// Message numbers the notification area sends (the same as the window manager's).
constexpr UINT kMsgCommand = 0x0111;
constexpr UINT kMsgLButtonDblClk = 0x0203;
constexpr UINT kMsgRButtonUp = 0x0205;
constexpr UINT kMsgMButtonUp = 0x0208;

struct TrayMenuItem {
    UINT commandId = 0;
    std::string text;  // as in the menu: '&' marks the mnemonic, a tab starts the accelerator text
    bool separator = false;
    bool grayed = false;
    bool checked = false;
    bool isDefault = false;
    bool popup = false;  // a submenu: children hold its items
    std::vector<TrayMenuItem> children;

    bool operator==(const TrayMenuItem &) const = default;
};

struct TrayMenu {
    HWND owner = nullptr;  // receives the WM_COMMAND of a chosen item
    std::vector<TrayMenuItem> items;

    bool operator==(const TrayMenu &) const = default;
};

class PLATFORM_INTERNAL TrayHost {
public:
    virtual ~TrayHost() = default;
    // Queues a message for a window (the icon's callback message, WM_COMMAND).
    virtual void post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The popup menu the window shows for its icon: the window is asked as for
    // a right click and the menu its handler tracks is taken instead of shown.
    virtual std::optional<TrayMenu> contextMenu(HWND hwnd, UINT callbackMessage, UINT id) = 0;
    // A tray host (a status notifier watcher or a system tray) appeared or went.
    virtual void taskbarChanged(bool present) { (void)present; }
};

// Replaces the windowing side (tests); null restores the built-in one. Call
// on the user-interface thread.
PLATFORM_INTERNAL void traySetHost(TrayHost *host);

// True while a tray host exists: a status notifier watcher on the session
// bus, or else a system tray manager of the X display.
PLATFORM_INTERNAL bool trayTaskbarPresent();

// Runs the user-interface thread's pending events (tests call this while
// waiting for the bus).
PLATFORM_INTERNAL void trayProcessEvents();

}  // namespace platform::ui::shell
