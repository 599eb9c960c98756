// The HTML help loader and the extraction of a plug-in's help file.
#include <windows.h>

#include "hhelpmod.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <win/htmlhelp.h>

namespace fs = std::filesystem;

namespace {

std::string plugin(const char *name) { return std::string(TEST_PLUGIN_DIR) + "/" + name + ".dll"; }

std::string slurp(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(HtmlHelpLoader, LoadsTheLibraryAndCallsNothingWithoutIt) {
    // Before initialisation nothing is called.
    EXPECT_EQ(hhelpmodAvailable(), 0);
    EXPECT_EQ(hhelpmodHtmlHelp(nullptr, "cradle.hlp", HH_DISPLAY_TOC, 0), nullptr);
    EXPECT_EQ(hhelpmodShutdown(), -1);

    ASSERT_EQ(hhelpmodInit(), 0);
    EXPECT_EQ(hhelpmodInit(), -1);
    EXPECT_EQ(hhelpmodAvailable(), 1);
    // A help file that does not exist: the library answers NULL.
    EXPECT_EQ(hhelpmodHtmlHelp(nullptr, "/nonexistent/none.hlp", HH_HELP_CONTEXT, 5000), nullptr);
    EXPECT_EQ(hhelpmodShutdown(), 0);
    EXPECT_EQ(hhelpmodAvailable(), 0);
}

TEST(HtmlHelpLoader, ExtractsThePluginsHelpByteForByte) {
    fs::path dir = fs::temp_directory_path() / ("hhelpmod-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir);
    std::string out = (dir / "pages.hlp").string();
    {
        std::ofstream old(out);
        old << "an older and much longer help file that is replaced entirely";
    }
    ASSERT_EQ(hhelpmodExtractHelpFile(plugin("tp_pages").c_str(), out.c_str()), 0);
    EXPECT_EQ(slurp(out), slurp(fs::path(SUITE_SOURCE_DIR) / "tests/commonui/plugin/pages_help.txt"));

    std::string none = (dir / "none.hlp").string();
    EXPECT_EQ(hhelpmodExtractHelpFile(plugin("tp_pages_nohelp").c_str(), none.c_str()), -3);
    EXPECT_FALSE(fs::exists(none));
    EXPECT_EQ(hhelpmodExtractHelpFile((dir / "missing.dll").string().c_str(), none.c_str()), -2);
    EXPECT_EQ(hhelpmodExtractHelpFile(nullptr, none.c_str()), -1);
    EXPECT_EQ(hhelpmodExtractHelpFile(plugin("tp_pages").c_str(), nullptr), -1);
    // A help file that cannot be created.
    EXPECT_EQ(hhelpmodExtractHelpFile(plugin("tp_pages").c_str(), (dir / "no/such/dir.hlp").string().c_str()), -3);
    fs::remove_all(dir);
}
