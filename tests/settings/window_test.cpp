// The settings window built from real configuration sections and driven
// through its tree, buttons and the pages' messages.
#include <cstring>

#include "real_input.h"
#include "window_fixture.h"

using namespace settingstest;

namespace {

const char kCategories[] =
    "[Categories]\nGeneral\nSingle\nBoth\n"
    "[Category-General]\ncradle-Settings\ncradle-About\npages-Alpha\n"
    "[Category-Single]\npages-beta\n"
    "[Category-Both]\npages-Alpha\ncradle-Settings\n";

using Tree = std::vector<std::string>;

TEST_F(SettingsWindowTest, TreeFollowsTheCategoriesAndListsTheRestUnderUnnamed) {
    start(baseIni(std::string(kCategories) + "[Novice]\npages-Alpha=1\npages-Beta=1\n"));
    Tree seen;
    std::string first;
    bool settingsPage = false;
    WhenShown run("Skyloom Client", [&](HWND w) {
        seen = tree(w);
        first = selectedText(w);
        ASSERT_TRUE(clickTreeEntry(GetDlgItem(w, IDC_SW_TREE), "Settings"));
        settingsPage = selectedText(w) == "Settings" && visiblePage(w) != nullptr;
        uiSnapshotWindow(w, screenshot("window-settings-page").c_str());
        click(w, IDC_SW_CANCEL);
    });
    EXPECT_EQ(settingsOpen(0), 0);
    EXPECT_EQ(seen, (Tree{"General", "  Settings", "  About", "  Alpha", "Beta", "Both", "  Alpha", "  Settings",
                          "Unnamed", "  Gamma"}));
    EXPECT_EQ(first, "General");
    EXPECT_TRUE(settingsPage);
}

TEST_F(SettingsWindowTest, NoviceModeHidesTabsButListsAndSelectsTheRequestedPage) {
    // Gamma belongs to a category and is hidden in novice mode, Beta has no value.
    start(baseIni("[Categories]\nMore\n[Category-More]\npages-Beta\npages-Gamma\n[Novice]\npages-Gamma=0\n"));
    Tree plain, requested;
    std::string selected;
    {
        WhenShown run("Skyloom Client", [&](HWND w) {
            plain = tree(w);
            click(w, IDC_SW_CANCEL);
        });
        settingsOpen(0);
    }
    {
        WhenShown run("Skyloom Client", [&](HWND w) {
            requested = tree(w);
            selected = selectedText(w);
            click(w, IDC_SW_CANCEL);
        });
        settingsOpen(3);  // page number 2: Gamma
    }
    // Alpha has no category and no value: listed under "Unnamed" unless a page was requested.
    EXPECT_EQ(plain, (Tree{"More", "Unnamed", "  Alpha", "  Settings", "  About"}));
    EXPECT_EQ(requested, (Tree{"More", "  Gamma", "Unnamed", "  Settings", "  About"}));
    EXPECT_EQ(selected, "Gamma");
}

TEST_F(SettingsWindowTest, ExpertModeListsEveryTab) {
    start(baseIni("[Categories]\nMore\n[Category-More]\npages-Beta\npages-Gamma\n[Novice]\npages-Gamma=0\n"
                  "pages-Beta=0\n",
                  "ExpertMode=1\n"));
    Tree seen;
    WhenShown run("Skyloom Client", [&](HWND w) {
        seen = tree(w);
        click(w, IDC_SW_CANCEL);
    });
    settingsOpen(0);
    EXPECT_EQ(seen, (Tree{"More", "  Beta", "  Gamma", "Unnamed", "  Alpha", "  Settings", "  About"}));
}

TEST_F(SettingsWindowTest, OkAppliesEveryCreatedPageInListOrderAndTellsThePlugins) {
    start(baseIni(std::string(kCategories) + "[Novice]\npages-Alpha=1\npages-Beta=1\n"));
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Gamma");
        select(w, "Beta");
        select(w, "Alpha");
        reset();
        click(w, IDC_SW_OK);
    });
    EXPECT_EQ(settingsOpen(0), 0);
    // Tree order: Alpha (General), Beta, Gamma (Unnamed); pages never opened get nothing.
    EXPECT_STREQ(events(), "A:ok;B:ok;G:ok;");
    EXPECT_NE(std::strstr(notifications(), "3:4;"), nullptr);
}

TEST_F(SettingsWindowTest, APageThatRefusesIsSelectedAndTheWindowStaysOpen) {
    start(baseIni(std::string(kCategories) + "[Novice]\npages-Alpha=1\npages-Beta=1\n"));
    std::string afterOk, eventsAfterOk, afterNoChange;
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Gamma");
        select(w, "Beta");
        select(w, "Alpha");
        setAnswer(1, PSNRET_INVALID);
        reset();
        setAnswer(1, PSNRET_INVALID);
        click(w, IDC_SW_OK);
        afterOk = selectedText(w);
        eventsAfterOk = events();
        // The other refusal keeps the page where it is.
        select(w, "Gamma");
        setAnswer(1, PSNRET_INVALID_NOCHANGEPAGE);
        click(w, IDC_SW_APPLY);
        afterNoChange = selectedText(w);
        reset();
        click(w, IDC_SW_CANCEL);
    });
    EXPECT_EQ(settingsOpen(0), 0);
    EXPECT_EQ(afterOk, "Beta");
    EXPECT_EQ(eventsAfterOk, "A:ok;B:ok;B:active;");  // Gamma, after the refusal, is not asked
    EXPECT_EQ(afterNoChange, "Gamma");
    EXPECT_STREQ(events(), "");  // Cancel applies nothing
    EXPECT_EQ(std::strstr(notifications(), "3:4;"), nullptr);
}

TEST_F(SettingsWindowTest, PageMessagesDriveTheButtons) {
    start(baseIni(std::string(kCategories) + "[Novice]\npages-Alpha=1\npages-Beta=1\n"));
    bool applyAtStart = true, applyAfterChange = false, applyAfterApply = true, cancelAfter = true;
    std::string okText, eventsAfterApply;
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Alpha");
        applyAtStart = enabled(w, IDC_SW_APPLY);
        HWND page = visiblePage(w);
        ASSERT_NE(page, nullptr);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(10, BN_CLICKED), 0);  // the page sends PSM_CHANGED
        applyAfterChange = enabled(w, IDC_SW_APPLY);
        reset();
        SendMessageA(GetParent(page), PSM_APPLY, 0, 0);
        eventsAfterApply = events();
        applyAfterApply = enabled(w, IDC_SW_APPLY);
        SendMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0);
        cancelAfter = enabled(w, IDC_SW_CANCEL);
        okText = uitext(GetDlgItem(w, IDC_SW_OK));
        uiSnapshotWindow(w, screenshot("window-plugin-page").c_str());
        SendMessageA(GetParent(page), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_EQ(settingsOpen(0), 0);
    EXPECT_FALSE(applyAtStart);
    EXPECT_TRUE(applyAfterChange);
    EXPECT_EQ(eventsAfterApply, "A:apply;");
    EXPECT_FALSE(applyAfterApply);
    EXPECT_FALSE(cancelAfter);
    EXPECT_EQ(okText, "Close");
}

TEST_F(SettingsWindowTest, CategoryListTooltipsAndHelp) {
    start(baseIni(std::string(kCategories) + "[Novice]\npages-Alpha=1\npages-Beta=1\n"));
    std::string tip, afterDoubleClick, helpEvents;
    int rows = 0;
    bool listShown = false, helpOnCategory = true;
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Beta");
        reset();
        // Tooltip of Beta's tree entry: the text the page keeps in GWL_USERDATA.
        HWND tv = GetDlgItem(w, IDC_SW_TREE);
        char buf[128] = "";
        NMTVGETINFOTIPA info{};
        info.hdr.hwndFrom = tv;
        info.hdr.idFrom = IDC_SW_TREE;
        info.hdr.code = TVN_GETINFOTIPA;
        info.pszText = buf;
        info.cchTextMax = sizeof buf;
        info.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, TVGN_CARET, 0));
        TVITEMA it{};
        it.mask = TVIF_PARAM;
        it.hItem = info.hItem;
        SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        info.lParam = it.lParam;
        SendMessageA(w, WM_NOTIFY, IDC_SW_TREE, reinterpret_cast<LPARAM>(&info));
        tip = buf;
        click(w, IDC_SW_HELP);
        helpEvents = events();
        // A category shows its pages as a list; a double click opens one.
        select(w, "General");
        HWND list = GetDlgItem(w, IDC_SW_CATEGORY_LIST);
        listShown = IsWindowVisible(list);
        helpOnCategory = enabled(w, IDC_SW_HELP);
        rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        uiSnapshotWindow(w, screenshot("window-category-list").c_str());
        LVITEMA sel{};
        sel.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        sel.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&sel));
        NMITEMACTIVATE dbl{};
        dbl.hdr.hwndFrom = list;
        dbl.hdr.idFrom = IDC_SW_CATEGORY_LIST;
        dbl.hdr.code = NM_DBLCLK;
        dbl.iItem = 2;
        SendMessageA(w, WM_NOTIFY, IDC_SW_CATEGORY_LIST, reinterpret_cast<LPARAM>(&dbl));
        afterDoubleClick = selectedText(w);
        click(w, IDC_SW_CANCEL);
    });
    settingsOpen(0);
    EXPECT_EQ(tip, "Beta's own tooltip");
    EXPECT_EQ(helpEvents, "B:help;");
    EXPECT_TRUE(listShown);
    EXPECT_FALSE(helpOnCategory);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(afterDoubleClick, "Alpha");
}

TEST_F(SettingsWindowTest, AboutIsSelectedFromTheMenuAndListsTheModules) {
    start(baseIni(kCategories));
    int rows = -1;
    std::string title;
    WhenShown run("Skyloom Client", [&](HWND w) {
        click(w, IDM_SW_ABOUT);
        HWND page = visiblePage(w);
        ASSERT_NE(page, nullptr);
        rows = static_cast<int>(SendDlgItemMessageA(page, IDC_AB_MODULES, LVM_GETITEMCOUNT, 0, 0));
        title = uitext(GetDlgItem(page, IDC_AB_TITLE));
        uiSnapshotWindow(w, screenshot("window-about-page").c_str());
        click(w, IDC_SW_CANCEL);
    });
    settingsOpen(0);
    EXPECT_EQ(rows, 1);  // the page plug-in
    EXPECT_EQ(title.rfind("Skyloom Client v", 0), 0u) << title;
}

}  // namespace
