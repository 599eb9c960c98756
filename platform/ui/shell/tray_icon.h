// One notification-area icon as the shell keeps it: what the window gave with
// Shell_NotifyIconA, copied so it can cross to the user-interface thread.
#pragma once

#include "res_image.h"

#include <windows.h>

#include <compare>
#include <memory>
#include <string>

namespace platform::ui::shell {

struct TrayIconKey {
    HWND hwnd = nullptr;
    UINT id = 0;
    auto operator<=>(const TrayIconKey &) const = default;
};

struct TrayIconState {
    UINT callbackMessage = 0;  // 0: the window asked for no callbacks
    std::shared_ptr<const Image> image;
    std::string tip;
    bool hidden = false;
};

struct TrayBalloon {
    std::string title;
    std::string text;  // empty: take down the icon's balloon
    DWORD flags = 0;   // NIIF_*
    UINT timeoutMs = 0;
};

}  // namespace platform::ui::shell
