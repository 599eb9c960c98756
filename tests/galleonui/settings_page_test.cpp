// The Settings page of the real plug-in: the collection list built from
// collections made on disk, sorting, marks and the deletion question, the
// server started and stopped through Apply, the View menu and the context
// menu, the WideConfig layout, help and notification 5.
#include <filesystem>
#include <fstream>

#include "settings_helpers.h"
#include "settings_ids.h"
#include "pageids.h"
#include "zelext.h"

using namespace galleonui;
using namespace uiinput;
namespace fs = std::filesystem;

namespace {

TEST_F(SettingsPageTest, TheListShowsTheCollectionsOnDisk) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    EXPECT_EQ(text(page_), "Photo");
    auto r = rows(list());
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], (std::vector<std::string>{"Docs", "1", "File"}));
    EXPECT_EQ(r[1], (std::vector<std::string>{"Holiday", "2", "Photo"}));
    EXPECT_EQ(r[2], (std::vector<std::string>{"Misc", "2", "Mixed"}));
    EXPECT_EQ(rowImage(list(), 0), 4) << "Docs has a password";
    EXPECT_EQ(rowImage(list(), 1), 3);
    EXPECT_EQ(rowImage(list(), 2), 3);
    // Item values: the row numbers in the low 16 bits, nothing marked.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pageRowParamOf(i) & ~0xFFFF, 0);

    HWND header = ListView_GetHeader(list());
    ASSERT_EQ(Header_GetItemCount(header), 3);
    char title[64];
    HDITEMA hd{};
    hd.mask = HDI_TEXT;
    hd.pszText = title;
    hd.cchTextMax = sizeof title;
    const char* titles[] = {"Collection", "Files", "Type"};
    for (int c = 0; c < 3; ++c) {
        ASSERT_TRUE(Header_GetItem(header, c, &hd));
        EXPECT_STREQ(title, titles[c]);
    }
    EXPECT_FALSE(enabled(IDC_SET_EDIT));
    EXPECT_FALSE(enabled(IDC_SET_DELETE));
    ASSERT_TRUE(galleon.waitRunning());
    EXPECT_TRUE(pumpUntil([&] { return status() == "Running"; }));
    EXPECT_TRUE(checked(IDC_SET_START));
    EXPECT_FALSE(checked(IDC_SET_STOP));
    EXPECT_TRUE(visible(IDC_SET_ADVANCED));
    shot(page_, "settings-page");

    clickRow(list(), 1);
    EXPECT_TRUE(enabled(IDC_SET_EDIT));
    EXPECT_TRUE(enabled(IDC_SET_DELETE));
}

TEST_F(SettingsPageTest, TheListFollowsTheCollectionsFolder) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    ASSERT_EQ(rows(list()).size(), 3u);
    // The watcher thread arms its change notification once it runs.
    pumpUntil([] { return false; }, 300);
    galleon.writeFile("Collections/Garden/rose.jpg", "jpeg");
    EXPECT_TRUE(pumpUntil([&] { return rowOf("Garden") >= 0; })) << "the store watcher posts command 105";
    fs::remove_all(galleon.path("Collections/Misc"));
    EXPECT_TRUE(pumpUntil([&] { return rowOf("Misc") < 0; }));
    EXPECT_EQ(rows(list()).size(), 3u);
}

TEST_F(SettingsPageTest, ColumnClicksSortWithArrows) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    clickHeader(list(), 2);
    auto r = rows(list());
    EXPECT_EQ(r[0][2], "File");
    EXPECT_EQ(r[1][2], "Mixed");
    EXPECT_EQ(r[2][2], "Photo");
    EXPECT_EQ(headerImage(list(), 2), 1) << "ascending";
    clickHeader(list(), 2);
    r = rows(list());
    EXPECT_EQ(r[0][2], "Photo");
    EXPECT_EQ(r[2][2], "File");
    EXPECT_EQ(headerImage(list(), 2), 2) << "descending";
    clickHeader(list(), 0);
    EXPECT_EQ(rows(list())[0][0], "Docs");
    EXPECT_EQ(headerImage(list(), 0), 1);
    EXPECT_LE(headerImage(list(), 2), 0) << "the previous column's arrow is cleared";
    clickHeader(list(), 0);
    EXPECT_EQ(rows(list())[0][0], "Misc");
    // A new collection keeps the order.
    pumpUntil([] { return false; }, 300);
    galleon.writeFile("Collections/Attic/box.txt", "box");
    ASSERT_TRUE(pumpUntil([&] { return rowOf("Attic") >= 0; }));
    EXPECT_EQ(rowOf("Attic"), 3);
    shot(page_, "settings-page-sorted");
}

TEST_F(SettingsPageTest, AnsweringNoToTheDeletionQuestionClearsTheMark) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    clickRow(list(), rowOf("Holiday"));
    click(item(IDC_SET_DELETE));
    EXPECT_EQ(rowImage(list(), rowOf("Holiday")), 5) << "marked for deletion";
    EXPECT_EQ(pageRowParamOf(rowOf("Holiday")) & (LPARAM(1) << 30), LPARAM(1) << 30);
    EXPECT_EQ(changedCount, 1);
    EXPECT_FALSE(enabled(IDC_SET_EDIT));
    EXPECT_FALSE(enabled(IDC_SET_DELETE));
    // A marked row cannot be marked again or edited.
    clickRow(list(), rowOf("Holiday"));
    EXPECT_FALSE(enabled(IDC_SET_DELETE));
    shot(page_, "settings-page-marked");

    answers = {IDNO};
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Are you sure you want to delete selected collection? All pictures and files in the collection will be "
              "moved to the Recycle bin.");
    EXPECT_EQ(boxes[0].caption, "photo");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(rows(list()).size(), 3u);
    EXPECT_EQ(rowImage(list(), rowOf("Holiday")), 3) << "the mark is cleared";
    EXPECT_TRUE(collectionExists("Holiday"));
    // Nothing is marked now: a second Apply asks nothing.
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(SettingsPageTest, DeletedCollectionsGoToTheRecycleBinWithTheirPasswords) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    clickRow(list(), rowOf("Docs"));
    click(item(IDC_SET_DELETE));
    clickRow(list(), rowOf("Misc"));
    click(item(IDC_SET_DELETE));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Are you sure you want to delete selected collections? All pictures and files in the collections will be "
              "moved to the Recycle bin.");
    auto r = rows(list());
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][0], "Holiday");
    EXPECT_FALSE(collectionExists("Docs"));
    EXPECT_FALSE(collectionExists("Misc"));
    std::string bin = "Collections/Recycle Bin/" + todayFolder() + "/";
    EXPECT_TRUE(fs::exists(galleon.path(bin + "Docs/report.txt")));
    EXPECT_TRUE(fs::exists(galleon.path(bin + "Misc/more/list.txt")));
    // The type key stays; the password record goes with the collection.
    EXPECT_NE(galleon.readFile("cradle.ini").find("Docs=File"), std::string::npos);
    closePage();
    galleon.stop();
    EXPECT_EQ(galleon.readFile("galleon.dbu").find("Docs"), std::string::npos);
}

TEST_F(SettingsPageTest, StartAndStopThroughApply) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    ASSERT_TRUE(galleon.waitRunning());
    ASSERT_TRUE(pumpUntil([&] { return status() == "Running"; }));
    EXPECT_EQ(httpGet(galleon.port, "/Holiday/").status, 200);
    EXPECT_EQ(statusColour(), RGB(0, 128, 0));
    EXPECT_EQ(statusIcon(), pluginIcon(galleon.module, IDI_SERVER_RUNNING));
    EXPECT_EQ(colourOf(IDC_SET_HEADING_STATUS), RGB(0, 0, 255)) << "headings are blue";

    click(item(IDC_SET_STOP));
    EXPECT_TRUE(checked(IDC_SET_STOP));
    EXPECT_EQ(changedCount, 1);
    answers = {IDNO};
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to stop the Photo server?");
    EXPECT_EQ(boxes[0].caption, "photo");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(httpGet(galleon.port, "/Holiday/").status, 200) << "No keeps the server running";

    click(item(IDC_SET_STOP));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(pumpUntil([&] { return status() == "Stopped"; })) << status();
    EXPECT_EQ(httpGet(galleon.port, "/Holiday/").status, 0) << "nothing listens";
    EXPECT_EQ(statusColour(), RGB(255, 0, 0));
    EXPECT_EQ(statusIcon(), pluginIcon(galleon.module, IDI_SERVER_STOPPED));
    shot(page_, "settings-page-stopped");

    click(item(IDC_SET_START));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(boxes.size(), 2u) << "starting asks nothing";
    EXPECT_TRUE(pumpUntil([&] { return status() == "Running"; })) << status();
    EXPECT_EQ(httpGet(galleon.port, "/Holiday/").status, 200);
}

TEST_F(SettingsPageTest, TheServerThatIsNotEnabledShowsStopped) {
    makeCollections("Enable=0\n");
    ASSERT_TRUE(openPage(0));
    EXPECT_TRUE(checked(IDC_SET_STOP));
    EXPECT_FALSE(checked(IDC_SET_START));
    click(item(IDC_SET_START));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_TRUE(pumpUntil([&] { return status() == "Running"; })) << status();
    EXPECT_EQ(httpGet(galleon.port, "/Docs/").status, 401) << "Docs has a password";
    EXPECT_EQ(httpGet(galleon.port, "/Docs/", basicAuth("system", "secret")).status, 200);
}

TEST_F(SettingsPageTest, TheViewMenuListsTheCollectionsWithTheirIcons) {
    makeCollections("MixedListType=3\n");
    ASSERT_TRUE(openPage(0));
    resetShellLog();
    std::vector<MenuItemSeen> seen;
    {
        MenuCatcher catcher(page_, 2, "settings-view-menu", [&](const std::vector<MenuItemSeen>& items) { seen = items; });
        click(item(IDC_SET_VIEW));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].text, "Docs");
    EXPECT_EQ(seen[1].text, "Holiday");
    EXPECT_EQ(seen[2].text, "Misc");
    EXPECT_TRUE(seen[3].separator);
    EXPECT_EQ(seen[4].text, "All Collections");
    EXPECT_EQ(seen[4].id, 220u);
    EXPECT_TRUE(seen[4].isDefault);
    EXPECT_EQ(seen[5].text, "Recycle Bin");
    EXPECT_EQ(seen[5].id, 200u);
    for (int i = 0; i < 3; ++i) EXPECT_GE(seen[i].id, 240u);
    for (const MenuItemSeen& s : seen) EXPECT_TRUE(s.ownerDrawn) << s.text << ": drawn by menumod";
    EXPECT_EQ(seen[0].icon, pluginIcon(galleon.module, IDI_MENU_FILE));
    EXPECT_EQ(seen[1].icon, pluginIcon(galleon.module, IDI_MENU_PHOTO));
    EXPECT_EQ(seen[2].icon, pluginIcon(galleon.module, IDI_MENU_MIXED_FILMSTRIP)) << "MixedListType 3";
    EXPECT_EQ(seen[2].activeIcon, seen[2].icon);
    EXPECT_EQ(seen[4].icon, pluginIcon(galleon.module, IDI_MENU_PHOTO));
    EXPECT_EQ(seen[5].icon, pluginIcon(galleon.module, IDI_MENU_RECYCLE));
    EXPECT_NE(seen[5].icon, nullptr);

    // Misc (Mixed, "MixedListType" 3) opens in the filmstrip view.
    ASSERT_TRUE(pumpUntil([&] { return !shellOpened().empty(); }));
    std::string base = "http://localhost:" + std::to_string(galleon.port);
    EXPECT_EQ(shellOpened(), (std::vector<std::string>{"open\t" + base + "/Misc/?list=filmstrip&sortcol=name&sortdir=asc"}));

    resetShellLog();
    {
        MenuCatcher catcher(page_, 4);
        click(item(IDC_SET_VIEW));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_TRUE(pumpUntil([&] { return !shellOpened().empty(); }));
    EXPECT_EQ(shellOpened(), (std::vector<std::string>{"open\t" + base + "/?list=icons"}));

    resetShellLog();
    {
        MenuCatcher catcher(page_, 5);
        click(item(IDC_SET_VIEW));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_TRUE(pumpUntil([&] { return !shellOpened().empty(); }));
    ASSERT_EQ(shellOpened().size(), 1u);
    EXPECT_EQ(shellOpened()[0], "open\tfile://" + galleon.path("Collections/Recycle Bin"));

    resetShellLog();
    {
        MenuCatcher catcher(page_, 0);
        click(item(IDC_SET_VIEW));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_TRUE(pumpUntil([&] { return !shellOpened().empty(); }));
    EXPECT_EQ(shellOpened(), (std::vector<std::string>{"open\t" + base + "/Docs/?list=details&sortcol=name&sortdir=asc"}));
}

TEST_F(SettingsPageTest, MixedCollectionsGetNoViewIconForAnUnknownListType) {
    makeCollections("MixedListType=7\n");
    ASSERT_TRUE(openPage(0));
    resetShellLog();
    std::vector<MenuItemSeen> seen;
    {
        MenuCatcher catcher(page_, 2, "", [&](const std::vector<MenuItemSeen>& items) { seen = items; });
        click(item(IDC_SET_VIEW));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[2].text, "Misc");
    EXPECT_EQ(seen[2].icon, nullptr);
    EXPECT_EQ(seen[0].icon, pluginIcon(galleon.module, IDI_MENU_FILE));
    ASSERT_TRUE(pumpUntil([&] { return !shellOpened().empty(); }));
    EXPECT_EQ(shellOpened(),
              (std::vector<std::string>{"open\thttp://localhost:" + std::to_string(galleon.port) + "/Misc/?list=icons"}));
}

TEST_F(SettingsPageTest, MixedCollectionsUseTheFileIconForTheOtherListTypes) {
    makeCollections("MixedListType=1\n");
    ASSERT_TRUE(openPage(0));
    resetShellLog();
    std::vector<MenuItemSeen> seen;
    {
        MenuCatcher catcher(page_, 2, "", [&](const std::vector<MenuItemSeen>& items) { seen = items; });
        click(item(IDC_SET_VIEW));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[2].icon, pluginIcon(galleon.module, IDI_MENU_FILE));
    ASSERT_TRUE(pumpUntil([&] { return !shellOpened().empty(); }));
    EXPECT_EQ(shellOpened(),
              (std::vector<std::string>{"open\thttp://localhost:" + std::to_string(galleon.port) + "/Misc/?list=list"}));
}

TEST_F(SettingsPageTest, TheContextMenuOfARow) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    ASSERT_TRUE(galleon.waitRunning());
    resetShellLog();
    std::vector<MenuItemSeen> seen;
    {
        MenuCatcher catcher(page_, 0, "settings-context-menu",
                            [&](const std::vector<MenuItemSeen>& items) { seen = items; });
        clickRow(list(), rowOf("Holiday"));
        rightClickRow(list(), rowOf("Holiday"));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].text, "Pre&view");
    EXPECT_EQ(seen[0].id, 106u);
    EXPECT_EQ(seen[1].text, "&Delete");
    EXPECT_EQ(seen[1].id, 102u);
    EXPECT_TRUE(seen[2].separator);
    EXPECT_EQ(seen[3].text, "&Properties...");
    EXPECT_EQ(seen[3].id, 101u);
    EXPECT_TRUE(seen[3].isDefault);
    for (const MenuItemSeen& s : seen) EXPECT_FALSE(s.grayed) << s.text;
    EXPECT_EQ(seen[0].icon, pluginIcon(galleon.module, IDI_MENU_PREVIEW));
    EXPECT_EQ(seen[0].activeIcon, pluginIcon(galleon.module, IDI_MENU_PREVIEW_ACTIVE));
    EXPECT_EQ(seen[1].icon, pluginIcon(galleon.module, IDI_MENU_DELETE));
    EXPECT_EQ(seen[1].activeIcon, pluginIcon(galleon.module, IDI_MENU_DELETE_ACTIVE));
    EXPECT_EQ(seen[3].icon, pluginIcon(galleon.module, IDI_MENU_PROPERTIES));
    EXPECT_EQ(seen[3].activeIcon, pluginIcon(galleon.module, IDI_MENU_PROPERTIES_ACTIVE));
    // Preview opened the photo collection in the filmstrip view.
    ASSERT_TRUE(pumpUntil([&] { return !shellOpened().empty(); }));
    EXPECT_EQ(shellOpened(), (std::vector<std::string>{"open\thttp://localhost:" + std::to_string(galleon.port) +
                                                       "/Holiday/?list=filmstrip&sortcol=name&sortdir=asc"}));

    // "&Delete" from the menu marks the row.
    {
        MenuCatcher catcher(page_, 1);
        rightClickRow(list(), rowOf("Holiday"));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    EXPECT_TRUE(pumpUntil([&] { return rowImage(list(), rowOf("Holiday")) == 5; }));
    // On a marked row everything is grayed.
    {
        MenuCatcher catcher(page_, -1, "", [&](const std::vector<MenuItemSeen>& items) { seen = items; });
        rightClickRow(list(), rowOf("Holiday"));
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[0].grayed);
    EXPECT_TRUE(seen[1].grayed);
    EXPECT_TRUE(seen[3].grayed);
}

TEST_F(SettingsPageTest, PreviewIsGrayedWhileTheServerIsStopped) {
    makeCollections("Enable=0\n");
    ASSERT_TRUE(openPage(0));
    std::vector<MenuItemSeen> seen;
    {
        MenuCatcher catcher(page_, -1, "", [&](const std::vector<MenuItemSeen>& items) { seen = items; });
        clickRow(list(), 0);
        rightClickRow(list(), 0);
        ASSERT_TRUE(pumpUntil([&] { return catcher.done(); }));
    }
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[0].grayed);
    EXPECT_FALSE(seen[1].grayed);
    EXPECT_FALSE(seen[3].grayed);
}

TEST_F(SettingsPageTest, TheRecycleBinAndAllCollectionsCommands) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    resetShellLog();
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_SET_RECYCLE_BIN, 0), 0);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_SET_ALL_COLLECTIONS, 0), 0);
    auto opened = shellOpened();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "open\tfile://" + galleon.path("Collections/Recycle Bin"));
    EXPECT_EQ(opened[1], "open\thttp://localhost:" + std::to_string(galleon.port) + "/?list=icons");
}

TEST_F(SettingsPageTest, WideConfigHidesTheAdvancedSection) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    RECT narrow{};
    GetWindowRect(list(), &narrow);
    closePage();
    galleon.stop();
    ASSERT_EQ(galleon.start("Holiday=Photo\nDocs=File\nWideConfig=1\n"), 0);
    ASSERT_TRUE(openPage(0));
    for (int id : {IDC_SET_PICTURE_ADVANCED, IDC_SET_ADVANCED_LINE, IDC_SET_ADVANCED_TEXT, IDC_SET_ADVANCED,
                   IDC_SET_HEADING_ADVANCED})
        EXPECT_FALSE(visible(id)) << id;
    EXPECT_TRUE(visible(IDC_SET_LIST));
    EXPECT_TRUE(visible(IDC_SET_VIEW));
    RECT wide{};
    GetWindowRect(list(), &wide);
    EXPECT_LT(wide.top, narrow.top) << "the list moves up into the Advanced section's place";
    EXPECT_EQ(wide.bottom, narrow.bottom);
    RECT heading{}, add{};
    GetWindowRect(item(IDC_SET_HEADING_COLLECTIONS), &heading);
    GetWindowRect(item(IDC_SET_ADD), &add);
    EXPECT_LT(heading.top, wide.top);
    EXPECT_EQ(add.top, wide.top);
    EXPECT_EQ(rows(list()).size(), 3u);
    shot(page_, "settings-page-wideconfig");
}

TEST_F(SettingsPageTest, HelpForThePageAndItsControls) {
    makeCollections();
    std::string record = galleon.path("help-record.txt");
    setenv("SUITE_HELP_RECORD", record.c_str(), 1);
    ASSERT_TRUE(openPage(0));
    notify(PSN_HELP);
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_SET_LIST;
    info.hItemHandle = list();
    SendMessageA(page_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    unsetenv("SUITE_HELP_RECORD");
    std::string lines = galleon.readFile("help-record.txt");
    EXPECT_NE(lines.find("settings.html"), std::string::npos) << lines;
    EXPECT_NE(lines.find("popup "), std::string::npos) << lines;
    EXPECT_NE(lines.find("collections of this server"), std::string::npos) << lines;
}

TEST_F(SettingsPageTest, NotificationFiveCancelsThePagesSheet) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    auto notifyChange = galleon.proc<PFN_zelextNotifyChange>("zelextNotifyChange");
    ASSERT_TRUE(notifyChange);
    EXPECT_EQ(notifyChange(5, 0), 0);
    EXPECT_TRUE(pumpUntil([&] { return !pressedButtons.empty(); }));
    EXPECT_EQ(pressedButtons, (std::vector<int>{PSBTN_CANCEL}));
    closePage();
    pressedButtons.clear();
    EXPECT_EQ(notifyChange(5, 0), 0);
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(pressedButtons.empty()) << "no page, nothing to cancel";
}

TEST_F(SettingsPageTest, AdvancedOpensTheOptionsSecurityAndLogPages) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    std::vector<std::string> titles;
    whenShown("Advanced...", [&](HWND sheet) {
        for (int i = 0; i < 3; ++i) {
            clickTab(sheet, i);
            titles.push_back(text(currentPage(sheet)));
        }
        shot(sheet, "settings-advanced-sheet");
        click(GetDlgItem(sheet, IDCANCEL));
    });
    click(item(IDC_SET_ADVANCED));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    EXPECT_EQ(titles, (std::vector<std::string>{"Advanced", "Security", "Log"}));
}

}  // namespace
