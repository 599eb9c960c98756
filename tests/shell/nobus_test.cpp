// Where no session bus and no panel exist (a service, a server), the
// notification area takes every call and shows nothing.
#include "res_image.h"
#include "shell/tray_host.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace platform;

// No display and no session bus, before anything of the layer starts.
[[maybe_unused]] const bool headlessWithoutBus = setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0 &&
                                                 setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1) == 0;

TEST(ShellWithoutBus, CallsSucceedQuietlyAndThereIsNoTaskbar) {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
    NOTIFYICONDATAA nid;
    std::memset(&nid, 0, sizeof nid);
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.hWnd = hwnd;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = 0x8001;
    nid.hIcon = iconCreate(std::make_shared<Image>(16, 16));
    std::strcpy(nid.szTip, "cradle");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    nid.uFlags = NIF_INFO;
    std::strcpy(nid.szInfoTitle, "galleon");
    std::strcpy(nid.szInfo, "nobody sees this");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    platform::ui::shell::trayProcessEvents();
    EXPECT_FALSE(platform::ui::shell::trayTaskbarPresent());
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &nid));
}
