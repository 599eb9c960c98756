// Taking a window's tray menu without showing it: the window is sent its
// context request while a capture is active, and TrackPopupMenu hands the
// menu here instead of opening a popup.
#pragma once

#include "shell/tray_host.h"

#include <windows.h>

#include <optional>

namespace platform::ui::shell {

// Called by TrackPopupMenu: true when a capture on this thread took the menu
// (the popup is then not shown and nothing is chosen).
bool trayMenuCaptured(HMENU menu, HWND owner);

// Sends the window its icon's right-click callback and returns the menu its
// handler tracked, if any.
std::optional<TrayMenu> trayCaptureMenu(HWND hwnd, UINT callbackMessage, UINT id);

// The items of a menu as a plain model (submenus up to a few levels deep).
std::vector<TrayMenuItem> trayMenuItems(HMENU menu, int depth = 0);

}  // namespace platform::ui::shell
