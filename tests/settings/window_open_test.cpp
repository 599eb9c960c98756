// The settings window as it opens and closes: its menu bar with a plug-in's
// item chosen with the mouse, the tip of the day that follows the opening,
// and the caption animation between the notification area and the window.
#include <dlfcn.h>
#include <shellapi.h>

#include <cstring>

#include "real_input.h"
#include "ui_input.h"
#include "window_fixture.h"

using namespace settingstest;

namespace {

struct Animation {
    RECT from, to;
};
std::vector<Animation> &animations() {
    static std::vector<Animation> a;
    return a;
}

}  // namespace

// Without a display the platform's caption animation draws nothing; this
// program's own definition records each request and passes it on.
extern "C" BOOL DrawAnimatedRects(HWND hwnd, int idAni, const RECT *lprcFrom, const RECT *lprcTo) {
    if (lprcFrom && lprcTo) animations().push_back({*lprcFrom, *lprcTo});
    using Real = BOOL (*)(HWND, int, const RECT *, const RECT *);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "DrawAnimatedRects"));
    return real ? real(hwnd, idAni, lprcFrom, lprcTo) : FALSE;
}

namespace {

const char kCategories[] = "[Categories]\nGeneral\n[Category-General]\ncradle-Settings\ncradle-About\npages-Alpha\n";

// The items of a menu: texts, "-" for a separator.
std::vector<std::string> items(HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
            out.push_back("-");
            continue;
        }
        char text[128] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        out.push_back(text);
    }
    return out;
}

bool sameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void setAnimation(int on) {
    ANIMATIONINFO info{sizeof info, on};
    SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, 0);
}

using Items = std::vector<std::string>;

TEST_F(SettingsWindowTest, APluginsToolsItemJoinsTheMenuBarAndItsChoiceReachesThePlugin) {
    start(baseIni(kCategories));
    Items bar, help, tools;
    std::string afterTools, afterAbout, eventsAfterMenus;
    bool toolsChosen = false, aboutChosen = false;
    WhenShown run("Skyloom Client", [&](HWND w) {
        HMENU menu = GetMenu(w);
        bar = items(menu);
        help = items(GetSubMenu(menu, 1));
        tools = items(GetSubMenu(menu, 2));
        reset();
        toolsChosen = chooseFromMenuBar(w, "&Tools", "&Check Pages", screenshot("menu-tools"));
        uiinput::pumpUntil([&] { return std::strstr(notifications(), "8:") != nullptr; }, 5000);
        afterTools = notifications();
        // A host item goes back to the window as its own command.
        aboutChosen = chooseFromMenuBar(w, "&Help", "&About");
        uiinput::pumpUntil([&] { return selectedText(w) == "About"; }, 5000);
        afterAbout = selectedText(w);
        eventsAfterMenus = events();
        clickNow(GetDlgItem(w, IDC_SW_CANCEL));
    });
    EXPECT_EQ(settingsOpen(0), 0);
    EXPECT_EQ(bar, (Items{"&File", "&Help", "&Tools"}));
    EXPECT_EQ(help, (Items{"&Contents && Index", "Ti&p of the Day", "Online &Support", "-", "&About"}));
    EXPECT_EQ(tools, (Items{"&Check Pages"}));
    EXPECT_TRUE(toolsChosen);
    EXPECT_EQ(afterTools, "8:77;");  // to the item's owner only, with its own value
    EXPECT_TRUE(aboutChosen);
    EXPECT_EQ(afterAbout, "About");
    EXPECT_EQ(eventsAfterMenus, "");  // no page was applied or activated on the way
}

TEST_F(SettingsWindowTest, TheTipOfTheDayFollowsTheOpenedWindowWhenTipsAreOn) {
    host.addFile("test.tip", "Tips come from the files beside the configuration.\nA second tip.\n");
    start("[Tips]\nShowTips=1\n[Settings]\nNotifyMinimize=0\n" + std::string(kCategories));
    HWND window = nullptr, owner = nullptr;
    bool windowShown = false;
    int treeEntries = 0;
    Script script;
    script
        .then("Tip of the Day",
              [&](HWND dlg) {
                  window = FindWindowA(nullptr, "Skyloom Client");
                  windowShown = window && IsWindowVisible(window);
                  owner = GetWindow(dlg, GW_OWNER);
                  treeEntries = static_cast<int>(SendDlgItemMessageA(window, IDC_SW_TREE, TVM_GETCOUNT, 0, 0));
                  clickNow(GetDlgItem(dlg, 100));
              })
        .then("Skyloom Client", [&](HWND w) { clickNow(GetDlgItem(w, IDC_SW_CANCEL)); });
    settingsOpen(0);
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(owner, window);
    EXPECT_GT(treeEntries, 0);  // built before the tip came
    char last[8];
    GetPrivateProfileStringA("Tips", "Last", "", last, sizeof last, host.configPath().c_str());
    EXPECT_STREQ(last, "1");

    // Tips off: the window opens alone.
    WritePrivateProfileStringA("Tips", "ShowTips", "0", host.configPath().c_str());
    bool tipShown = true;
    WhenShown again("Skyloom Client", [&](HWND w) {
        tipShown = FindWindowA(nullptr, "Tip of the Day") != nullptr;
        clickNow(GetDlgItem(w, IDC_SW_CANCEL));
    });
    settingsOpen(0);
    EXPECT_FALSE(tipShown);
}

TEST_F(SettingsWindowTest, WithAnimationsOnTheWindowComesFromTheNotificationAreaAndGoesBack) {
    start(baseIni(kCategories));
    ANIMATIONINFO before{sizeof before, 0};
    SystemParametersInfoA(SPI_GETANIMATION, sizeof before, &before, 0);
    setAnimation(1);
    animations().clear();
    RECT window{};
    size_t whileOpen = 0;
    {
        WhenShown run("Skyloom Client", [&](HWND w) {
            GetWindowRect(w, &window);
            whileOpen = animations().size();
            clickNow(GetDlgItem(w, IDC_SW_CANCEL));
        });
        settingsOpen(0);
    }
    std::vector<Animation> on = animations();
    setAnimation(0);
    animations().clear();
    {
        WhenShown run("Skyloom Client", [&](HWND w) { clickNow(GetDlgItem(w, IDC_SW_CANCEL)); });
        settingsOpen(0);
    }
    std::vector<Animation> off = animations();
    setAnimation(before.iMinAnimate);

    EXPECT_EQ(whileOpen, 1u);
    ASSERT_EQ(on.size(), 2u);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT &tray = on[0].from;
    EXPECT_EQ(tray.right, work.right);  // the notification area's corner of the work area
    EXPECT_EQ(tray.bottom, work.bottom);
    EXPECT_TRUE(sameRect(on[0].to, window));
    EXPECT_TRUE(sameRect(on[1].from, window));
    EXPECT_TRUE(sameRect(on[1].to, tray));
    EXPECT_TRUE(off.empty());
}

}  // namespace
