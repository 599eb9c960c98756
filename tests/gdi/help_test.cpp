// Help archives: packing a folder, HtmlHelpA through the run-time module,
// WinHelpA, pop-up topics, and archives that try to write outside their
// directory. Pages are recorded instead of opened (SUITE_HELP_RECORD).
#include <windows.h>

#include "win/htmlhelp.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string readAll(const std::string &path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeText(const std::string &path, const std::string &text) {
    std::ofstream out(path);
    out << text;
}

class Help : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/gdi-help-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        record = dir + "/record.txt";
        setenv("SUITE_HELP_RECORD", record.c_str(), 1);
        setenv("XDG_CACHE_HOME", (dir + "/cache").c_str(), 1);
        std::string pages = dir + "/pages";
        mkdir(pages.c_str(), 0700);
        mkdir((pages + "/img").c_str(), 0700);
        writeText(pages + "/help.map",
                  "# help of the host\n"
                  "title = Host Help\n"
                  "contents = index.html\n"
                  "5000 = settings.html\n"
                  "5010 = settings.html#port\n"
                  "7000 = about.html\n");
        writeText(pages + "/index.html", "<html>contents</html>");
        writeText(pages + "/settings.html", "<html><a name=port>port</a></html>");
        writeText(pages + "/about.html", "<html>about</html>");
        writeText(pages + "/img/logo.png", "not really a picture");
        writeText(pages + "/cradle.txt",
                  ".topic 1800\nClick any control to see what it does.\n\n"
                  ".topic 5010\nThe port the server listens on.\nFrom 1 to 65535.\n");
        archive = dir + "/cradle.hlp";
        ASSERT_EQ(pack(pages, archive), 0);
        module = LoadLibraryA("hhctrl.ocx");
        ASSERT_NE(module, nullptr);
        htmlHelp = reinterpret_cast<PFN_HtmlHelpA>(GetProcAddress(module, "HtmlHelpA"));
        ASSERT_NE(htmlHelp, nullptr);
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
        std::system(("rm -rf '" + dir + "'").c_str());
        unsetenv("SUITE_HELP_RECORD");
    }
    static int pack(const std::string &folder, const std::string &out) {
        std::string command = std::string(SUITE_BINARY_DIR) + "/tools/helppack/helppack '" + folder + "' '" + out + "' 2>/dev/null";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The lines recorded since the last call.
    std::string taken() {
        std::string all = readAll(record);
        unlink(record.c_str());
        return all;
    }
    std::string dir, record, archive;
    HMODULE module = nullptr;
    PFN_HtmlHelpA htmlHelp = nullptr;
};

TEST_F(Help, ContextNumbersAndContentsOpenTheirPages) {
    HWND result = htmlHelp(nullptr, archive.c_str(), HH_HELP_CONTEXT, 5010);
    EXPECT_NE(result, nullptr);
    std::string line = taken();
    ASSERT_EQ(line.rfind("open file://", 0), 0u) << line;
    EXPECT_NE(line.find("/settings.html#port\n"), std::string::npos) << line;
    // The page is there for the browser, unpacked with its neighbours.
    std::string path = line.substr(std::strlen("open file://"));
    path = path.substr(0, path.find('#'));
    EXPECT_EQ(readAll(path), "<html><a name=port>port</a></html>");
    std::string unpacked = path.substr(0, path.rfind('/'));
    EXPECT_EQ(readAll(unpacked + "/img/logo.png"), "not really a picture");

    EXPECT_NE(htmlHelp(nullptr, archive.c_str(), HH_DISPLAY_TOC, 0), nullptr);
    line = taken();
    EXPECT_NE(line.find("/index.html\n"), std::string::npos) << line;
    // Opening again uses the same unpacked copy.
    EXPECT_EQ(line.substr(0, line.rfind('/')), std::string("open file://") + unpacked);

    EXPECT_NE(htmlHelp(nullptr, (archive + "::/about.html").c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
    EXPECT_NE(taken().find("/about.html"), std::string::npos);

    // A context the map lacks, and a missing file, open nothing.
    EXPECT_EQ(htmlHelp(nullptr, archive.c_str(), HH_HELP_CONTEXT, 4242), nullptr);
    EXPECT_EQ(htmlHelp(nullptr, (dir + "/missing.hlp").c_str(), HH_DISPLAY_TOC, 0), nullptr);
    EXPECT_EQ(htmlHelp(nullptr, (archive + "::/nothere.html").c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
    EXPECT_EQ(taken(), "");
}

TEST_F(Help, TextPopupsByTopicNumberOrText) {
    HH_POPUP popup{};
    popup.cbStruct = sizeof popup;
    popup.idString = 1800;
    popup.pt = POINT{200, 150};
    popup.clrForeground = popup.clrBackground = static_cast<COLORREF>(-1);
    popup.rcMargins = RECT{-1, -1, -1, -1};
    popup.pszFont = "Tahoma,8";
    EXPECT_NE(htmlHelp(nullptr, (archive + "::/cradle.txt").c_str(), HH_DISPLAY_TEXT_POPUP,
                       reinterpret_cast<DWORD_PTR>(&popup)),
              nullptr);
    EXPECT_EQ(taken(), "popup Click any control to see what it does.\n");
    popup.idString = 5010;
    htmlHelp(nullptr, (archive + "::/cradle.txt").c_str(), HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
    EXPECT_EQ(taken(), "popup The port the server listens on.\\nFrom 1 to 65535.\n");
    popup.idString = 1801;
    EXPECT_EQ(htmlHelp(nullptr, (archive + "::/cradle.txt").c_str(), HH_DISPLAY_TEXT_POPUP,
                       reinterpret_cast<DWORD_PTR>(&popup)),
              nullptr);
    popup.idString = 0;
    popup.pszText = "Plain words";
    EXPECT_NE(htmlHelp(nullptr, archive.c_str(), HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)), nullptr);
    EXPECT_EQ(taken(), "popup Plain words\n");
    EXPECT_EQ(htmlHelp(nullptr, archive.c_str(), HH_CLOSE_ALL, 0), nullptr);
}

TEST_F(Help, WinHelpOpensContextsAndPopsUpTopics) {
    EXPECT_TRUE(WinHelpA(nullptr, archive.c_str(), HELP_CONTEXT, 5000));
    EXPECT_NE(taken().find("/settings.html\n"), std::string::npos);
    // A context pop-up shows the numbered text of the archive's pop-up file ...
    EXPECT_TRUE(WinHelpA(nullptr, archive.c_str(), HELP_CONTEXTPOPUP, 5010));
    EXPECT_EQ(taken(), "popup The port the server listens on.\\nFrom 1 to 65535.\n");
    // ... or, without one, the context's page.
    EXPECT_TRUE(WinHelpA(nullptr, archive.c_str(), HELP_CONTEXTPOPUP, 7000));
    EXPECT_NE(taken().find("/about.html\n"), std::string::npos);
    EXPECT_FALSE(WinHelpA(nullptr, archive.c_str(), HELP_CONTEXTPOPUP, 7001));
    EXPECT_TRUE(WinHelpA(nullptr, archive.c_str(), HELP_FINDER, 0));
    EXPECT_NE(taken().find("/index.html\n"), std::string::npos);
    EXPECT_FALSE(WinHelpA(nullptr, (dir + "/none.hlp").c_str(), HELP_CONTEXT, 5000));
    EXPECT_TRUE(WinHelpA(nullptr, archive.c_str(), HELP_QUIT, 0));
    EXPECT_EQ(taken(), "");
}

TEST_F(Help, AChangedFileIsUnpackedAfresh) {
    htmlHelp(nullptr, archive.c_str(), HH_HELP_CONTEXT, 7000);
    std::string first = taken();
    writeText(dir + "/pages/about.html", "<html>about, second edition</html>");
    sleep(1);  // a new modification time
    ASSERT_EQ(pack(dir + "/pages", archive), 0);
    htmlHelp(nullptr, archive.c_str(), HH_HELP_CONTEXT, 7000);
    std::string second = taken();
    EXPECT_NE(first, second);
    std::string path = second.substr(std::strlen("open file://"));
    path.pop_back();
    EXPECT_EQ(readAll(path), "<html>about, second edition</html>");
}

TEST_F(Help, PackingRefusesMapsThatNameMissingPages) {
    writeText(dir + "/pages/help.map", "5000 = gone.html\n");
    EXPECT_NE(pack(dir + "/pages", dir + "/broken.hlp"), 0);
    writeText(dir + "/pages/help.map", "5000 settings.html\n");
    EXPECT_NE(pack(dir + "/pages", dir + "/broken.hlp"), 0);
    struct stat st {};
    EXPECT_NE(stat((dir + "/broken.hlp").c_str(), &st), 0);
}

TEST_F(Help, ArchivesThatReachOutsideTheirDirectoryAreRefused) {
    // Built by hand: the packer would never write such names.
    for (const char *evil : {"../escaped.html", "/tmp/absolute.html", "a/../../escaped.html"}) {
        std::string path = dir + "/evil.hlp";
        unlink(path.c_str());
        int error = 0;
        zip_t *zip = zip_open(path.c_str(), ZIP_CREATE, &error);
        ASSERT_NE(zip, nullptr);
        const char map[] = "contents = index.html\n5000 = index.html\n";
        const char page[] = "<html>x</html>";
        zip_file_add(zip, "help.map", zip_source_buffer(zip, map, sizeof map - 1, 0), 0);
        zip_file_add(zip, "index.html", zip_source_buffer(zip, page, sizeof page - 1, 0), 0);
        zip_file_add(zip, evil, zip_source_buffer(zip, page, sizeof page - 1, 0), 0);
        ASSERT_EQ(zip_close(zip), 0);
        EXPECT_EQ(htmlHelp(nullptr, path.c_str(), HH_HELP_CONTEXT, 5000), nullptr) << evil;
        struct stat st {};
        EXPECT_NE(stat((dir + "/cache/escaped.html").c_str(), &st), 0);
        EXPECT_NE(stat((dir + "/escaped.html").c_str(), &st), 0);
        EXPECT_EQ(taken(), "");
    }
    // A map that points outside is refused as a whole.
    std::string path = dir + "/evilmap.hlp";
    int error = 0;
    zip_t *zip = zip_open(path.c_str(), ZIP_CREATE, &error);
    const char map[] = "5000 = ../../etc/passwd\n";
    zip_file_add(zip, "help.map", zip_source_buffer(zip, map, sizeof map - 1, 0), 0);
    ASSERT_EQ(zip_close(zip), 0);
    EXPECT_EQ(htmlHelp(nullptr, path.c_str(), HH_HELP_CONTEXT, 5000), nullptr);
    // Not an archive at all.
    writeText(dir + "/plain.hlp", "just text");
    EXPECT_EQ(htmlHelp(nullptr, (dir + "/plain.hlp").c_str(), HH_DISPLAY_TOC, 0), nullptr);
    EXPECT_EQ(taken(), "");
}

}  // namespace
