// The host's tray and menu exports as plug-ins reach them: looked up on the
// host program's module and called from a plug-in's own thread. The tray
// module runs with its real timer and a recording notification area.
#include "extmod/extmod.h"
#include "menu/menuhost.h"
#include "plugin_host.h"
#include "shell/shell.h"
#include "support.h"
#include "tray/traymod.h"
#include "zelext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>

using namespace cradletest;

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0), kGreen = RGB(0, 200, 0);

// Two plug-ins: "aardvark" (3 pages) loads first, so the pages of "trayer"
// (2 pages) are numbers 3 and 4.
class HostExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorder().clear();
        recorder().install();
        owner = plainWindow();
        taskbar = plainWindow("TrayNotifyWnd");
        ASSERT_EQ(traymodInit(nullptr, owner), 0);
        red = solidIcon(kRed);
        green = solidIcon(kGreen);
        shellState().trayIcon = traymodCreate(owner, 2029, red, "Cradle Host");
        ASSERT_EQ(shellState().trayIcon, 0);
        setDisablePopup(0);
        clearClickState();

        host.addPlugin(std::string(TEST_PLUGIN_DIR) + "/aardvark.dll");
        host.addPlugin(std::string(TEST_PLUGIN_DIR) + "/trayer.dll");
        ASSERT_EQ(host.start(), 0);
        plugin = nullptr;
        for (int i = 0; i < 16 && !plugin; ++i) {
            ExtmodEntryInfo entry;
            if (extmodGetEntry(i, &entry) == 0 && std::strcmp(entry.name, "trayer") == 0) plugin = entry.module;
        }
        ASSERT_NE(plugin, nullptr);
        ticks(1);
    }
    void TearDown() override {
        host.stop();
        traymodShutdown();
        shellState().trayIcon = -1;
        recorder().uninstall();
        DestroyIcon(red);
        DestroyIcon(green);
        DestroyWindow(taskbar);
        DestroyWindow(owner);
    }
    static ShellRecorder &recorder() { return ShellRecorder::instance(); }
    static void ticks(unsigned n) {
        unsigned target = traymodTicks() + n;
        ASSERT_TRUE(runUntil([&] { return traymodTicks() >= target; }));
    }
    static void setDisablePopup(int on) {
        std::lock_guard<std::mutex> g(shellLock());
        shellState().switches.disablePopup = on;
    }
    static void clearClickState() {
        std::lock_guard<std::mutex> g(shellLock());
        shellState().pendingPage = 0;
        shellState().pendingModule[0] = '\0';
    }
    static std::pair<int, std::string> clickState() {
        std::lock_guard<std::mutex> g(shellLock());
        return {shellState().pendingPage, shellState().pendingModule};
    }
    template <typename Fn>
    Fn control(const char *name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(plugin, name)));
    }
    // Whether the icon was drawn blank within the given ticks (it blinks).
    bool blinks(unsigned withinTicks) {
        recorder().clear();
        recorder().install();
        unsigned end = traymodTicks() + withinTicks;
        bool blank = false;
        runUntil([&] {
            for (const ShellCall &c : recorder().calls()) blank |= c.result && c.colour == kTransparent;
            return blank || traymodTicks() >= end;
        });
        return blank;
    }

    suite::PluginHost host;
    HMODULE plugin = nullptr;
    HWND owner = nullptr, taskbar = nullptr;
    HICON red = nullptr, green = nullptr;
};

TEST_F(HostExportsTest, SetIconFromAPluginThreadChangesTheIconAndBlinking) {
    auto setIcon = control<int (*)(ExtIconInfo *)>("tpSetIcon");
    ASSERT_NE(setIcon, nullptr);
    ExtIconInfo info{"galleon: 3 visitors", green, 1};
    ASSERT_EQ(setIcon(&info), 0);
    ticks(1);
    auto calls = recorder().calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().colour, kGreen);
    EXPECT_EQ(calls.back().tip, "galleon: 3 visitors");
    EXPECT_TRUE(blinks(10));

    info = {"galleon: idle", nullptr, 0};
    ASSERT_EQ(setIcon(&info), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().colour, kGreen);
    EXPECT_EQ(recorder().calls().back().tip, "galleon: idle");
    EXPECT_FALSE(blinks(10));

    info = {nullptr, green, 0};
    EXPECT_EQ(setIcon(&info), -2);
    EXPECT_EQ(setIcon(nullptr), -2);
    // Without a tray icon the module refuses, and so does the export.
    shellState().trayIcon = -1;
    info = {"no icon", green, 0};
    EXPECT_EQ(setIcon(&info), -2);
    EXPECT_TRUE(host.log().waitForText("traymodSetIcon() returned error code -2"));
    shellState().trayIcon = 0;
}

TEST_F(HostExportsTest, SavedIconsRoundTripThroughTheExports) {
    auto save = control<int (*)(ExtSavedIcon **)>("tpSaveIcon");
    auto restore = control<int (*)(ExtSavedIcon *)>("tpRestoreIcon");
    auto release = control<int (*)(ExtSavedIcon **)>("tpFreeIcon");
    auto setIcon = control<int (*)(ExtIconInfo *)>("tpSetIcon");
    ExtSavedIcon *saved = nullptr;
    ASSERT_EQ(save(&saved), 0);
    ASSERT_NE(saved, nullptr);
    ExtIconInfo info{"busy", green, 0};
    ASSERT_EQ(setIcon(&info), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().colour, kGreen);
    ASSERT_EQ(restore(saved), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().colour, kRed);
    EXPECT_EQ(recorder().calls().back().tip, "Cradle Host");
    ASSERT_EQ(release(&saved), 0);
    EXPECT_EQ(saved, nullptr);
    EXPECT_EQ(release(&saved), -2);
    EXPECT_EQ(release(nullptr), -2);
    EXPECT_EQ(save(nullptr), -2);
    EXPECT_EQ(restore(nullptr), -2);

    // An icon being removed cannot be saved; a stopped tray module says so.
    ASSERT_EQ(traymodDestroy(0), 0);
    EXPECT_EQ(save(&saved), -2);
    ticks(1);
    traymodShutdown();
    EXPECT_EQ(save(&saved), -1);
}

TEST_F(HostExportsTest, InfoTipsLeaveTheClickStateEachActionAsks) {
    auto show = control<int (*)(ExtInfoTip *)>("tpShowInfoTip");
    ExtInfoTip tip{"Photo server", "A visitor logged in", "trayer", 12000, NIIF_INFO, 0, EXT_TIP_OPEN_PAGE};

    // Action 0: the plug-in's first page (global number 3) opens on a click.
    ASSERT_EQ(show(&tip), 0);
    auto balloons = recorder().callsOf(NIM_MODIFY);
    ASSERT_FALSE(balloons.empty());
    EXPECT_EQ(balloons.back().infoTitle, "Photo server");
    EXPECT_EQ(balloons.back().info, "A visitor logged in");
    EXPECT_EQ(balloons.back().timeout, 12000u);
    EXPECT_EQ(balloons.back().infoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(clickState(), std::make_pair(4, std::string()));
    EXPECT_FALSE(blinks(6));

    // Action 1: the plug-in hears of the click; no page.
    tip.action = EXT_TIP_NOTIFY;
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState(), std::make_pair(0, std::string("trayer")));
    EXPECT_FALSE(blinks(6));

    // Action 2: the same, and the icon blinks.
    tip.action = EXT_TIP_BLINK_NOTIFY;
    clearClickState();
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState(), std::make_pair(0, std::string("trayer")));
    EXPECT_TRUE(blinks(10));
    traymodSetMode(0, TRAYMOD_MODE_STEADY, 0);

    // Action 3 and unknown actions leave the page; a new balloon always clears
    // the module.
    {
        std::lock_guard<std::mutex> g(shellLock());
        shellState().pendingPage = 9;
    }
    tip.action = EXT_TIP_NONE;
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState(), std::make_pair(9, std::string()));
    tip.action = 17;
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState(), std::make_pair(9, std::string()));

    // Action 4: blink and open the page.
    tip.action = EXT_TIP_BLINK_OPEN_PAGE;
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState(), std::make_pair(4, std::string()));
    EXPECT_TRUE(blinks(10));
    traymodSetMode(0, TRAYMOD_MODE_STEADY, 0);

    // A module name that differs in case, or a plug-in without pages, opens nothing.
    tip.action = EXT_TIP_OPEN_PAGE;
    tip.module = "Trayer";
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState().first, 0);

    // Without a module the click has no plug-in effect, whatever the action.
    clearClickState();
    tip.module = "";
    tip.action = EXT_TIP_NOTIFY;
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState(), std::make_pair(0, std::string()));

    // A module text is kept to 127 characters.
    std::string longName(200, 'm');
    tip.module = longName.c_str();
    ASSERT_EQ(show(&tip), 0);
    EXPECT_EQ(clickState().second, std::string(127, 'm'));
}

TEST_F(HostExportsTest, InfoTipsAreRefusedOrSuppressed) {
    auto show = control<int (*)(ExtInfoTip *)>("tpShowInfoTip");
    ExtInfoTip tip{"Title", "Text", "trayer", 10000, NIIF_WARNING, 0, EXT_TIP_NOTIFY};
    EXPECT_EQ(show(nullptr), -2);
    tip.title = nullptr;
    EXPECT_EQ(show(&tip), -2);
    tip.title = "Title";
    tip.text = nullptr;
    EXPECT_EQ(show(&tip), -2);
    tip.text = "Text";

    // Switched off: success, and nothing is shown or remembered.
    setDisablePopup(1);
    recorder().clear();
    recorder().install();
    EXPECT_EQ(show(&tip), 0);
    EXPECT_EQ(recorder().count(), 0u);
    EXPECT_EQ(clickState(), std::make_pair(0, std::string()));
    setDisablePopup(0);

    // No tray icon: the tray module refuses the balloon.
    shellState().trayIcon = -1;
    EXPECT_EQ(show(&tip), -2);
    EXPECT_EQ(clickState(), std::make_pair(0, std::string()));
    shellState().trayIcon = 0;
}

TEST_F(HostExportsTest, MenuItemsOfPluginsAreBuiltAndRoutedToTheirOwner) {
    auto add = control<int (*)(int, LPCSTR, LPCSTR, int)>("tpAddMenuItem");
    auto remove = control<int (*)(int, int)>("tpDeleteMenuItem");
    auto notifications = control<int (*)(int)>("tpNotifications");
    auto lastValue = control<int (*)(int)>("tpLastValue");
    EXPECT_EQ(add(1, "&Tools", "early", 5), -1);  // no menu host yet

    ASSERT_EQ(menuhostInit(), 0);
    HWND window = plainWindow("CradleTestSettings");
    int menu = menuhostCreateMenu(window);
    ASSERT_GE(menu, 1);
    EXPECT_EQ(menuhostAddItem(menu, "&File", "&Close", 2, nullptr), 1);
    EXPECT_EQ(add(menu + 5, "&Tools", "x", 5), -2);
    EXPECT_EQ(add(menu, "&Tools", std::string(128, 'x').c_str(), 5), -2);
    EXPECT_EQ(add(menu, std::string(128, 'p').c_str(), "x", 5), -2);
    EXPECT_EQ(add(menu, "&Tools", nullptr, 5), -2);
    int mine = add(menu, "&tools", "Direct item", 42);
    ASSERT_EQ(mine, 2);

    // Notification 7 lets every plug-in add its items; then the bar is built.
    ASSERT_EQ(menuhostCollectAndDraw(menu), 0);
    EXPECT_EQ(notifications(EXT_NOTIFY_MENU_BAR), 1);
    EXPECT_EQ(lastValue(EXT_NOTIFY_MENU_BAR), menu);
    HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    char name[64];
    GetMenuStringA(bar, 1, name, sizeof name, MF_BYPOSITION);
    EXPECT_STREQ(name, "&tools");
    HMENU tools = GetSubMenu(bar, 1);
    // The direct item, then each plug-in's item and separator, in table order.
    ASSERT_EQ(GetMenuItemCount(tools), 5);
    EXPECT_EQ(GetMenuItemID(tools, 0), 1002u);
    GetMenuStringA(tools, 3, name, sizeof name, MF_BYPOSITION);
    EXPECT_STREQ(name, "trayer item");
    EXPECT_TRUE(GetMenuState(tools, 4, MF_BYPOSITION) & MF_SEPARATOR);

    // Choosing the plug-in's item sends notification 8 with its value to it alone.
    ASSERT_EQ(menuhostRouteCommand(menu, 1000 + mine), 0);
    EXPECT_EQ(notifications(EXT_NOTIFY_MENU_COMMAND), 1);
    EXPECT_EQ(lastValue(EXT_NOTIFY_MENU_COMMAND), 42);
    UINT trayerItem = GetMenuItemID(tools, 3);
    ASSERT_EQ(menuhostRouteCommand(menu, static_cast<int>(trayerItem)), 0);
    EXPECT_EQ(notifications(EXT_NOTIFY_MENU_COMMAND), 2);
    EXPECT_EQ(lastValue(EXT_NOTIFY_MENU_COMMAND), 71);
    EXPECT_EQ(menuhostRouteCommand(menu, 999), -2);

    // The host's own item comes back to its window as that command.
    ASSERT_EQ(menuhostRouteCommand(menu, 1001), 0);
    MSG msg;
    bool posted = false;
    runUntil([&] {
        while (PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            posted |= LOWORD(msg.wParam) == 2 && HIWORD(msg.wParam) == 2;
        return posted;
    });
    EXPECT_TRUE(posted);

    // Deleted items are gone from the next build.
    EXPECT_EQ(remove(menu, mine), 0);
    EXPECT_EQ(remove(menu, mine), -2);
    ASSERT_EQ(menuhostDrawMenu(menu), 0);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(window), 1)), 4);
    EXPECT_EQ(menuhostShutdown(), 0);
    EXPECT_EQ(remove(menu, 1), -1);
    DestroyWindow(window);
}

}  // namespace
