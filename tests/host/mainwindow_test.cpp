// The main window in this process: start-up and shut-down order as a test
// plug-in sees them, the tray icon's tooltips on a private session bus, the
// grace before the window goes, the close command with its questions, the
// command-line string and the ignored system commands.
#include "mainwindow_fixture.h"

#include "shell/mainwindow.h"
#include "shell/password.h"
#include "shell/shell.h"
#include "zellog.h"

#include <chrono>

using namespace hosttest;

namespace {

TEST_F(MainWindow, StartsTheTrayBeforeThePluginsAndShutsThePluginsDownFirst) {
    create();
    std::string svc = shellState().serviceName;
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));  // the tray ran when the plug-ins were told
    EXPECT_LT(indexOf("echo initex"), indexOf("echo notify 1 1 tray=0"));
    EXPECT_TRUE(pumpUntil([&] { return tooltipOfTheOnlyItem() == svc + " (online)"; }));
    EXPECT_FALSE(closing());

    auto closedAt = std::chrono::steady_clock::now();
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return closing(); }));
    EXPECT_TRUE(pumpUntil([&] { return tooltipOfTheOnlyItem() == svc + " (closing)"; }));
    EXPECT_EQ(indexOf("echo shutdown tray=0"), -1);  // still within the grace
    ASSERT_TRUE(pumpUntil(quitSeen, 5000));
    auto grace = std::chrono::steady_clock::now() - closedAt;
    EXPECT_GE(grace, std::chrono::milliseconds(SHELL_CLOSE_GRACE_MS));
    // The plug-ins went while the tray still ran; then the icon went.
    EXPECT_TRUE(logged("echo shutdown tray=0"));
    EXPECT_TRUE(pumpUntil([] { return busSession().panel("items").empty(); }));
    // A second destruction does not run the shut-down again (the log client,
    // shut down with the rest, is pointed at the collector once more).
    zelextLogSetSlot(log.name().c_str());
    log.clear();
    DestroyWindow(hwnd);
    EXPECT_TRUE(log.sync());
    EXPECT_EQ(log.texts().size(), 0u);
}

TEST_F(MainWindow, SystemCommandsAndUnknownCommandsAreIgnored) {
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageA(hwnd, WM_COMMAND, 300, 0);
    SendMessageA(hwnd, WM_COMMAND, SHELL_CMD_TITLE, 0);
    EXPECT_EQ(SendMessageA(hwnd, 0x0013 /* WM_QUERYOPEN */, 0, 0), 0);
    pumpUntil([] { return false; }, 100);
    EXPECT_FALSE(closing());
    EXPECT_FALSE(quitSeen());
}

TEST_F(MainWindow, TheCommandLineStringReachesEveryPluginAndItsAtomIsDeleted) {
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    ATOM atom = GlobalAddAtomA("--open Holiday photos");
    ASSERT_NE(atom, 0);
    PostMessageA(hwnd, WM_COMMAND, SHELL_CMD_STRING, atom);
    EXPECT_TRUE(pumpUntil([&] { return indexOf("echo string --open Holiday photos") >= 0; }));
    char name[64];
    EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 0u);
}

// The close command with ConfirmClose: the question box answered each way.
struct AskCloseCase {
    const char *name;
    int action;        // 100 close, 101 do not close, 0 the close box
    bool tick;         // "do not ask again"
    bool closes;
    const char *stored;  // [Settings] ConfirmClose afterwards ("\x01": not written)
};

class CloseCommand : public MainWindow, public ::testing::WithParamInterface<AskCloseCase> {};

TEST_P(CloseCommand, AsksFirstAndStoresTheAnswer) {
    const AskCloseCase &c = GetParam();
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    bool asked = false;
    driveFromLoop([&] {
        HWND dlg = findTitled("Close Skyloom Client");
        if (!dlg) return false;
        asked = true;
        if (c.action == 100 && !c.tick) uiSnapshotWindow(dlg, screenshotPath("askclose").c_str());
        if (c.tick) CheckDlgButton(dlg, 10, BST_CHECKED);
        if (c.action)
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(c.action, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, c.action)));
        else
            SendMessageA(dlg, WM_CLOSE, 0, 0);
        return true;
    });
    SendMessageA(hwnd, WM_COMMAND, SHELL_CMD_CLOSE, 0);
    stopDriving();
    EXPECT_TRUE(asked);
    if (c.closes) {
        EXPECT_TRUE(pumpUntil(quitSeen, 5000));
    } else {
        pumpUntil([] { return false; }, 100);
        EXPECT_FALSE(closing());
    }
    EXPECT_EQ(dir.read("Settings", "ConfirmClose"), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseCommand,
                         ::testing::Values(AskCloseCase{"Close", 100, false, true, "1"},
                                           AskCloseCase{"CloseDoNotAskAgain", 100, true, true, "0"},
                                           AskCloseCase{"DoNotClose", 101, false, false, "1"},
                                           AskCloseCase{"CloseBox", 0, true, true, "\x01"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindow, DoNotAskAgainTakesEffectInTheRunningProgram) {
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    int asked = 0;
    driveFromLoop([&] {
        HWND dlg = findTitled("Close Skyloom Client");
        if (!dlg) return false;
        ++asked;
        CheckDlgButton(dlg, 10, BST_CHECKED);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 101)));
        return true;
    });
    SendMessageA(hwnd, WM_COMMAND, SHELL_CMD_CLOSE, 0);  // "do not close", and do not ask again
    stopDriving();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(closing());
    SendMessageA(hwnd, WM_COMMAND, SHELL_CMD_CLOSE, 0);  // closes without the question
    EXPECT_TRUE(pumpUntil(quitSeen, 5000));
    EXPECT_EQ(asked, 1);
}

TEST_F(MainWindow, WithoutConfirmCloseTheCloseCommandClosesAtOnce) {
    dir.write("Settings", "ConfirmClose", "0");
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    SendMessageA(hwnd, WM_COMMAND, SHELL_CMD_CLOSE, 0);
    EXPECT_TRUE(pumpUntil(quitSeen, 5000));
}

TEST_F(MainWindow, ACloseProtectedByThePasswordStopsWhenThePasswordIsNotGiven) {
    dir.write("Settings", "ConfirmClose", "0");
    dir.write("Settings", "ClosePassword", "1");
    char form[PASSWORD_STORED_SIZE];
    passwordStoredForm("pw", form);
    dir.write("Expert", "Password", form);
    create();
    ASSERT_TRUE(logged("echo notify 1 1 tray=0"));
    auto answer = [this](const char *typed) {
        driveFromLoop([typed] {
            HWND dlg = findTitled("Password Required");
            if (!dlg) return false;
            SetDlgItemTextA(dlg, 10, typed);
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(typed[0] ? 100 : 101, BN_CLICKED), 0);
            return true;
        });
        SendMessageA(hwnd, WM_COMMAND, SHELL_CMD_CLOSE, 0);
        stopDriving();
    };
    answer("");  // cancelled
    pumpUntil([] { return false; }, 100);
    EXPECT_FALSE(closing());
    answer("pw");
    EXPECT_TRUE(pumpUntil(quitSeen, 5000));
}

}  // namespace
