// The main window with its modules and the settings window: the start-up and
// shut-down order as the log shows it, a stop from outside (SIGTERM) while
// the settings window is open, and the "TASKBAR" notice after the window
// closes. The page test plug-in records what its pages receive.
#include "mainwindow_fixture.h"
#include "ui_input.h"

#include "extmod/extmod.h"
#include "hhelpmod.h"
#include "menu/menumod.h"
#include "settings/settings_ids.h"
#include "shell/mainwindow.h"
#include "shell/shell.h"
#include "shell/signals.h"
#include "tray/traymod.h"
#include "zellog.h"

#include <commctrl.h>
#include <signal.h>

#include <cstring>
#include <filesystem>

using namespace hosttest;
namespace fs = std::filesystem;

namespace {

// What a refusal logged by the host names: "menumodInit() returned ..." gives
// "menumodInit".
std::vector<std::string> refusals(const std::vector<suite::LogRecord> &records) {
    std::vector<std::string> out;
    for (const suite::LogRecord &r : records) {
        size_t call = r.text.find("() returned error code ");
        if (r.source == "cradle" && call != std::string::npos) out.push_back(r.text.substr(0, call));
    }
    return out;
}

using Names = std::vector<std::string>;

TEST_F(MainWindow, TheLogShowsEveryModuleStartedAndShutDownInItsOrder) {
    // Each module refuses a second start and a second shut-down. Started here
    // first, the window's start-up logs one refusal per step in its order;
    // shut down here during the closing grace, so does its shut-down.
    HWND other = CreateWindowExA(0, "STATIC", "other owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    ShellState &s = shellState();
    ASSERT_EQ(menumodInit(), 0);
    ASSERT_EQ(hhelpmodInit(), 0);
    ASSERT_EQ(traymodInit(s.branding, other), 0);
    ASSERT_EQ(extmodInit(s.paths.extDir, other, s.branding, s.serviceName, s.paths.config, SHELL_HOST_VERSION), 0);
    create();
    ASSERT_TRUE(log.waitFor([](const suite::LogRecord &r) { return r.text.rfind("traymodSetMode()", 0) == 0; }));
    EXPECT_EQ(refusals(log.records()),
              (Names{"menumodInit", "hhelpmodInit", "traymodInit", "traymodSetIcon", "extmodInit", "traymodSetMode"}));

    log.clear();
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return closing(); }));
    EXPECT_EQ(extmodShutdown(), 0);
    EXPECT_EQ(menumodShutdown(), 0);
    EXPECT_EQ(traymodShutdown(), 0);
    EXPECT_EQ(hhelpmodShutdown(), 0);
    ASSERT_TRUE(pumpUntil(quitSeen, 5000));
    ASSERT_TRUE(log.waitFor([](const suite::LogRecord &r) { return r.text.rfind("hhelpmodShutdown()", 0) == 0; }));
    EXPECT_EQ(refusals(log.records()),
              (Names{"extmodShutdown", "menumodPrepareMenu", "menumodShutdown", "traymodShutdown", "hhelpmodShutdown"}));
    // Last the log client: it is back on the default mailslot.
    suite::LogCollector fallback;
    ASSERT_TRUE(fallback.start("zellog"));
    EXPECT_TRUE(fallback.sync());
    fallback.stop();
    DestroyWindow(other);
}

// The settings window's tree entry with this text, selected as a click does.
bool selectEntry(HWND window, const char *text) {
    HWND tree = GetDlgItem(window, IDC_SW_TREE);
    auto next = [tree](HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    for (HTREEITEM item = next(nullptr, TVGN_ROOT); item; item = next(item, TVGN_NEXTVISIBLE)) {
        char buf[64] = "";
        TVITEMA it{};
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        if (std::strcmp(buf, text) != 0) continue;
        RECT r{};
        std::memcpy(&r, &item, sizeof item);
        if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) return false;
        uiinput::clickAt(tree, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return true;
    }
    return false;
}

HWND shownPage(HWND window) {
    HWND frame = GetDlgItem(window, IDC_SW_FRAME);
    for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c)) return c;
    return nullptr;
}

bool settingsShown() {
    HWND w = shellState().settingsWindow;
    return w && IsWindowVisible(w);
}

class WithSettings : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        fs::copy_file(PAGE_PLUGIN, dir.dir() / "ext" / "pages.dll");
        dir.write("Tips", "ShowTips", "0");
        uiinput::screenshotFolder() = "host";
    }
    // The page plug-in's records, found once the plug-in manager loaded it.
    bool findPages() {
        HMODULE pages = GetModuleHandleA((dir.dir() / "ext" / "pages.dll").c_str());
        if (!pages) return false;
        events = reinterpret_cast<const char *(*)()>(GetProcAddress(pages, "pageTestEvents"));
        notifications = reinterpret_cast<const char *(*)()>(GetProcAddress(pages, "pageTestNotifications"));
        reset = reinterpret_cast<void (*)()>(GetProcAddress(pages, "pageTestReset"));
        return events && notifications && reset;
    }
    const char *(*events)() = nullptr;
    const char *(*notifications)() = nullptr;
    void (*reset)() = nullptr;
};

TEST_F(WithSettings, AStopFromOutsideClosesTheOpenSettingsWindowWithoutApplying) {
    shellSignalsInstall();
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    ASSERT_TRUE(findPages());
    int step = 0;
    bool applyOffered = false, closeGrayed = false, noticeShown = false;
    std::string eventsAtClose, notificationsAtClose;
    driveFromLoop([&] {
        if (step == 0 && settingsShown()) {
            step = 1;
            HWND w = shellState().settingsWindow;
            if (!selectEntry(w, "Alpha") || !shownPage(w)) return true;
            uiinput::click(GetDlgItem(shownPage(w), 10));  // the page tells the window it changed
            applyOffered = IsWindowEnabled(GetDlgItem(w, IDC_SW_APPLY));
            closeGrayed = GetMenuState(shellState().trayMenu, SHELL_CMD_CLOSE, MF_BYCOMMAND) & MF_GRAYED;
            reset();
            raise(SIGTERM);
            return false;
        }
        if (step == 1 && !shellState().settingsOpen) {
            // The window went; the plug-ins are still loaded during the grace.
            step = 2;
            eventsAtClose = events();
            notificationsAtClose = notifications();
            noticeShown = uiinput::findTopLevel("Skyloom Client") != nullptr;
            return true;
        }
        return false;
    });
    PostMessageA(hwnd, WM_COMMAND, SHELL_CMD_PROPERTIES, 0);
    EXPECT_TRUE(pumpUntil(quitSeen, 10000));
    stopDriving();
    EXPECT_EQ(step, 2);
    EXPECT_TRUE(applyOffered);
    EXPECT_TRUE(closeGrayed);  // the tray's "&Close" while the window was open
    EXPECT_EQ(eventsAtClose, "");  // no PSN_APPLY reached any page
    EXPECT_EQ(std::strstr(notificationsAtClose.c_str(), "3:4;"), nullptr);
    EXPECT_FALSE(noticeShown);
    EXPECT_TRUE(logged("echo shutdown tray=0"));
}

TEST_F(WithSettings, TheTaskbarNoticeFollowsTheClosedSettingsWindowUntilItIsTurnedOff) {
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    int step = 0;
    bool windowGoneFirst = false, noticeAgain = false;
    driveFromLoop([&] {
        if (step == 0 && settingsShown()) {
            step = 1;
            uiinput::click(GetDlgItem(shellState().settingsWindow, IDC_SW_CANCEL));
            return false;
        }
        HWND notice = uiinput::findTopLevel("Skyloom Client");
        if (step == 1 && notice) {
            step = 2;
            windowGoneFirst = !shellState().settingsOpen;
            uiinput::screenshot(notice, "taskbar");
            uiinput::click(GetDlgItem(notice, 10));  // do not show again
            uiinput::click(GetDlgItem(notice, 100));
            return true;
        }
        return false;
    });
    PostMessageA(hwnd, WM_COMMAND, SHELL_CMD_PROPERTIES, 0);
    EXPECT_TRUE(pumpUntil([&] { return step == 2 && !shellState().settingsOpen && !uiinput::findTopLevel("Skyloom Client"); }));
    stopDriving();
    EXPECT_TRUE(windowGoneFirst);
    EXPECT_EQ(dir.read("Settings", "NotifyMinimize"), "0");

    // Turned off: the next close of the window shows nothing.
    step = 0;
    driveFromLoop([&] {
        if (step == 0 && settingsShown()) {
            step = 1;
            uiinput::click(GetDlgItem(shellState().settingsWindow, IDC_SW_CANCEL));
            return false;
        }
        if (HWND notice = uiinput::findTopLevel("Skyloom Client")) {
            noticeAgain = true;
            SendMessageA(notice, WM_COMMAND, 100, 0);
        }
        return false;
    });
    PostMessageA(hwnd, WM_COMMAND, SHELL_CMD_PROPERTIES, 0);
    EXPECT_TRUE(pumpUntil([&] { return step == 1 && !shellState().settingsOpen; }));
    stopDriving();
    EXPECT_FALSE(noticeAgain);
}

}  // namespace
