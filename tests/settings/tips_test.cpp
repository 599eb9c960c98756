// Tips of the day: loading the tip files (the user's, then an installed
// copy's), the position and show flag kept in the configuration file, and the
// dialog's buttons.
#include "settings/tipsmod.h"

#include <string>
#include <vector>

#include "settings_fixture.h"

using namespace settingstest;

namespace {

class Tips : public ::testing::Test {
protected:
    void TearDown() override {
        tipsmodShutdown();
        tipsmodSetSharedDirectory(nullptr);
    }
    int init() { return tipsmodInit(branding(), ownerWindow(), dir.file("cradle.ini").c_str()); }
    std::vector<std::string> all() {
        std::vector<std::string> v;
        for (int i = 0; i < tipsmodGetCount(); ++i) v.push_back(tipsmodGetTip(i));
        return v;
    }
    std::string ini(const char *key) {
        char buf[32];
        GetPrivateProfileStringA("Tips", key, "(none)", buf, sizeof buf, dir.file("cradle.ini").c_str());
        return buf;
    }
    // The file names of "*.tip" in a folder, in its listing order.
    static std::vector<std::string> listing(const std::string &folder) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE f = FindFirstFileA((folder + "*.tip").c_str(), &fd);
        if (f == INVALID_HANDLE_VALUE) return names;
        do {
            names.push_back(fd.cFileName);
        } while (FindNextFileA(f, &fd));
        FindClose(f);
        return names;
    }
    TempDir dir;
};

TEST_F(Tips, FilesGiveOneTipPerNonEmptyLineInListingOrder) {
    dir.write("a.tip", "a1\r\na2\n\n\r\na3");
    dir.write("b.tip", "b1\rb2\n");
    dir.write("notes.txt", "not a tip\n");
    ASSERT_EQ(init(), 0);
    // The files come in the order the directory listing gives them.
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA((dir.dir() + "*.tip").c_str(), &fd);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    std::vector<std::string> expected;
    do {
        if (fd.cFileName[0] == 'a') expected.insert(expected.end(), {"a1", "a2", "a3"});
        else expected.insert(expected.end(), {"b1", "b2"});
    } while (FindNextFileA(f, &fd));
    FindClose(f);
    EXPECT_EQ(all(), expected);
}

TEST_F(Tips, LongLinesAreCutIntoPiecesAndTheTableHoldsAtMost256) {
    std::string longLine(2047 + 2047 + 10, 'x');
    longLine[2047] = 'y';
    std::string many;
    for (int i = 0; i < 300; ++i) many += "tip " + std::to_string(i) + "\n";
    dir.write("long.tip", longLine + "\n" + many);
    ASSERT_EQ(init(), 0);
    ASSERT_EQ(tipsmodGetCount(), 256);
    EXPECT_EQ(std::string(tipsmodGetTip(0)), std::string(2047, 'x'));
    EXPECT_EQ(std::string(tipsmodGetTip(1)), "y" + std::string(2046, 'x'));
    EXPECT_EQ(std::string(tipsmodGetTip(2)), std::string(10, 'x'));
    EXPECT_EQ(std::string(tipsmodGetTip(3)), "tip 0");
    EXPECT_EQ(std::string(tipsmodGetTip(255)), "tip 252");
}

TEST_F(Tips, ArgumentsStateAndAPositionBeyondTheTipsStartAtTheFirst) {
    EXPECT_EQ(tipsmodShowTips(), -1);
    EXPECT_EQ(tipsmodShutdown(), -1);
    EXPECT_EQ(tipsmodInit(branding(), nullptr, dir.file("cradle.ini").c_str()), -2);
    EXPECT_EQ(tipsmodInit(nullptr, ownerWindow(), dir.file("cradle.ini").c_str()), -2);
    EXPECT_EQ(tipsmodInit(branding(), ownerWindow(), nullptr), -2);
    EXPECT_EQ(tipsmodInit(branding(), ownerWindow(), std::string(300, 'p').c_str()), -2);
    dir.write("t.tip", "1\n2\n3\n4\n5\n");
    dir.write("cradle.ini", "[Tips]\nLast=9\n");
    ASSERT_EQ(init(), 0);
    EXPECT_EQ(init(), -1);
    EXPECT_EQ(tipsmodGetPosition(), 0);
    EXPECT_EQ(tipsmodGetShowFlag(), 1);
}

TEST_F(Tips, NextWrapsAndCloseRemembersTheTipAfterTheOneShown) {
    dir.write("t.tip", "one\ntwo\nthree\nfour\nfive\n");
    dir.write("cradle.ini", "[Tips]\nLast=4\n");
    ASSERT_EQ(init(), 0);
    ASSERT_NE(branding(), nullptr);
    int shownAtOpen = -1, afterNext = -1;
    WhenShown driver("Tip of the Day", [&](HWND dlg) {
        shownAtOpen = tipsmodGetPosition();
        EXPECT_EQ(IsDlgButtonChecked(dlg, TIPSMOD_KEEP), static_cast<UINT>(BST_CHECKED));
        EXPECT_TRUE(uiSnapshotWindow(dlg, screenshot("tip-of-the-day").c_str()));
        click(dlg, TIPSMOD_NEXT);
        afterNext = tipsmodGetPosition();
        click(dlg, TIPSMOD_CLOSE);
    });
    EXPECT_EQ(tipsmodShowTips(), 0);
    EXPECT_TRUE(WhenShown::ran());
    EXPECT_EQ(shownAtOpen, 4);
    EXPECT_EQ(afterNext, 0);
    EXPECT_EQ(ini("Last"), "1");
    EXPECT_EQ(ini("ShowTips"), "1");
}

TEST_F(Tips, ClearingTheCheckBoxTurnsTipsOffAndThenNothingIsShown) {
    dir.write("t.tip", "one\ntwo\n");
    ASSERT_EQ(init(), 0);
    {
        WhenShown driver("Tip of the Day", [&](HWND dlg) {
            CheckDlgButton(dlg, TIPSMOD_KEEP, BST_UNCHECKED);
            click(dlg, TIPSMOD_CLOSE);
        });
        EXPECT_EQ(tipsmodShowTips(), 0);
    }
    EXPECT_EQ(ini("ShowTips"), "0");
    EXPECT_EQ(ini("Last"), "1");
    tipsmodShutdown();

    std::string before = dir.read("cradle.ini");
    ASSERT_EQ(init(), 0);
    EXPECT_EQ(tipsmodGetShowFlag(), 0);
    EXPECT_EQ(tipsmodShowTips(), 0);  // would time out in the modal loop if it showed
    EXPECT_EQ(dir.read("cradle.ini"), before);
}

TEST_F(Tips, WithoutTipsTheDialogSaysSoAndClosingTurnsTipsOff) {
    dir.write("empty.tip", "\r\n\r\n");
    ASSERT_EQ(init(), 0);
    EXPECT_EQ(tipsmodGetCount(), 0);
    bool nextEnabled = true;
    WhenShown driver("Tip of the Day", [&](HWND dlg) {
        uiSnapshotWindow(dlg, screenshot("tip-of-the-day-empty").c_str());  // paints the page
        nextEnabled = IsWindowEnabled(GetDlgItem(dlg, TIPSMOD_NEXT));
        click(dlg, TIPSMOD_CLOSE);
    });
    EXPECT_EQ(tipsmodShowTips(), 0);
    EXPECT_FALSE(nextEnabled);
    EXPECT_EQ(ini("ShowTips"), "0");
}

TEST_F(Tips, ClosingTheWindowOtherwiseChangesNeitherPositionNorFlag) {
    dir.write("t.tip", "one\ntwo\nthree\n");
    dir.write("cradle.ini", "[Tips]\nLast=1\n");
    ASSERT_EQ(init(), 0);
    WhenShown driver("Tip of the Day", [&](HWND dlg) {
        CheckDlgButton(dlg, TIPSMOD_KEEP, BST_UNCHECKED);
        SendMessageA(dlg, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(tipsmodShowTips(), 0);
    EXPECT_EQ(ini("Last"), "1");
    EXPECT_EQ(ini("ShowTips"), "1");
}

TEST_F(Tips, TheUsersFilesComeFirstAndOneOfTheSameNameReplacesTheSharedFile) {
    TempDir shared;
    shared.write("cradle.tip", "shipped 1\nshipped 2\n");
    shared.write("extra.tip", "extra 1\n");
    dir.write("mine.tip", "mine 1\n");
    dir.write("CRADLE.TIP", "edited 1\n");  // the user's own copy of the shipped file
    ASSERT_EQ(tipsmodSetSharedDirectory(shared.dir().substr(0, shared.dir().size() - 1).c_str()), 0);
    ASSERT_EQ(init(), 0);
    std::vector<std::string> expected;
    for (const std::string &name : listing(dir.dir())) expected.push_back(name == "mine.tip" ? "mine 1" : "edited 1");
    expected.push_back("extra 1");
    EXPECT_EQ(all(), expected);
    tipsmodShutdown();

    // Without files of its own the user gets every shipped tip, and the
    // remembered position counts in that list.
    TempDir fresh;
    fresh.write("cradle.ini", "[Tips]\nLast=2\n");
    ASSERT_EQ(tipsmodInit(branding(), ownerWindow(), fresh.file("cradle.ini").c_str()), 0);
    expected.clear();
    for (const std::string &name : listing(shared.dir())) {
        if (name == "cradle.tip") expected.insert(expected.end(), {"shipped 1", "shipped 2"});
        else expected.push_back("extra 1");
    }
    EXPECT_EQ(all(), expected);
    EXPECT_EQ(tipsmodGetPosition(), 2);
}

TEST_F(Tips, TheUsersTipsFillTheTableFirstAndTheSameFolderCountsOnce) {
    TempDir shared;
    shared.write("shipped.tip", "shipped\n");
    std::string many;
    for (int i = 0; i < 300; ++i) many += "own " + std::to_string(i) + "\n";
    dir.write("many.tip", many);
    ASSERT_EQ(tipsmodSetSharedDirectory(shared.dir().c_str()), 0);
    ASSERT_EQ(init(), 0);
    ASSERT_EQ(tipsmodGetCount(), 256);
    EXPECT_EQ(std::string(tipsmodGetTip(255)), "own 255");
    tipsmodShutdown();

    // A copy whose shared folder is its own configuration folder.
    dir.write("many.tip", "one\ntwo\n");
    ASSERT_EQ(tipsmodSetSharedDirectory(dir.dir().c_str()), 0);
    ASSERT_EQ(init(), 0);
    EXPECT_EQ(all(), (std::vector<std::string>{"one", "two"}));
    tipsmodShutdown();

    // A path too long for the module removes the shared folder.
    EXPECT_EQ(tipsmodSetSharedDirectory(std::string(300, 'p').c_str()), -2);
    dir.write("many.tip", "");
    ASSERT_EQ(init(), 0);
    EXPECT_EQ(tipsmodGetCount(), 0);
}

TEST_F(Tips, ANewUserOfAnInstalledCopyIsOfferedTheShippedTips) {
    // The user's configuration folder has no tips of its own.
    ASSERT_EQ(tipsmodSetSharedDirectory(SUITE_SOURCE_DIR "/cradle/settings/dist"), 0);
    ASSERT_EQ(init(), 0);
    ASSERT_GT(tipsmodGetCount(), 1);
    bool nextEnabled = false;
    UINT kept = BST_UNCHECKED;
    WhenShown driver("Tip of the Day", [&](HWND dlg) {
        EXPECT_TRUE(uiSnapshotWindow(dlg, screenshot("tip-of-the-day-shipped").c_str()));
        nextEnabled = IsWindowEnabled(GetDlgItem(dlg, TIPSMOD_NEXT));
        kept = IsDlgButtonChecked(dlg, TIPSMOD_KEEP);
        click(dlg, TIPSMOD_CLOSE);
    });
    EXPECT_EQ(tipsmodShowTips(), 0);
    EXPECT_TRUE(nextEnabled);
    EXPECT_EQ(kept, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(ini("ShowTips"), "1");
    EXPECT_EQ(ini("Last"), "1");
}

}  // namespace
