// The tray module on the real notification area: a private session bus with
// the panel's stand-ins (watcher, notification daemon, panel). The watcher
// restarts, as when the panel is restarted, and the icons come back.
#include "bus_session.h"
#include "support.h"
#include "tray/traymod.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace cradletest;

namespace {

std::string lineStarting(const std::vector<std::string> &lines, const std::string &prefix) {
    for (const std::string &line : lines)
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "<missing " + prefix + ">";
}

// The owner window tells the module of a new taskbar, as the host's main
// window does.
int taskbarAnnouncements = 0;
LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    static const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    if (msg == taskbarCreated) {
        ++taskbarAnnouncements;
        traymodTaskbarCreated();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND ownerWindow() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = ownerProc;
    cls.lpszClassName = "CradleTrayPanelOwner";
    RegisterClassA(&cls);
    return CreateWindowExA(0, cls.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
}

class TrayPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.startBus() && session.startWatcher() && session.startNotifications() &&
                    session.startPanel())
            << "private bus or its stand-ins did not start";
        owner = ownerWindow();
        ASSERT_EQ(traymodInit(nullptr, owner), 0);
        ASSERT_EQ(traymodRunning(), 1);
    }
    void TearDown() override {
        traymodShutdown();
        DestroyWindow(owner);
        session.stop();
    }
    std::vector<std::string> items() { return session.panel("items"); }
    std::string tooltip(const std::string &service) {
        return lineStarting(session.panel("props " + service), "ToolTip.title=");
    }
    // Runs the message loop (and so the module's timer) until the watcher
    // lists n items.
    bool waitForItems(size_t n) {
        return runUntil([&] { return items().size() == n; }, 10000);
    }

    shelltest::BusSession session;
    HWND owner = nullptr;
};

TEST_F(TrayPanelTest, PanelRestartBringsVisibleIconsBackAndKeepsHiddenOnesAway) {
    HICON icon = solidIcon(RGB(0, 120, 215));
    int shown = traymodCreate(owner, 2029, icon, "Cradle Host (online)");
    int hidden = traymodCreate(owner, 2029, icon, "hidden");
    ASSERT_EQ(traymodSetMode(hidden, TRAYMOD_MODE_VISIBLE, 0), 0);
    ASSERT_TRUE(waitForItems(1));
    std::string service = items().at(0);
    EXPECT_EQ(tooltip(service), "Cradle Host (online)");
    ASSERT_TRUE(runUntil([] { return FindWindowA("Shell_TrayWnd", nullptr) != nullptr; }));

    // The panel goes away; the module notices at its next tick.
    session.stopWatcher();
    ASSERT_TRUE(runUntil([] { return FindWindowA("Shell_TrayWnd", nullptr) == nullptr; }, 10000));
    unsigned lost = traymodTicks();
    ASSERT_TRUE(runUntil([&] { return traymodTicks() >= lost + 2; }));
    ASSERT_EQ(traymodSetIcon(shown, nullptr, "changed while away"), 0);

    // A new panel: within two ticks of its taskbar appearing, the visible
    // icon is registered with its latest tooltip; the hidden one stays away.
    int announcements = taskbarAnnouncements;
    ASSERT_TRUE(session.startWatcher());
    ASSERT_TRUE(runUntil([] { return FindWindowA("Shell_TrayWnd", nullptr) != nullptr; }, 10000));
    EXPECT_TRUE(runUntil([&] { return taskbarAnnouncements > announcements; }));
    unsigned back = traymodTicks();
    ASSERT_TRUE(runUntil([&] { return traymodTicks() >= back + 2; }));
    std::vector<std::string> now = items();
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(tooltip(now[0]), "changed while away");

    // And it is the same item, still answering changes.
    ASSERT_EQ(traymodSetIcon(shown, nullptr, "after the restart"), 0);
    EXPECT_TRUE(runUntil([&] { return tooltip(now[0]) == "after the restart"; }, 10000));
    ASSERT_EQ(traymodSetMode(hidden, TRAYMOD_MODE_VISIBLE, 1), 0);
    EXPECT_TRUE(waitForItems(2));
    ASSERT_EQ(traymodDestroy(hidden), 0);
    EXPECT_TRUE(waitForItems(1));
    DestroyIcon(icon);
}

}  // namespace
