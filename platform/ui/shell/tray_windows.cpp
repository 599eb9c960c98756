// The notification area's side of the window manager: callback messages are
// posted to the icon's window, the exported menu is the one the window's
// right-click handler tracks, and a hidden "Shell_TrayWnd" window exists
// exactly while a tray host does, so FindWindowA tells whether there is a
// taskbar; its appearance is announced to every top-level window with the
// registered message "TaskbarCreated".
#include "shell/menu_capture.h"
#include "shell/tray_windows.h"

namespace platform::ui::shell {
namespace {

class WindowsTrayHost : public TrayHost {
public:
    void post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override { PostMessageA(hwnd, msg, wParam, lParam); }
    std::optional<TrayMenu> contextMenu(HWND hwnd, UINT callbackMessage, UINT id) override {
        return trayCaptureMenu(hwnd, callbackMessage, id);
    }
};

const char kTaskbarClass[] = "Shell_TrayWnd";
HWND taskbarWindow = nullptr;

}  // namespace

TrayHost *trayWindowsHost() {
    static WindowsTrayHost host;
    return &host;
}

void trayTaskbarWindow(bool present) {
    if (present == (taskbarWindow != nullptr)) return;
    if (!present) {
        DestroyWindow(taskbarWindow);
        taskbarWindow = nullptr;
        return;
    }
    static bool registered = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = DefWindowProcA;
        cls.lpszClassName = kTaskbarClass;
        return RegisterClassA(&cls) != 0;
    }();
    if (!registered) return;
    taskbarWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kTaskbarClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    nullptr, nullptr);
    // Programs put their icons back when a taskbar appears (a panel restart).
    if (taskbarWindow) {
        UINT created = RegisterWindowMessageA("TaskbarCreated");
        if (created) PostMessageA(HWND_BROADCAST, created, 0, 0);
    }
}

}  // namespace platform::ui::shell
