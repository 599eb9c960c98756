// The tray module against a recording stand-in for the notification area:
// queued commands and the ring, blinking, hiding, the taskbar coming back,
// balloons and saved icons. Ticks come from the module's real 200 ms timer.
#include "support.h"
#include "tray/traymod.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace cradletest;

namespace {

constexpr UINT kCallback = 2029;
constexpr COLORREF kRed = RGB(200, 0, 0), kGreen = RGB(0, 200, 0), kBlue = RGB(0, 0, 200);

class TraymodTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorder().clear();
        recorder().install();
        owner = plainWindow();
        // A stand-in taskbar: the module looks for this class among others.
        taskbar = plainWindow("TrayNotifyWnd");
        ASSERT_EQ(traymodInit(nullptr, owner), 0);
        ASSERT_EQ(traymodRunning(), 1);
        red = solidIcon(kRed);
        green = solidIcon(kGreen);
        blue = solidIcon(kBlue);
    }
    void TearDown() override {
        traymodShutdown();
        recorder().uninstall();
        DestroyIcon(red);
        DestroyIcon(green);
        DestroyIcon(blue);
        if (taskbar) DestroyWindow(taskbar);
        DestroyWindow(owner);
    }
    static ShellRecorder &recorder() { return ShellRecorder::instance(); }
    // Waits for n more ticks of the module's timer.
    static void ticks(unsigned n) {
        unsigned target = traymodTicks() + n;
        ASSERT_TRUE(runUntil([&] { return traymodTicks() >= target; }));
    }

    HWND owner = nullptr, taskbar = nullptr;
    HICON red = nullptr, green = nullptr, blue = nullptr;
};

TEST_F(TraymodTest, EntriesAreQueuedDrawnOnTheTickAndLimitedToSixteen) {
    for (int i = 0; i < TRAYMOD_MAX_ICONS; ++i) ASSERT_EQ(traymodCreate(owner, kCallback, red, "cradle"), i);
    EXPECT_EQ(traymodCreate(owner, kCallback, red, "cradle"), -6);
    EXPECT_EQ(recorder().count(), 0u);  // nothing is drawn outside the tick
    ticks(1);
    // Every icon: a modify that finds nothing, then an add in the first layout.
    auto adds = recorder().callsOf(NIM_ADD);
    ASSERT_EQ(adds.size(), 16u);
    for (UINT i = 0; i < 16; ++i) {
        EXPECT_EQ(adds[i].id, i);
        EXPECT_EQ(adds[i].size, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(adds[i].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(adds[i].callback, kCallback);
        EXPECT_EQ(adds[i].colour, kRed);
        EXPECT_EQ(adds[i].tip, "cradle");
    }

    // Destroying removes the icon at once; the entry is free only after the tick.
    recorder().clearCalls();
    ASSERT_EQ(traymodDestroy(3), 0);
    auto deletes = recorder().callsOf(NIM_DELETE);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].id, 3u);
    EXPECT_TRUE(deletes[0].result);
    EXPECT_EQ(traymodSetIcon(3, green, nullptr), -2);  // being removed
    EXPECT_EQ(traymodDestroy(3), -2);
    EXPECT_EQ(traymodCreate(owner, kCallback, green, "again"), -6);
    ticks(1);
    EXPECT_EQ(traymodCreate(owner, kCallback, green, "again"), 3);

    // Refusals.
    EXPECT_EQ(traymodCreate(owner, kCallback, nullptr, "no icon"), -2);
    EXPECT_EQ(traymodSetIcon(16, green, "x"), -2);
    EXPECT_EQ(traymodSetIcon(-1, green, "x"), -2);
    EXPECT_EQ(traymodSetMode(0, 5, 0), -1);
    EXPECT_EQ(traymodSetMode(0, 0, 0), -1);
    EXPECT_EQ(traymodShowInfoTip(0, nullptr, "text", 1000, NIIF_INFO), -2);
}

TEST_F(TraymodTest, CreatedThenDestroyedBeforeAnyTickNeverShows) {
    int e = traymodCreate(owner, kCallback, red, "short-lived");
    ASSERT_EQ(e, 0);
    ASSERT_EQ(traymodSetIcon(e, green, "changed"), 0);
    ASSERT_EQ(traymodDestroy(e), 0);
    ticks(2);
    EXPECT_TRUE(recorder().callsOf(NIM_ADD).empty());
    EXPECT_FALSE(recorder().present(owner, 0));
    EXPECT_EQ(traymodCreate(owner, kCallback, blue, "next"), 0);
}

TEST_F(TraymodTest, SetIconChangesOnlyWhatIsGivenAndCutsTheTooltip) {
    int e = traymodCreate(owner, kCallback, red, "first");
    ticks(1);
    recorder().clear();
    recorder().install();
    // present() was reset by clear(): draw again through an add.
    ASSERT_EQ(traymodSetIcon(e, nullptr, "only the tip"), 0);
    ticks(1);
    auto calls = recorder().calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().colour, kRed);
    EXPECT_EQ(calls.back().tip, "only the tip");

    ASSERT_EQ(traymodSetIcon(e, green, nullptr), 0);
    ticks(1);
    calls = recorder().calls();
    EXPECT_EQ(calls.back().colour, kGreen);
    EXPECT_EQ(calls.back().tip, "only the tip");

    std::string longTip(100, 't');
    ASSERT_EQ(traymodSetIcon(e, nullptr, longTip.c_str()), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().tip, std::string(TRAYMOD_TIP_CHARS, 't'));
}

TEST_F(TraymodTest, RingKeepsTheNewestTwoHundredFiftySixCommandsInQueueOrder) {
    int e = traymodCreate(owner, kCallback, red, "start");
    ticks(1);
    recorder().clear();
    // 300 commands within one timer period (the loop does not run meanwhile):
    // the oldest 44 are overwritten, their copies freed.
    for (int i = 0; i < 300; ++i) {
        std::string tip = "t" + std::to_string(i);
        ASSERT_EQ(traymodSetIcon(e, (i % 2) ? green : blue, tip.c_str()), 0);
    }
    ticks(1);
    auto calls = recorder().calls();
    std::vector<std::string> tips;
    for (const ShellCall &c : calls)
        if (c.result) tips.push_back(c.tip);
    ASSERT_EQ(tips.size(), 256u);
    EXPECT_EQ(tips.front(), "t44");
    EXPECT_EQ(tips.back(), "t299");
    for (size_t i = 1; i < tips.size(); ++i) ASSERT_EQ(tips[i], "t" + std::to_string(44 + i));
    // The entry keeps the newest request.
    recorder().clear();
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_STEADY, 0), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().tip, "t299");
    EXPECT_EQ(recorder().calls().back().colour, kGreen);
}

TEST_F(TraymodTest, BlinkingAlternatesEveryFourthTickAndStopsShowingTheIcon) {
    int e = traymodCreate(owner, kCallback, red, "blinking");
    ticks(1);
    recorder().clear();
    recorder().install();
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_BLINK, 600), 0);
    ticks(17);
    std::vector<ShellCall> draws;
    for (const ShellCall &c : recorder().calls())
        if (c.result) draws.push_back(c);
    ASSERT_GE(draws.size(), 4u);
    // Icon, blank, icon, blank ... four ticks (800 ms) apart, tooltip kept.
    for (size_t i = 0; i < draws.size(); ++i) {
        EXPECT_EQ(draws[i].colour, i % 2 == 0 ? kRed : kTransparent) << i;
        EXPECT_EQ(draws[i].tip, "blinking");
        if (i > 0) {
            EXPECT_EQ(draws[i].tick - draws[i - 1].tick, 4u) << i;
        }
    }

    // Mode 2 stops it with the icon showing, and nothing changes afterwards.
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_STEADY, 0), 0);
    ticks(1);
    size_t after = recorder().count();
    EXPECT_EQ(recorder().calls().back().colour, kRed);
    ticks(6);
    EXPECT_EQ(recorder().count(), after);
}

TEST_F(TraymodTest, HiddenIconsKeepTheirChangesAndComeBackWithTheLatest) {
    int e = traymodCreate(owner, kCallback, red, "visible");
    ticks(1);
    ASSERT_TRUE(recorder().present(owner, 0));
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_VISIBLE, 0), 0);
    ticks(1);
    EXPECT_FALSE(recorder().present(owner, 0));
    size_t hiddenCalls = recorder().count();
    ASSERT_EQ(traymodSetIcon(e, green, "changed while hidden"), 0);
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_BLINK, 200), 0);
    ticks(3);
    EXPECT_EQ(recorder().count(), hiddenCalls);  // nothing reaches the notification area
    // Hiding twice removes nothing more.
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_VISIBLE, 0), 0);
    ticks(1);
    EXPECT_EQ(recorder().count(), hiddenCalls);

    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_STEADY, 0), 0);
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_VISIBLE, 1), 0);
    ticks(1);
    EXPECT_TRUE(recorder().present(owner, 0));
    auto adds = recorder().callsOf(NIM_ADD);
    EXPECT_EQ(adds.back().colour, kGreen);
    EXPECT_EQ(adds.back().tip, "changed while hidden");
}

TEST_F(TraymodTest, LostTaskbarPutsVisibleIconsBackWithinTwoTicks) {
    int shown = traymodCreate(owner, kCallback, red, "shown");
    int hidden = traymodCreate(owner, kCallback, green, "hidden");
    ASSERT_EQ(traymodSetMode(hidden, TRAYMOD_MODE_VISIBLE, 0), 0);
    ticks(1);
    ASSERT_TRUE(recorder().present(owner, static_cast<UINT>(shown)));
    ASSERT_FALSE(recorder().present(owner, static_cast<UINT>(hidden)));

    // The taskbar goes away and a new one forgets every icon.
    DestroyWindow(taskbar);
    taskbar = nullptr;
    ticks(2);
    recorder().clear();
    recorder().install();
    taskbar = plainWindow("TrayNotifyWnd");
    unsigned back = traymodTicks();
    ticks(2);
    EXPECT_TRUE(recorder().present(owner, static_cast<UINT>(shown)));
    EXPECT_FALSE(recorder().present(owner, static_cast<UINT>(hidden)));
    auto adds = recorder().callsOf(NIM_ADD);
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_LT(adds[0].tick - back, 2u);
    EXPECT_EQ(adds[0].colour, kRed);
    EXPECT_EQ(adds[0].tip, "shown");

    // A new taskbar announced without ever being missed (faster than a
    // tick): the icons go back all the same.
    recorder().clear();
    recorder().install();
    ASSERT_EQ(traymodTaskbarCreated(), 0);
    ticks(1);
    EXPECT_TRUE(recorder().present(owner, static_cast<UINT>(shown)));
    EXPECT_FALSE(recorder().present(owner, static_cast<UINT>(hidden)));

    // A refused call inside the tick also counts as a lost taskbar.
    recorder().refuse(true);
    ASSERT_EQ(traymodSetIcon(shown, blue, "refused"), 0);
    ticks(1);
    recorder().clear();  // the new notification area knows no icon
    ticks(2);
    EXPECT_TRUE(recorder().present(owner, static_cast<UINT>(shown)));
    EXPECT_EQ(recorder().callsOf(NIM_ADD).back().colour, kBlue);
}

TEST_F(TraymodTest, BalloonsGoOutAtOnceCutToTheirFieldsWithTheLargerLayoutAsFallback) {
    int e = traymodCreate(owner, kCallback, red, "tips");
    ticks(1);
    recorder().clear();
    recorder().install();
    // The recorder forgot the icon: the first layout is refused, the second too.
    std::string text(300, 'x'), title(80, 'T');
    ASSERT_EQ(traymodShowInfoTip(e, title.c_str(), text.c_str(), 15000, NIIF_WARNING), 0);
    auto calls = recorder().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].size, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_EQ(calls[1].size, static_cast<DWORD>(NOTIFYICONDATAA_V3_SIZE));
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[0].flags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(calls[0].info, std::string(255, 'x'));
    EXPECT_EQ(calls[0].infoTitle, std::string(63, 'T'));
    EXPECT_EQ(calls[0].timeout, 15000u);
    EXPECT_EQ(calls[0].infoFlags, static_cast<DWORD>(NIIF_WARNING));

    // With the icon there, one call does it.
    ASSERT_EQ(traymodSetIcon(e, green, nullptr), 0);
    ticks(1);
    recorder().clear();
    recorder().install();
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_STEADY, 0), 0);
    ticks(1);
    size_t before = recorder().count();
    ASSERT_EQ(traymodShowInfoTip(e, "Title", "Text", 10000, NIIF_INFO), 0);
    EXPECT_EQ(recorder().count(), before + 1);
    EXPECT_TRUE(recorder().calls().back().result);
    EXPECT_EQ(traymodShowInfoTip(5, "Title", "Text", 10000, NIIF_INFO), -2);
}

TEST_F(TraymodTest, SavedIconsHoldCopiesAndIncludeChangesStillQueued) {
    int e = traymodCreate(owner, kCallback, red, "saved");
    ticks(1);
    TraymodSavedIcon *saved = nullptr;
    ASSERT_EQ(traymodSaveIcon(e, &saved), 0);
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(traymodSetIcon(e, green, "replaced"), 0);
    ticks(1);
    ASSERT_EQ(traymodRestoreIcon(e, saved), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().colour, kRed);
    EXPECT_EQ(recorder().calls().back().tip, "saved");
    // The saved icon stays valid and can be restored again.
    ASSERT_EQ(traymodSetIcon(e, green, "replaced"), 0);
    ASSERT_EQ(traymodRestoreIcon(e, saved), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().colour, kRed);
    ASSERT_EQ(traymodFreeIcon(&saved), 0);
    EXPECT_EQ(saved, nullptr);
    EXPECT_EQ(traymodFreeIcon(&saved), -2);
    EXPECT_EQ(traymodFreeIcon(nullptr), -2);

    // A change not yet drawn is what the icon is about to show: it is saved.
    ASSERT_EQ(traymodSetIcon(e, blue, "queued"), 0);
    ASSERT_EQ(traymodSaveIcon(e, &saved), 0);
    ASSERT_EQ(traymodSetIcon(e, green, "later"), 0);
    ticks(1);
    ASSERT_EQ(traymodRestoreIcon(e, saved), 0);
    ticks(1);
    EXPECT_EQ(recorder().calls().back().colour, kBlue);
    EXPECT_EQ(recorder().calls().back().tip, "queued");
    ASSERT_EQ(traymodFreeIcon(&saved), 0);

    EXPECT_EQ(traymodSaveIcon(e, nullptr), -2);
    EXPECT_EQ(traymodSaveIcon(7, &saved), -2);
    EXPECT_EQ(traymodRestoreIcon(e, nullptr), -2);
}

TEST_F(TraymodTest, CallersOnOtherThreadsRaceTheTimerSafely) {
    // Writers on four threads overwrite ring slots, hide and show, save and
    // free while the timer runs commands on this thread: every copy is freed
    // once (the sanitizer build checks) and the last request wins.
    int e = traymodCreate(owner, kCallback, red, "race");
    ticks(1);
    std::atomic<int> done{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < 1500; ++i) {
                std::string tip = "w" + std::to_string(t) + "-" + std::to_string(i);
                traymodSetIcon(e, (i % 2) ? green : blue, tip.c_str());
                if (i % 97 == 0) traymodSetMode(e, TRAYMOD_MODE_VISIBLE, i % 2);
                if (i % 61 == 0) {
                    TraymodSavedIcon *saved = nullptr;
                    if (traymodSaveIcon(e, &saved) == 0) {
                        traymodRestoreIcon(e, saved);
                        traymodFreeIcon(&saved);
                    }
                }
            }
            done++;
        });
    }
    ASSERT_TRUE(runUntil([&] { return done.load() == 4; }, 60000));
    for (std::thread &w : writers) w.join();
    ASSERT_EQ(traymodSetMode(e, TRAYMOD_MODE_VISIBLE, 1), 0);
    ASSERT_EQ(traymodSetIcon(e, red, "settled"), 0);
    ticks(2);
    EXPECT_EQ(recorder().calls().back().tip, "settled");
    EXPECT_EQ(recorder().calls().back().colour, kRed);
}

TEST(TraymodLifecycle, RefusesCallsOutsideItsLifetimeAndCleansUpOnShutdown) {
    ShellRecorder::instance().clear();
    ShellRecorder::instance().install();
    HICON icon = solidIcon(kRed);
    EXPECT_EQ(traymodCreate(nullptr, kCallback, icon, "x"), -1);
    EXPECT_EQ(traymodShutdown(), -1);
    // Without an owner window no timer starts: the module stays down.
    EXPECT_EQ(traymodInit(nullptr, nullptr), 0);
    EXPECT_EQ(traymodRunning(), 0);
    HWND owner = plainWindow();
    ASSERT_EQ(traymodInit(nullptr, owner), 0);
    EXPECT_EQ(traymodInit(nullptr, owner), -1);
    int e = traymodCreate(owner, kCallback, icon, "x");
    ASSERT_EQ(e, 0);
    ASSERT_TRUE(runUntil([] { return traymodTicks() >= 1; }));
    ASSERT_EQ(traymodSetIcon(e, icon, "still queued at shut-down"), 0);
    ASSERT_TRUE(ShellRecorder::instance().present(owner, 0));
    ASSERT_EQ(traymodShutdown(), 0);
    EXPECT_FALSE(ShellRecorder::instance().present(owner, 0));
    EXPECT_EQ(traymodRunning(), 0);
    EXPECT_EQ(traymodSetIcon(e, icon, "x"), -1);
    ShellRecorder::instance().uninstall();
    DestroyIcon(icon);
    DestroyWindow(owner);
}

}  // namespace
