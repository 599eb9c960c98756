// The plug-in manager on real program directories of test plug-ins; every
// message and every call a plug-in receives is checked through the log
// mailslot.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "extmod/extmod.h"
#include "plugin_host.h"

namespace fs = std::filesystem;

namespace {

using suite::LogRecord;
using suite::PluginHost;

std::string testPlugin(const std::string &target) { return std::string(TEST_PLUGIN_DIR) + "/" + target + ".dll"; }

std::string programName() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return fs::path(path).filename().string();
}

const std::string kCouldNotLoad =
    " could not be loaded. Check to ensure that all components are installed on your computer.";

class PluginManager : public ::testing::Test {
protected:
    void TearDown() override { host_.stop(); }

    // Starts the manager and waits until every record sent so far arrived.
    void start() {
        ASSERT_EQ(host_.start(), 0);
        ASSERT_TRUE(host_.log().sync());
    }

    // Texts of the records from one source, in order of arrival.
    std::vector<std::string> texts(const std::string &source) const {
        std::vector<std::string> result;
        for (const LogRecord &record : host_.log().records())
            if (record.source == source) result.push_back(record.text);
        return result;
    }
    std::vector<std::string> calls() const { return texts("test"); }
    std::vector<std::string> messages() const { return texts("cradle"); }

    std::vector<std::string> callsOf(const std::string &label) const {
        std::vector<std::string> result;
        for (const std::string &text : calls())
            if (text.rfind(label + " ", 0) == 0) result.push_back(text.substr(label.size() + 1));
        return result;
    }

    std::string ext(const std::string &file) const { return host_.extDirectory() + file; }

    std::vector<ExtmodEntryInfo> loadedEntries() const {
        std::vector<ExtmodEntryInfo> result;
        for (int i = 0; i < EXTMOD_MAX_ENTRIES; ++i) {
            ExtmodEntryInfo info;
            if (extmodGetEntry(i, &info) == 0 && info.module) result.push_back(info);
        }
        return result;
    }

    PluginHost host_;
};

// Files are taken in path order without regard to case (byte order would put
// C.dll before b.dll); each plug-in learns the host program first and then
// every other entry in table order; the start-up notification and the
// shut-down follow table order too.
TEST_F(PluginManager, LoadsInPathOrderAndIntroducesEveryModule) {
    host_.addPlugin(testPlugin("tp_beta"), "b.dll");
    host_.addPlugin(testPlugin("tp_alpha10"), "A.dll");
    host_.addPlugin(testPlugin("tp_gamma"), "C.dll");
    host_.addPlugin(testPlugin("tp_refuses"), "d.dll");
    host_.setConfig("[testplugin]\nSlot=" + host_.logName() + "\n");
    start();

    std::string program = programName();
    std::vector<std::string> expected = {
        "alpha10 initex " + host_.logName() + " " + host_.configPath(),
        "beta initex " + host_.logName() + " " + host_.configPath(),
        "gamma init " + host_.configPath(),
        "alpha10 enum " + program, "alpha10 enum b.dll", "alpha10 enum C.dll", "alpha10 enum -",
        "beta enum " + program, "beta enum A.dll", "beta enum C.dll", "beta enum -",
        "gamma enum " + program, "gamma enum A.dll", "gamma enum b.dll", "gamma enum -",
        "alpha10 notify 1 1", "beta notify 1 1", "gamma notify 1 1",
    };
    std::vector<std::string> got = calls();
    // The refusing plug-in logs its initialisation before it refuses.
    std::erase_if(got, [](const std::string &text) { return text.rfind("refuses ", 0) == 0; });
    EXPECT_EQ(got, expected);
    EXPECT_EQ(messages(), std::vector<std::string>{"Plug-in Refusing plug-in" + kCouldNotLoad});
    EXPECT_EQ(host_.startupResult(), 0);

    host_.stop();
    EXPECT_EQ(extmodShutdown(), -1);
}

TEST_F(PluginManager, ShutsDownInTableOrderAndNeverCallsARefusedPlugin) {
    host_.addPlugin(testPlugin("tp_beta"), "z.dll");
    host_.addPlugin(testPlugin("tp_alpha4"), "y.dll");
    host_.addPlugin(testPlugin("tp_refuses"), "x.dll");
    start();
    host_.log().clear();
    ASSERT_EQ(extmodShutdown(), 0);
    // The plug-ins' shut-down records come from their own log clients.
    ASSERT_TRUE(host_.log().waitForText("beta shutdown"));
    EXPECT_EQ(calls(), (std::vector<std::string>{"alpha4 shutdown", "beta shutdown"}));
    EXPECT_TRUE(loadedEntries().empty());
    EXPECT_EQ(extmodNotify(3, 4), -1);
    // Started again, the manager finds the same plug-ins.
    ASSERT_EQ(extmodInit(host_.extDirectory().c_str(), nullptr, nullptr, host_.logName().c_str(),
                         host_.configPath().c_str(), ZELEXT_HOST_VERSION),
              0);
    EXPECT_EQ(loadedEntries().size(), 2u);
}

// Of the files with one InternalName only the newest is loaded, silently;
// with equal versions the first in path order.
TEST_F(PluginManager, KeepsTheNewestFileOfEachName) {
    host_.addPlugin(testPlugin("tp_alpha4"), "a1.dll");
    host_.addPlugin(testPlugin("tp_alpha10"), "a2.dll");
    host_.addPlugin(testPlugin("tp_alpha4"), "a3.dll");
    host_.addPlugin(testPlugin("tp_beta"), "b1.dll");
    host_.addPlugin(testPlugin("tp_beta"), "b2.dll");
    start();
    std::vector<ExtmodEntryInfo> loaded = loadedEntries();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].path, ext("a2.dll"));
    EXPECT_EQ(loaded[0].versionHigh, 0x00010000u);
    EXPECT_EQ(loaded[0].versionLow, 0x00010000u);
    EXPECT_EQ(loaded[1].path, ext("b1.dll"));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(callsOf("alpha4"), std::vector<std::string>{});
    ExtmodEntryInfo first;
    ASSERT_EQ(extmodGetEntry(0, &first), 0);
    EXPECT_EQ(first.candidate, 0);
    EXPECT_EQ(std::string(first.name), "alpha");
}

// A file the host cannot use gets one message and is skipped; a file that
// needs a newer host does not keep an older acceptable one from loading.
TEST_F(PluginManager, RefusesFilesWithTheirMessages) {
    host_.addPlugin(testPlugin("tp_toonew"), "a.dll");
    host_.addPlugin(testPlugin("tp_toonew_anon"), "b.dll");
    host_.addPlugin(testPlugin("tp_noentry"), "c.dll");
    host_.addPlugin(testPlugin("tp_noentry_anon"), "d.dll");
    host_.addPlugin(testPlugin("tp_nospecial"), "e.dll");
    host_.addPlugin(testPlugin("tp_plain"), "f.dll");
    host_.addFile("ext/g.dll", "not a library at all");
    host_.addPlugin(testPlugin("tp_both"), "h.dll");
    host_.addPlugin(testPlugin("tp_alpha4"), "i.dll");
    host_.addFile("ext/notes.txt", "ignored");
    start();

    std::vector<std::string> expected = {
        "Plug-in Tomorrow's plug-in requires version 2.50 of the Skyloom Client.",
        "Plug-in file " + ext("b.dll") + " is not a valid plug-in.",
        "Plug-in Entryless plug-in" + kCouldNotLoad,
        "Plug-in file " + ext("d.dll") + " is not a valid plug-in.",
        "Plug-in file " + ext("e.dll") + " is not a valid plug-in.",
        "Plug-in file " + ext("f.dll") + " is not a valid plug-in.",
        "Plug-in file " + ext("g.dll") + " is not a valid plug-in.",
    };
    EXPECT_EQ(messages(), expected);
    for (const LogRecord &record : host_.log().records())
        if (record.source == "cradle") {
            EXPECT_EQ(record.level, 5) << record.text;
        }
    // zelextInitEx wins over zelextInit.
    EXPECT_EQ(callsOf("both").at(0), "initex " + host_.logName() + " " + host_.configPath());
    std::vector<ExtmodEntryInfo> loaded = loadedEntries();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].path, ext("h.dll"));
    EXPECT_EQ(loaded[1].path, ext("i.dll"));
}

TEST_F(PluginManager, NewerFileNeedingANewerHostLeavesTheOlderOneRunning) {
    host_.addPlugin(testPlugin("tp_alpha4"), "a.dll");
    host_.addPlugin(testPlugin("tp_alpha_future"), "b.dll");
    start();
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Plug-in Future alpha plug-in requires version 2.50 of the Skyloom Client."});
    std::vector<ExtmodEntryInfo> loaded = loadedEntries();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].path, ext("a.dll"));
}

// At most 16 files are considered; the rest are ignored without a word.
TEST_F(PluginManager, ConsidersAtMostSixteenFiles) {
    for (int i = 0; i < 17; ++i) host_.addFile("ext/junk" + std::to_string(100 + i) + ".dll", "junk");
    start();
    std::vector<std::string> got = messages();
    // Without a plug-in the start-up notification's answer is logged too.
    ASSERT_EQ(got.back(), "extmodNotify() returned error code 1");
    got.pop_back();
    ASSERT_EQ(got.size(), 16u);
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    std::sort(got.begin(), got.end());
    EXPECT_EQ(std::unique(got.begin(), got.end()), got.end());
    EXPECT_EQ(got.front().rfind("Plug-in file " + host_.extDirectory() + "junk1", 0), 0u);
}

// Pending replacements are applied before the files are listed.
TEST_F(PluginManager, AppliesPendingReplacements) {
    host_.addPlugin(testPlugin("tp_alpha4"), "A.dll");
    host_.addPlugin(testPlugin("tp_alpha10"), "new.bin");
    host_.addPlugin(testPlugin("tp_beta"), "b.dll");
    host_.addFile("ext/leftover.tmp", "stale");
    host_.addFile("ext/extmod.ini", "[rename]\n"
                                    "new.bin=A.dll\n"
                                    "leftover.tmp\n"
                                    "gone.bin=b.dll\n");
    start();
    EXPECT_EQ(messages(), std::vector<std::string>{"Installed 1 plug-in(s)"});
    EXPECT_EQ(host_.log().records().front().level, 6);
    EXPECT_FALSE(fs::exists(ext("new.bin")));
    EXPECT_FALSE(fs::exists(ext("leftover.tmp")));
    EXPECT_FALSE(fs::exists(ext("extmod.ini")));
    // The line whose source is gone left its target alone.
    EXPECT_TRUE(fs::exists(ext("b.dll")));
    std::vector<ExtmodEntryInfo> loaded = loadedEntries();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].path, ext("A.dll"));
    EXPECT_EQ(loaded[0].versionLow, 0x00010000u);
    EXPECT_EQ(callsOf("alpha10").at(0).rfind("initex", 0), 0u);
    // No stray temporary files.
    for (const auto &entry : fs::directory_iterator(host_.extDirectory()))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(PluginManager, FailedReplacementKeepsTargetAndList) {
    host_.addPlugin(testPlugin("tp_alpha4"), "A.dll");
    host_.addPlugin(testPlugin("tp_alpha10"), "new.bin");
    host_.addFile("ext/extmod.ini", "[rename]\nnew.bin=missing-dir/A.dll\n");
    start();
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(fs::exists(ext("new.bin")));
    EXPECT_TRUE(fs::exists(ext("extmod.ini")));
    EXPECT_EQ(loadedEntries().size(), 1u);
}

TEST_F(PluginManager, DeliversNotifications) {
    host_.addPlugin(testPlugin("tp_alpha4"), "a.dll");
    host_.addPlugin(testPlugin("tp_notifier"), "b.dll");
    host_.addPlugin(testPlugin("tp_beta"), "c.dll");
    start();
    EXPECT_EQ(host_.startupResult(), 0);  // the last plug-in's answer
    host_.log().clear();

    EXPECT_EQ(extmodNotify(7, 33), 0);
    EXPECT_EQ(extmodNotifyByName("notifier", 8, 220), 7);
    EXPECT_EQ(extmodNotifyByName("Notifier", 8, 221), -2);
    EXPECT_EQ(extmodGetLastError(), -2);
    std::vector<ExtmodEntryInfo> loaded = loadedEntries();
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(extmodNotifyModule(loaded[2].module, 3, 4), 0);
    EXPECT_EQ(extmodNotifyModule(nullptr, 3, 4), -2);
    EXPECT_EQ(extmodNotifyModule(host_.brandingModule() ? host_.brandingModule() : GetModuleHandleA(nullptr), 3, 4),
              -2);
    ASSERT_TRUE(host_.log().sync());
    EXPECT_EQ(calls(), (std::vector<std::string>{"alpha4 notify 7 33", "notifier notify 7 33", "beta notify 7 33",
                                                 "notifier notify 8 220", "beta notify 3 4"}));
}

TEST_F(PluginManager, WithoutPluginsANotificationAnswersItsValue) {
    start();
    EXPECT_EQ(host_.startupResult(), 1);
    EXPECT_EQ(messages(), std::vector<std::string>{"extmodNotify() returned error code 1"});
    EXPECT_EQ(extmodNotify(7, 12), 12);
}

// Pages are numbered across the loaded plug-ins in table order; only the
// numbers 0 to 15 exist.
TEST_F(PluginManager, NumbersPagesAcrossPlugins) {
    host_.addPlugin(testPlugin("tp_alpha4"), "a.dll");  // no pages
    host_.addPlugin(testPlugin("tp_beta"), "b.dll");    // 2 pages: 0, 1
    host_.addPlugin(testPlugin("tp_wide"), "c.dll");    // 10 pages: 2 to 11
    host_.addPlugin(testPlugin("tp_gamma"), "d.dll");   // 3 pages: 12 to 14
    host_.addPlugin(testPlugin("tp_wide2"), "e.dll");   // 10 pages, of which only 15 exists
    host_.addPlugin(testPlugin("tp_both"), "f.dll");    // 1 page, beyond 15
    host_.setConfig("[testplugin]\nSlot=" + host_.logName() + "\n");
    start();
    std::vector<ExtmodEntryInfo> loaded = loadedEntries();
    ASSERT_EQ(loaded.size(), 6u);
    EXPECT_EQ(extmodGetPageModule(0), loaded[1].module);
    EXPECT_EQ(extmodGetPageModule(1), loaded[1].module);
    EXPECT_EQ(extmodGetPageModule(2), loaded[2].module);
    EXPECT_EQ(extmodGetPageModule(11), loaded[2].module);
    EXPECT_EQ(extmodGetPageModule(12), loaded[3].module);
    EXPECT_EQ(extmodGetPageModule(14), loaded[3].module);
    EXPECT_EQ(extmodGetPageModule(15), loaded[4].module);
    EXPECT_EQ(extmodGetLastError(), 0);
    EXPECT_EQ(extmodGetPageModule(16), nullptr);
    EXPECT_EQ(extmodGetLastError(), -2);
    EXPECT_EQ(extmodGetPageModule(-1), nullptr);

    EXPECT_EQ(extmodFindFirstPage("beta"), 0);
    EXPECT_EQ(extmodFindFirstPage("wide"), 2);
    EXPECT_EQ(extmodFindFirstPage("gamma"), 12);
    EXPECT_EQ(extmodFindFirstPage("wide2"), 15);
    EXPECT_EQ(extmodFindFirstPage("both"), -2);
    EXPECT_EQ(extmodFindFirstPage("alpha"), -2);
    EXPECT_EQ(extmodFindFirstPage("Beta"), -2);

    char text[64];
    // The second block of the version resource is found too.
    EXPECT_EQ(extmodGetPageString(1, "Comments", text, sizeof text), 12);
    EXPECT_STREQ(text, "Beta plug-in");
    EXPECT_EQ(extmodGetPageString(1, "Comments", text, 5), 4);
    EXPECT_STREQ(text, "Beta");
    EXPECT_EQ(extmodGetPageString(12, "CompanyName", text, sizeof text), 10);
    EXPECT_EQ(extmodGetPageString(2, "LegalCopyright", text, sizeof text), -3);
    EXPECT_EQ(extmodGetPageString(16, "Comments", text, sizeof text), -2);
}

TEST_F(PluginManager, LoadsAndUnloadsSinglePlugins) {
    host_.addPlugin(testPlugin("tp_alpha4"), "a.dll");
    host_.addPlugin(testPlugin("tp_alpha10"), "upgrade.bin");
    host_.addPlugin(testPlugin("tp_toonew"), "later.bin");
    host_.addPlugin(testPlugin("tp_beta"), "beta.bin");
    start();
    host_.log().clear();

    // A newer file of a loaded plug-in replaces it.
    EXPECT_EQ(extmodLoadModule(ext("upgrade.bin").c_str()), 0);
    EXPECT_EQ(extmodLoadModule(ext("later.bin").c_str()), -2);
    EXPECT_EQ(extmodLoadModule(ext("nothing.bin").c_str()), -2);
    EXPECT_EQ(extmodLoadModule(nullptr), -2);
    // A plug-in loaded alone is neither introduced nor notified.
    EXPECT_EQ(extmodLoadModule(ext("beta.bin").c_str()), 0);
    EXPECT_EQ(extmodFindFirstPage("beta"), 0);
    EXPECT_EQ(extmodUnloadModule("alpha"), 0);
    EXPECT_EQ(extmodUnloadModule("alpha"), -2);
    EXPECT_EQ(extmodUnloadModule(nullptr), -2);
    ASSERT_TRUE(host_.log().sync());
    EXPECT_EQ(calls(), (std::vector<std::string>{
                           "alpha4 shutdown",
                           "alpha10 initex " + host_.logName() + " " + host_.configPath(),
                           "beta initex " + host_.logName() + " " + host_.configPath(),
                           "alpha10 shutdown",
                       }));
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "Plug-in Tomorrow's plug-in requires version 2.50 of the Skyloom Client.",
                              "Plug-in file " + ext("nothing.bin") + " is not a valid plug-in.",
                          }));
    std::vector<ExtmodEntryInfo> loaded = loadedEntries();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(std::string(loaded[0].name), "beta");
}

TEST(PluginManagerArguments, RefusesBadStartsAndCallsBeforeStart) {
    EXPECT_EQ(extmodInit(nullptr, nullptr, nullptr, nullptr, "/tmp/cradle.ini", ZELEXT_HOST_VERSION), -2);
    EXPECT_EQ(extmodInit(nullptr, nullptr, nullptr, "cap", nullptr, ZELEXT_HOST_VERSION), -2);
    EXPECT_EQ(extmodGetLastError(), -2);
    EXPECT_EQ(extmodShutdown(), -1);
    EXPECT_EQ(extmodNotify(1, 1), -1);
    EXPECT_EQ(extmodLoadModule("/tmp/x.dll"), -1);
    EXPECT_EQ(extmodFindFirstPage("x"), -1);
    EXPECT_EQ(extmodGetPageModule(0), nullptr);
    EXPECT_EQ(extmodGetLastError(), -1);
}

TEST(PluginManagerArguments, SecondStartIsRefused) {
    PluginHost host;
    ASSERT_EQ(host.start(), 0);
    EXPECT_EQ(extmodInit(nullptr, nullptr, nullptr, "cap", "/tmp/cradle.ini", ZELEXT_HOST_VERSION), -1);
    host.stop();
}

}  // namespace
