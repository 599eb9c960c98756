#include "shell/menu_capture.h"

#include "user/window.h"

namespace platform::ui::shell {
namespace {

constexpr int kMaxDepth = 8;

struct Capture {
    std::optional<TrayMenu> menu;
};

thread_local Capture *activeCapture = nullptr;

}  // namespace

std::vector<TrayMenuItem> trayMenuItems(HMENU menu, int depth) {
    std::vector<TrayMenuItem> items;
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        char text[256] = "";
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info)) continue;
        TrayMenuItem item;
        item.commandId = info.wID;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.text = text;
        item.grayed = (info.fState & MFS_GRAYED) != 0;
        item.checked = (info.fState & MFS_CHECKED) != 0;
        item.isDefault = (info.fState & MFS_DEFAULT) != 0;
        if (info.hSubMenu && depth < kMaxDepth) {
            item.popup = true;
            item.children = trayMenuItems(info.hSubMenu, depth + 1);
        }
        items.push_back(std::move(item));
    }
    return items;
}

bool trayMenuCaptured(HMENU menu, HWND owner) {
    if (!activeCapture) return false;
    if (!activeCapture->menu) activeCapture->menu = TrayMenu{owner, trayMenuItems(menu)};
    return true;
}

std::optional<TrayMenu> trayCaptureMenu(HWND hwnd, UINT callbackMessage, UINT id) {
    if (callbackMessage == 0 || !IsWindow(hwnd) || activeCapture) return std::nullopt;
    Capture capture;
    activeCapture = &capture;
    SendMessageA(hwnd, callbackMessage, id, WM_RBUTTONUP);
    activeCapture = nullptr;
    return capture.menu;
}

}  // namespace platform::ui::shell
