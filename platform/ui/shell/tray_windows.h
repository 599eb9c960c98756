// The window manager's side of the notification area (see tray_windows.cpp).
#pragma once

#include "shell/tray_host.h"

namespace platform::ui::shell {

// The built-in host: PostMessageA and the menu its window tracks.
TrayHost *trayWindowsHost();

// Creates or destroys the hidden taskbar window; user-interface thread.
void trayTaskbarWindow(bool present);

}  // namespace platform::ui::shell
