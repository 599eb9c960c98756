// The program's own settings window: the plug-in manager with the photo
// share, port forwarding and logging plug-ins of the program directory and
// the shipped first-start cradle.ini, opened as the tray menu's
// "&Properties..." opens it. The tree follows that file's categories in
// novice mode; every page and a category list are pictured.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "real_input.h"
#include "shell/commands.h"
#include "window_fixture.h"

using namespace settingstest;

namespace {

std::string sourceFile(const std::string &relative) {
    std::ifstream in(std::string(SUITE_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

int freePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

class ProgramWindow : public ::testing::Test {
protected:
    void SetUp() override {
        // The shipped file as it is, on a port of this test's own.
        std::string ini = std::regex_replace(sourceFile("cradle/settings/dist/cradle.ini"),
                                             std::regex("\nPort=8888"), "\nPort=" + std::to_string(freePort()));
        ASSERT_NE(ini.find("[Categories]"), std::string::npos);
        host.setConfig(ini);
        host.addFile("cradle.tip", sourceFile("cradle/settings/dist/cradle.tip"));
        host.setLogCollector(false);  // the logging plug-in reads the log, as in the program
        for (const char *plugin : {"galleon.dll", "portreeve.dll", "logbook.dll"}) host.addDistPlugin(plugin);
        ASSERT_EQ(host.start(), 0);
        saved = shellState();
        pointShellAt(host);
        uiSetMessageBoxHook(Boxes::hook, &boxes);
    }
    void TearDown() override {
        uiSetMessageBoxHook(nullptr, nullptr);
        host.stop();
        shellState() = saved;
    }
    suite::PluginHost host;
    ShellState saved{};
    Boxes boxes;
};

// The tree as lines: "Text" at the top level, "  Text" below.
std::vector<std::string> treeLines(HWND window) {
    HWND tv = GetDlgItem(window, IDC_SW_TREE);
    std::vector<std::string> out;
    auto next = [tv](HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    auto text = [tv](HTREEITEM item) {
        char buf[128] = "";
        TVITEMA it{};
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        return std::string(buf);
    };
    for (HTREEITEM top = next(nullptr, TVGN_ROOT); top; top = next(top, TVGN_NEXT)) {
        out.push_back(text(top));
        for (HTREEITEM child = next(top, TVGN_CHILD); child; child = next(child, TVGN_NEXT))
            out.push_back("  " + text(child));
    }
    return out;
}

// Whether the page lies wholly inside the frame (none of it cut off).
bool insideFrame(HWND window, HWND page) {
    RECT frame{}, r{};
    GetWindowRect(GetDlgItem(window, IDC_SW_FRAME), &frame);
    GetWindowRect(page, &r);
    return r.left >= frame.left && r.top >= frame.top && r.right <= frame.right && r.bottom <= frame.bottom;
}

// The page window shown in the frame, null for a category entry.
HWND shownPage(HWND window) {
    HWND frame = GetDlgItem(window, IDC_SW_FRAME);
    if (!IsWindowVisible(frame)) return nullptr;
    for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c)) return c;
    return nullptr;
}

using Lines = std::vector<std::string>;

TEST_F(ProgramWindow, TheTreeFollowsTheShippedCategoriesAndEveryPageIsPictured) {
    Lines tree;
    std::string first;
    int categoryRows = -1;
    std::vector<std::pair<std::string, bool>> pages;  // entry, a page was shown whole
    bool tipShown = false, noticeShown = false;
    Script script;
    script
        .then("Tip of the Day",  // tips are on in the shipped file
              [&](HWND dlg) {
                  tipShown = true;
                  clickNow(GetDlgItem(dlg, 100));
              })
        .then("Skyloom Client",
              [&](HWND w) {
                  tree = treeLines(w);
                  char title[64] = "";
                  GetDlgItemTextA(w, IDC_SW_TITLE, title, sizeof title);
                  first = title;
                  categoryRows = static_cast<int>(SendDlgItemMessageA(w, IDC_SW_CATEGORY_LIST, LVM_GETITEMCOUNT, 0, 0));
                  uiSnapshotWindow(w, screenshot("program-category-general").c_str());
                  HWND tv = GetDlgItem(w, IDC_SW_TREE);
                  const struct {
                      const char *entry, *picture;
                  } shots[] = {{"Settings", "program-settings"},
                               {"About", "program-about"},
                               {"Photo", "program-photo"},
                               {"UPnP", "program-upnp"}};
                  for (const auto &shot : shots) {
                      bool clicked = clickTreeEntry(tv, shot.entry);
                      HWND page = clicked ? shownPage(w) : nullptr;
                      pages.push_back({shot.entry, page && insideFrame(w, page)});
                      uiSnapshotWindow(w, screenshot(shot.picture).c_str());
                  }
                  clickNow(GetDlgItem(w, IDC_SW_CANCEL));
              })
        .then("Skyloom Client",  // the notice that the program keeps running
              [&](HWND dlg) {
                  noticeShown = GetDlgItem(dlg, 10) && GetDlgItem(dlg, 20) && !GetDlgItem(dlg, IDC_SW_FRAME);
                  clickNow(GetDlgItem(dlg, 100));
              });
    shellPropertiesCommand(ownerWindow(), 0);
    EXPECT_TRUE(tipShown);
    // Novice mode: General holds the host's pages, Sharing only the photo
    // page, and Network's single page stands at the top.
    EXPECT_EQ(tree, (Lines{"General", "  Settings", "  About", "Sharing", "  Photo", "UPnP"}));
    EXPECT_EQ(first, "General");
    EXPECT_EQ(categoryRows, 2);
    for (const auto &page : pages) EXPECT_TRUE(page.second) << page.first;
    EXPECT_TRUE(noticeShown);
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
}

}  // namespace
