// The host's Settings page and its dialogs inside the settings window: mode
// changes and the re-initialisation loop, restoring defaults, tab access and
// password protection.
#include <cstring>

#include "window_fixture.h"

using namespace settingstest;

namespace {

const char kGeneral[] = "[Categories]\nGeneral\n[Category-General]\ncradle-Settings\ncradle-About\npages-Alpha\n"
                        "pages-Beta\npages-Gamma\n";

std::string ini(const SettingsWindowTest &, const std::string &path, const char *section, const char *key) {
    char buf[128];
    GetPrivateProfileStringA(section, key, "(none)", buf, sizeof buf, path.c_str());
    return buf;
}

void choose(HWND page, int radio) {
    CheckRadioButton(page, IDC_SP_EXPERT, IDC_SP_NOVICE, radio);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(radio, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, radio)));
}

// Rows of the tab access list: "Tab|Description|Display".
std::vector<std::string> rows(HWND dlg) {
    HWND list = GetDlgItem(dlg, IDC_TA_LIST);
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < n; ++r) {
        std::string row;
        for (int c = 0; c < 3; ++c) {
            char buf[256] = "";
            LVITEMA it{};
            it.iSubItem = c;
            it.pszText = buf;
            it.cchTextMax = sizeof buf;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&it));
            row += (c ? "|" : "") + std::string(buf);
        }
        out.push_back(row);
    }
    return out;
}

void selectRow(HWND dlg, int row, bool only = true) {
    HWND list = GetDlgItem(dlg, IDC_TA_LIST);
    LVITEMA it{};
    it.stateMask = LVIS_SELECTED;
    if (only) SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
    it.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

void notifyList(HWND dlg, UINT code, int item, int column = 0) {
    NMLISTVIEW n{};
    n.hdr.hwndFrom = GetDlgItem(dlg, IDC_TA_LIST);
    n.hdr.idFrom = IDC_TA_LIST;
    n.hdr.code = code;
    n.iItem = item;
    n.iSubItem = column;
    SendMessageA(dlg, WM_NOTIFY, IDC_TA_LIST, reinterpret_cast<LPARAM>(&n));
}

TEST_F(SettingsWindowTest, SwitchingToExpertAsksAndReopensTheWindowInTheNewMode) {
    start(baseIni(kGeneral));
    bool unchangedApply = true;
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Settings");
        HWND page = visiblePage(w);
        ASSERT_NE(page, nullptr);
        unchangedApply = enabled(w, IDC_SW_APPLY);
        choose(page, IDC_SP_EXPERT);
        click(w, IDC_SW_OK);  // the question is answered yes by the hook
    });
    EXPECT_EQ(settingsOpen(0), 1);  // reopening: no notice
    EXPECT_FALSE(unchangedApply);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("must re-initialize"), std::string::npos);
    EXPECT_EQ(ini(*this, host.configPath(), "Settings", "ExpertMode"), "1");
    EXPECT_TRUE(shellState().reopenSettings);
    MSG m;
    EXPECT_TRUE(PeekMessageA(&m, ownerWindow(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(m.wParam), 140);
}

TEST_F(SettingsWindowTest, DecliningTheQuestionKeepsTheWindowClosedAfterOk) {
    start(baseIni(kGeneral));
    boxes.answers = {IDNO};
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Settings");
        choose(visiblePage(w), IDC_SP_EXPERT);
        click(w, IDC_SW_APPLY);
        click(w, IDC_SW_OK);
    });
    settingsOpen(0);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_FALSE(shellState().reopenSettings);
    EXPECT_EQ(ini(*this, host.configPath(), "Settings", "ExpertMode"), "1");
}

TEST_F(SettingsWindowTest, SettingsPageWritesItsSwitchesAndTheTipsSwitch) {
    start(baseIni(kGeneral));
    bool popupEnabled = true;
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Settings");
        HWND page = visiblePage(w);
        uiSnapshotWindow(w, screenshot("window-host-settings").c_str());
        CheckDlgButton(page, IDC_SP_DISABLETRAY, BST_CHECKED);
        click(page, IDC_SP_DISABLETRAY);
        popupEnabled = IsWindowEnabled(GetDlgItem(page, IDC_SP_DISABLEPOPUP));
        CheckDlgButton(page, IDC_SP_SHOWTIPS, BST_UNCHECKED);
        click(page, IDC_SP_SHOWTIPS);
        click(w, IDC_SW_OK);
    });
    settingsOpen(0);
    EXPECT_FALSE(popupEnabled);
    EXPECT_EQ(ini(*this, host.configPath(), "Settings", "DisableTray"), "1");
    EXPECT_EQ(ini(*this, host.configPath(), "Settings", "DisablePopup"), "1");
    EXPECT_EQ(ini(*this, host.configPath(), "Tips", "ShowTips"), "0");
    EXPECT_EQ(ini(*this, host.configPath(), "Settings", "ExpertMode"), "0");
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(SettingsWindowTest, RestoringDefaultsCopiesNotifiesAndReopens) {
    start(baseIni(std::string(kGeneral) + "[Default-Settings]\nExpertMode=0\nConfirmClose=0\n", "ExpertMode=1\n"));
    WhenShown run("Skyloom Client", [&](HWND w) {
        select(w, "Alpha");
        select(w, "Settings");
        reset();
        click(visiblePage(w), IDC_SP_DEFAULTS);
    });
    EXPECT_EQ(settingsOpen(0), 1);
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_NE(boxes.texts[0].find("restore the recommended"), std::string::npos);
    EXPECT_EQ(boxes.texts.size(), 1u);  // no re-initialize question on the way
    EXPECT_EQ(ini(*this, host.configPath(), "Settings", "ExpertMode"), "0");
    EXPECT_EQ(ini(*this, host.configPath(), "Settings", "ConfirmClose"), "0");
    EXPECT_EQ(shellState().switches.expertMode, 0);
    EXPECT_STREQ(events(), "A:apply;");  // pending changes first, nothing after the copy
    EXPECT_NE(std::strstr(notifications(), "3:4;"), nullptr);
    EXPECT_TRUE(shellState().reopenSettings);
}

TEST_F(SettingsWindowTest, TabAccessRowsRadiosDoubleClicksResetAndSort) {
    start(baseIni(std::string(kGeneral) +
                  "[TabSort]\npages-Gamma\ncradle-About\n[Novice]\npages-Beta=0\n"
                  "[Default-Novice]\npages-Alpha=0\n"));
    std::vector<std::string> initial, afterNo, afterToggle, hostRow, afterReset, sorted;
    bool radiosForHost = true;
    Script script;
    script
        .then("Skyloom Client",
              [&](HWND w) {
                  select(w, "Settings");
                  click(visiblePage(w), IDC_SP_TABS);
              })
        .then("Configure Tabs",
              [&](HWND dlg) {
                  initial = rows(dlg);
                  uiSnapshotWindow(dlg, screenshot("dialog-tab-access").c_str());
                  selectRow(dlg, 0);  // Gamma
                  selectRow(dlg, 2, false);  // Alpha as well
                  notifyList(dlg, LVN_ITEMCHANGED, 2);
                  CheckRadioButton(dlg, IDC_TA_YES, IDC_TA_NO, IDC_TA_NO);
                  click(dlg, IDC_TA_NO);
                  afterNo = rows(dlg);
                  selectRow(dlg, 3);
                  notifyList(dlg, NM_DBLCLK, 3);  // Beta: No -> Yes
                  afterToggle = rows(dlg);
                  selectRow(dlg, 1);  // About
                  notifyList(dlg, LVN_ITEMCHANGED, 1);
                  radiosForHost = IsWindowEnabled(GetDlgItem(dlg, IDC_TA_YES)) || IsWindowEnabled(GetDlgItem(dlg, IDC_TA_NO));
                  notifyList(dlg, NM_DBLCLK, 1);
                  hostRow = rows(dlg);
                  click(dlg, IDC_TA_RESET);  // answered yes
                  afterReset = rows(dlg);
                  notifyList(dlg, LVN_COLUMNCLICK, -1, 0);
                  notifyList(dlg, LVN_COLUMNCLICK, -1, 0);  // descending
                  sorted = rows(dlg);
                  // Back to the chosen values for saving.
                  selectRow(dlg, 0);
                  notifyList(dlg, LVN_ITEMCHANGED, 0);
                  click(dlg, IDC_TA_OK);
              })
        .then("Skyloom Client", [&](HWND w) { click(w, IDC_SW_CANCEL); });
    settingsOpen(0);
    const std::string title = "Skyloom Client";
    EXPECT_EQ(initial, (std::vector<std::string>{"Gamma|Page test plug-in|Yes", "About|" + title + "|Yes",
                                                 "Alpha|Page test plug-in|Yes", "Beta|Page test plug-in|No",
                                                 "Settings|" + title + "|Yes"}));
    EXPECT_EQ(afterNo[0], "Gamma|Page test plug-in|No");
    EXPECT_EQ(afterNo[2], "Alpha|Page test plug-in|No");
    EXPECT_EQ(afterToggle[3], "Beta|Page test plug-in|Yes");
    EXPECT_FALSE(radiosForHost);
    EXPECT_EQ(hostRow[1], "About|" + title + "|Yes");
    EXPECT_EQ(afterReset, (std::vector<std::string>{"Gamma|Page test plug-in|Yes", "About|" + title + "|Yes",
                                                    "Alpha|Page test plug-in|No", "Beta|Page test plug-in|Yes",
                                                    "Settings|" + title + "|Yes"}));
    ASSERT_EQ(sorted.size(), 5u);
    EXPECT_EQ(sorted.front().substr(0, 8), "Settings");
    EXPECT_EQ(sorted.back().substr(0, 5), "About");
    EXPECT_EQ(ini(*this, host.configPath(), "Novice", "pages-Alpha"), "0");
    EXPECT_EQ(ini(*this, host.configPath(), "Novice", "pages-Beta"), "1");
    EXPECT_EQ(ini(*this, host.configPath(), "Novice", "cradle-About"), "1");
}

TEST_F(SettingsWindowTest, PasswordProtectionStoresTheDigestAndProtectsOpening) {
    start(baseIni(kGeneral));
    std::string mismatch;
    Script script;
    script
        .then("Skyloom Client",
              [&](HWND w) {
                  select(w, "Settings");
                  click(visiblePage(w), IDC_SP_PASSWORD);
              })
        .then("Password Protection",
              [&](HWND dlg) {
                  uiSnapshotWindow(dlg, screenshot("dialog-password-protection").c_str());
                  CheckDlgButton(dlg, IDC_PP_USE, BST_CHECKED);
                  click(dlg, IDC_PP_USE);
                  SetDlgItemTextA(dlg, IDC_PP_PASSWORD, "secret");
                  SetDlgItemTextA(dlg, IDC_PP_REPEAT, "secreT");
                  click(dlg, IDC_PP_OK);  // differs: stays open
                  mismatch = boxes.texts.empty() ? "" : boxes.texts.back();
                  SetDlgItemTextA(dlg, IDC_PP_REPEAT, "secret");
                  CheckDlgButton(dlg, IDC_PP_PROPERTIES, BST_CHECKED);
                  click(dlg, IDC_PP_OK);
              })
        .then("Skyloom Client", [&](HWND w) { click(w, IDC_SW_OK); });
    settingsOpen(0);
    EXPECT_NE(mismatch.find("not entered the password correctly"), std::string::npos);
    std::string stored = ini(*this, host.configPath(), "Expert", "Password");
    EXPECT_EQ(stored.size(), 24u);
    EXPECT_EQ(stored.substr(22), "==");
    EXPECT_NE(stored.find("secret"), 0u);
    EXPECT_EQ(ini(*this, host.configPath(), "Expert", "PasswordProperties"), "1");

    // Now opening asks for the password; cancelling it skips the window.
    bool windowShown = false;
    {
        Script again;
        again.then("Password Required", [&](HWND dlg) { click(dlg, 101); });
        settingsOpen(0);
        windowShown = FindWindowA(nullptr, "Skyloom Client") != nullptr;
    }
    EXPECT_FALSE(windowShown);

    // OK without touching the fields keeps the stored password.
    {
        Script keep;
        keep.then("Password Required",
                  [&](HWND dlg) {
                      SetDlgItemTextA(dlg, 10, "secret");
                      click(dlg, 100);
                  })
            .then("Skyloom Client",
                  [&](HWND w) {
                      select(w, "Settings");
                      click(visiblePage(w), IDC_SP_PASSWORD);
                  })
            .then("Password Protection", [&](HWND dlg) { click(dlg, IDC_PP_OK); })
            .then("Skyloom Client", [&](HWND w) { click(w, IDC_SW_CANCEL); });
        settingsOpen(0);
    }
    EXPECT_EQ(ini(*this, host.configPath(), "Expert", "Password"), stored);
}

TEST_F(SettingsWindowTest, ProtectedTabsKeepExpertModeLockedUntilThePasswordIsGiven) {
    start(baseIni(std::string(kGeneral) +
                  "[Expert]\nPasswordConfigureTabs=1\nPassword=DRB9CfW75Ayt495ccenptw==\n"));
    bool expertBefore = true, expertAfter = false;
    Script script;
    script
        .then("Skyloom Client",
              [&](HWND w) {
                  select(w, "Settings");
                  HWND page = visiblePage(w);
                  expertBefore = IsWindowEnabled(GetDlgItem(page, IDC_SP_EXPERT));
                  click(page, IDC_SP_TABS);
                  expertAfter = IsWindowEnabled(GetDlgItem(page, IDC_SP_EXPERT));
                  click(w, IDC_SW_CANCEL);
              })
        .then("Password Required",
              [&](HWND dlg) {
                  SetDlgItemTextA(dlg, 10, "letmein");
                  click(dlg, 100);
              })
        .then("Configure Tabs", [&](HWND dlg) { click(dlg, IDC_TA_OK); });
    settingsOpen(0);
    EXPECT_FALSE(expertBefore);
    EXPECT_TRUE(expertAfter);
}

}  // namespace
