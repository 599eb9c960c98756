// Help on the controls of the host's pages and dialogs: F1 on a control of the
// Settings and About pages, the tab access dialog, the password dialog and
// the password protection dialog shows that control's pop-up from the help
// file of the build (recorded through SUITE_HELP_RECORD).
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "real_input.h"
#include "window_fixture.h"

using namespace settingstest;

namespace {

const char kGeneral[] = "[Categories]\nGeneral\n[Category-General]\ncradle-Settings\ncradle-About\n";
const char kPassword[] = "[Expert]\nPassword=DRB9CfW75Ayt495ccenptw==\n";  // "letmein"

// The pop-up texts by topic, as the help source holds them.
std::map<int, std::string> topics() {
    std::ifstream in(std::string(SUITE_SOURCE_DIR) + "/cradle/settings/help/cradle.txt");
    std::map<int, std::string> out;
    std::string line;
    int current = -1;
    while (std::getline(in, line)) {
        if (line.rfind(".topic ", 0) == 0) {
            current = std::atoi(line.c_str() + 7);
            out[current];
        } else if (current >= 0) {
            out[current] += (out[current].empty() ? "" : "\\n") + line;
        }
    }
    return out;
}

class DialogHelp : public SettingsWindowTest {
protected:
    void startWithHelp(const std::string &ini) {
        start(ini);
        ShellState &s = shellState();
        std::snprintf(s.paths.help, sizeof s.paths.help, "%s/cradle.hlp", SUITE_DIST_DIR);
        std::snprintf(s.paths.defaultHelp, sizeof s.paths.defaultHelp, "%s/cradle.hlp", SUITE_DIST_DIR);
        record = host.directory() + "help-record.txt";
        setenv("SUITE_HELP_RECORD", record.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("SUITE_HELP_RECORD");
        WinHelpA(nullptr, shellState().paths.defaultHelp, HELP_QUIT, 0);
        SettingsWindowTest::TearDown();
    }
    // The pop-ups shown so far, in order.
    std::vector<std::string> popups() const {
        std::ifstream in(record);
        std::vector<std::string> out;
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("popup ", 0) == 0) out.push_back(line.substr(6));
        return out;
    }
    // WM_HELP for a control that cannot take the focus (a heading).
    static void helpFor(HWND dlg, int id) {
        HWND control = GetDlgItem(dlg, id);
        HELPINFO info{sizeof info, HELPINFO_WINDOW, id, control, 0, {0, 0}};
        SendMessageA(control, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }
    std::string record;
};

TEST_F(DialogHelp, F1OnAControlOfEachHostDialogShowsItsOwnPopUp) {
    startWithHelp(baseIni(std::string(kGeneral) + kPassword));
    Script script;
    script
        .then("Skyloom Client",
              [&](HWND w) {
                  HWND tree = GetDlgItem(w, IDC_SW_TREE);
                  ASSERT_TRUE(clickTreeEntry(tree, "About"));
                  pressF1(GetDlgItem(visiblePage(w), IDC_AB_MODULES));
                  helpFor(visiblePage(w), IDC_AB_LINK2);  // links take no focus
                  ASSERT_TRUE(clickTreeEntry(tree, "Settings"));
                  HWND page = visiblePage(w);
                  pressF1(GetDlgItem(page, IDC_SP_LANGUAGE));
                  pressF1(GetDlgItem(page, IDC_SP_CONFIRMCLOSE));
                  clickNow(GetDlgItem(page, IDC_SP_TABS));  // configuring tabs is not protected
              })
        .then("Configure Tabs",
              [&](HWND dlg) {
                  pressF1(GetDlgItem(dlg, IDC_TA_LIST));
                  pressF1(GetDlgItem(dlg, IDC_TA_RESET));
                  helpFor(dlg, 401);  // a heading has no pop-up
                  clickNow(GetDlgItem(dlg, IDC_TA_CANCEL));
              })
        .then("Skyloom Client", [&](HWND w) { clickNow(GetDlgItem(visiblePage(w), IDC_SP_PASSWORD)); })
        .then("Password Required",
              [&](HWND dlg) {
                  pressF1(GetDlgItem(dlg, 10));
                  pressF1(GetDlgItem(dlg, 101));
                  typeInto(GetDlgItem(dlg, 10), "letmein");
                  uiSnapshotWindow(dlg, screenshot("dialog-password").c_str());
                  clickNow(GetDlgItem(dlg, 100));
              })
        .then("Password Protection",
              [&](HWND dlg) {
                  pressF1(GetDlgItem(dlg, IDC_PP_USE));
                  pressF1(GetDlgItem(dlg, IDC_PP_REPEAT));
                  pressF1(GetDlgItem(dlg, IDC_PP_TABS));
                  pressF1(GetDlgItem(dlg, IDC_PP_OK));
                  clickNow(GetDlgItem(dlg, IDC_PP_CANCEL));
              })
        .then("Skyloom Client", [&](HWND w) { clickNow(GetDlgItem(w, IDC_SW_CANCEL)); });
    EXPECT_EQ(settingsOpen(0), 0);
    auto t = topics();
    EXPECT_EQ(popups(), (std::vector<std::string>{t[5610], t[5630], t[5010], t[5054], t[5810], t[5902], t[6010], t[6101],
                                                  t[6220], t[6231], t[6233], t[6300]}));
    for (int topic : {5610, 5630, 5810, 5902, 6010, 6101, 6220, 6231, 6233, 6300}) EXPECT_FALSE(t[topic].empty()) << topic;
    EXPECT_TRUE(boxes.texts.empty());  // the right password, no questions
}

}  // namespace
