// Help of the page and the editors: the WinHelp file written from the
// plug-in's own resource, page topics and control pop-ups by context, and
// the HTML help contexts that section "help" names. Pages are recorded
// instead of opened (SUITE_HELP_RECORD).
#include <gtest/gtest.h>
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "hhelpmod.h"
#include "page_test_plugin.h"
#include "pagehelp.h"

namespace {

class PageHelp : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/portreeve-help-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        record_ = dir_ + "/record.txt";
        setenv("SUITE_HELP_RECORD", record_.c_str(), 1);
        setenv("XDG_CACHE_HOME", (dir_ + "/cache").c_str(), 1);
        pagetest::configPath() = dir_ + "/cradle.ini";
        pagetest::winHelpPath() = dir_ + "/portreeve.hlp";
        pagetest::htmlHelpPath() = "";
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
        unsetenv("SUITE_HELP_RECORD");
        pagetest::winHelpPath() = "";
        pagetest::htmlHelpPath() = "";
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    // The lines recorded since the last call.
    std::string taken() {
        std::ifstream in(record_);
        std::stringstream all;
        all << in.rdbuf();
        std::string text = all.str();
        std::string fresh = text.substr(std::min(seen_, text.size()));
        seen_ = text.size();
        return fresh;
    }
    // F1 on a control of the given id (a static in a plain window).
    HELPINFO control(int id) {
        if (!parent_) parent_ = CreateWindowExA(0, "STATIC", "page", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                                nullptr, nullptr, nullptr);
        HWND child = CreateWindowExA(0, "STATIC", "item", WS_CHILD, 0, 0, 50, 10, parent_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = child;
        return info;
    }
    HWND parent_ = nullptr;
    std::string dir_, record_;
    size_t seen_ = 0;
};

TEST_F(PageHelp, WinHelpFileIsWrittenFromTheResourceAndAnswersEveryPageAndControl) {
    struct stat st {};
    ASSERT_NE(stat(pagetest::winHelpPath().c_str(), &st), 0);
    pageTopicHelp(nullptr, PAGE_HELP_MAIN);
    ASSERT_EQ(stat(pagetest::winHelpPath().c_str(), &st), 0) << "the help file was not written out";
    EXPECT_NE(taken().find("upnp.html"), std::string::npos);
    pageTopicHelp(nullptr, PAGE_HELP_SETTINGS);
    EXPECT_NE(taken().find("advanced.html#settings"), std::string::npos);
    pageTopicHelp(nullptr, PAGE_HELP_LOG);
    EXPECT_NE(taken().find("advanced.html#log"), std::string::npos);
    pageTopicHelp(nullptr, PAGE_HELP_SERVICE);
    EXPECT_NE(taken().find("service.html"), std::string::npos);
    pageLoggingPluginHelp(nullptr);
    EXPECT_NE(taken().find("logging.html"), std::string::npos);

    HELPINFO services = control(103);
    pageControlHelp(nullptr, PAGE_HELP_MAIN, &services);
    EXPECT_NE(taken().find("Click a service's mark"), std::string::npos);
    HELPINFO to = control(102);
    pageControlHelp(nullptr, PAGE_HELP_PORT_EDITOR, &to);
    EXPECT_NE(taken().find("the same as the first for a single port"), std::string::npos);
}

TEST_F(PageHelp, HtmlHelpContextsComeFromSectionHelpWithWinHelpForTheRest) {
    pageTopicHelp(nullptr, PAGE_HELP_MAIN);  // writes the file out
    taken();
    // The HTML help file of the host is, here, the plug-in's own archive.
    pagetest::htmlHelpPath() = pagetest::winHelpPath();
    ASSERT_EQ(hhelpmodInit(), 0);
    ASSERT_EQ(hhelpmodAvailable(), 1);
    std::ofstream(pagetest::configPath()) << "[help]\nzelupnp-UPnP=9500\nzelupnp-Settings=0\n"
                                             "zelupnp-UPnP-104=5105\n";
    pageTopicHelp(nullptr, PAGE_HELP_MAIN);
    EXPECT_NE(taken().find("logging.html"), std::string::npos) << "the context of section help";
    pageTopicHelp(nullptr, PAGE_HELP_SETTINGS);
    EXPECT_NE(taken().find("advanced.html#settings"), std::string::npos) << "0 is no context: WinHelp";
    HELPINFO add = control(104);
    pageControlHelp(nullptr, PAGE_HELP_MAIN, &add);
    EXPECT_NE(taken().find("Edits the selected service."), std::string::npos);
    HELPINFO advanced = control(108);
    pageControlHelp(nullptr, PAGE_HELP_MAIN, &advanced);
    EXPECT_NE(taken().find("Opens the advanced settings"), std::string::npos) << "no key: WinHelp pop-up";
    hhelpmodShutdown();
}

}  // namespace
