// Owner-drawn menus measured and drawn into real device contexts (checked on
// the pixels), the menu bar built from items, and a picture of the tray menu.
#include "menu/menuhost.h"
#include "menu/menumod.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace cradletest;

namespace {

constexpr COLORREF kBackground = 0xF7FBFF, kGrayText = 0xA5A6A5, kSelection = 0xD6BEB5, kFrame = 0x6B2408,
                   kStrip = 0xC6CBCE;
constexpr COLORREF kRed = RGB(200, 0, 0), kGreen = RGB(0, 160, 0);

// The host's tray menu, owner-drawn with its options.
struct TrayMenu {
    HMENU menu = nullptr;
    std::vector<HICON> icons;

    HICON icon(COLORREF c) {
        icons.push_back(solidIcon(c));
        return icons.back();
    }
    void build() {
        menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING | MF_GRAYED, 120, "Cradle Host");
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, 260, "&What's this?");
        AppendMenuA(menu, MF_STRING, 180, "&Help...");
        AppendMenuA(menu, MF_STRING, 140, "&Properties...");
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, 100, "&Close");
        SetMenuDefaultItem(menu, 140, FALSE);
        ASSERT_EQ(menumodPrepareMenu(menu), 0);
        const struct {
            int id;
            COLORREF normal, active;
        } images[] = {{120, RGB(0, 120, 215), RGB(0, 120, 215)}, {260, RGB(230, 160, 0), RGB(255, 200, 40)},
                      {180, RGB(0, 150, 200), RGB(40, 190, 240)}, {140, kGreen, RGB(60, 220, 60)},
                      {100, kRed, RGB(250, 60, 60)}};
        for (const auto &i : images) {
            ASSERT_EQ(menumodSetOption(menu, i.id, MENUMOD_OPT_ICON, reinterpret_cast<LONG_PTR>(icon(i.normal))), 0);
            ASSERT_EQ(menumodSetOption(menu, i.id, MENUMOD_OPT_ACTIVE_ICON,
                                       reinterpret_cast<LONG_PTR>(icon(i.active))),
                      0);
        }
        const std::pair<int, LONG_PTR> options[] = {{MENUMOD_OPT_STYLE, 3},         {MENUMOD_OPT_BACKGROUND, kBackground},
                                                     {MENUMOD_OPT_GRAYTEXT, kGrayText}, {MENUMOD_OPT_SELECTION, kSelection},
                                                     {MENUMOD_OPT_FRAME, kFrame},    {MENUMOD_OPT_STRIP, kStrip}};
        for (auto [option, value] : options) ASSERT_EQ(menumodSetOption(menu, -1, option, value), 0);
    }
    ~TrayMenu() {
        if (menu && IsMenu(menu)) menumodRestoreMenu(menu);
        for (HICON i : icons) DestroyIcon(i);
    }
    ULONG_PTR data(UINT position) const {
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA;
        GetMenuItemInfoA(menu, position, TRUE, &mii);
        return mii.dwItemData;
    }
    MEASUREITEMSTRUCT measure(UINT position, int *result = nullptr) const {
        MEASUREITEMSTRUCT mis{ODT_MENU, 0, GetMenuItemID(menu, static_cast<int>(position)), 0, 0, data(position)};
        int r = menumodMeasureItem(&mis);
        if (result) *result = r;
        return mis;
    }
};

// A 32-bit bitmap in a memory context.
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    int width, height;
    Canvas(int w, int h) : width(w), height(h) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(w, h, 1, 32, nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y) & 0xFFFFFF; }
    // Pixels of the area that are neither of the two colours (the text's).
    int others(RECT r, COLORREF a, COLORREF b) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                COLORREF c = at(x, y);
                n += c != a && c != b;
            }
        return n;
    }
};

int draw(const TrayMenu &m, UINT position, UINT state, const Canvas &canvas) {
    DRAWITEMSTRUCT dis{ODT_MENU, 0, GetMenuItemID(m.menu, static_cast<int>(position)), ODA_DRAWENTIRE, state,
                       reinterpret_cast<HWND>(m.menu), canvas.dc, RECT{0, 0, canvas.width, canvas.height},
                       m.data(position)};
    return menumodDrawItem(&dis);
}

class MenumodTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(menumodInit(), 0); }
    void TearDown() override { EXPECT_EQ(menumodShutdown(), 0); }
};

TEST_F(MenumodTest, ItemsMeasureByIconTextAndStripAndTheDefaultIsWider) {
    TrayMenu m;
    m.build();
    MEASUREITEMSTRUCT sep = m.measure(1);
    EXPECT_EQ(sep.itemHeight, 4u);
    EXPECT_EQ(sep.itemWidth, 0u);
    MEASUREITEMSTRUCT close = m.measure(6);
    EXPECT_EQ(close.itemHeight, 20u);  // a 16-pixel icon and 2 pixels above and below
    EXPECT_GT(close.itemWidth, 30u + 16u);
    // The same text measures wider in bold, as the default item.
    int before = static_cast<int>(m.measure(4).itemWidth);
    SetMenuDefaultItem(m.menu, 100, FALSE);
    int normal = static_cast<int>(m.measure(4).itemWidth);
    EXPECT_GT(before, normal);
    // Without the strip style there is no indent.
    UINT withStrip = m.measure(6).itemWidth;
    ASSERT_EQ(menumodSetOption(m.menu, 100, MENUMOD_OPT_STYLE, MENUMOD_STYLE_ICONS), 0);
    EXPECT_EQ(m.measure(6).itemWidth, withStrip - 30u);
    // Text replaced through option 10.
    ASSERT_EQ(menumodSetOption(m.menu, 100, MENUMOD_OPT_TEXT, reinterpret_cast<LONG_PTR>("&Close the program now")),
              0);
    EXPECT_GT(m.measure(6).itemWidth, close.itemWidth - 30u);
    // A text item without an icon still gets the height of its line.
    HMENU plain = CreatePopupMenu();
    AppendMenuA(plain, MF_STRING, 5, "Plain");
    AppendMenuA(plain, MF_STRING, 6, "");
    ASSERT_EQ(menumodPrepareMenu(plain), 0);
    TrayMenu p;
    p.menu = plain;
    EXPECT_GT(p.measure(0).itemHeight, 10u);
    int r = 0;
    p.measure(1, &r);
    EXPECT_EQ(r, -2);  // a string item without text
}

TEST_F(MenumodTest, ForeignItemsAndBadArgumentsAreRefused) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_OWNERDRAW, 7, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(0x5555)));
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, 7, 0, 0, 0x5555};
    EXPECT_EQ(menumodMeasureItem(&mis), -2);
    Canvas canvas(50, 20);
    DRAWITEMSTRUCT dis{ODT_MENU, 0, 7, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(menu), canvas.dc,
                       RECT{0, 0, 50, 20}, 0x5555};
    EXPECT_EQ(menumodDrawItem(&dis), -2);
    EXPECT_EQ(menumodSetOption(menu, 7, MENUMOD_OPT_ICON, 0), -2);
    EXPECT_EQ(menumodMeasureItem(nullptr), -2);
    EXPECT_EQ(menumodPrepareMenu(nullptr), -2);
    DestroyMenu(menu);
    EXPECT_EQ(menumodPrepareMenu(menu), -2);
    EXPECT_EQ(menumodInit(), -1);

    TrayMenu m;
    m.build();
    EXPECT_EQ(menumodSetOption(m.menu, 140, 11, 0), -2);
    EXPECT_EQ(menumodSetOption(m.menu, 140, 0, 0), -2);
    EXPECT_EQ(menumodSetOption(m.menu, 999, MENUMOD_OPT_ICON, 0), -2);
    HMENU kept = m.menu;
    EXPECT_EQ(menumodRestoreMenu(kept), 0);
    EXPECT_FALSE(IsMenu(kept));
    m.menu = nullptr;
}

TEST_F(MenumodTest, ItemsDrawBackgroundStripIconsAndFramesByState) {
    TrayMenu m;
    m.build();
    const int w = 160, h = 20;
    {  // Normal: strip, icon, background and some text.
        Canvas c(w, h);
        ASSERT_EQ(draw(m, 6, 0, c), 0);
        EXPECT_EQ(c.at(1, 1), kStrip);
        EXPECT_EQ(c.at(22, 10), kStrip);
        EXPECT_EQ(c.at(12, 10), kRed);
        EXPECT_EQ(c.at(w - 2, 1), kBackground);
        EXPECT_GT(c.others(RECT{30, 0, w, h}, kBackground, kBackground), 10);
    }
    {  // Selected: the frame around the selection fill, the active icon.
        Canvas c(w, h);
        ASSERT_EQ(draw(m, 6, ODS_SELECTED, c), 0);
        EXPECT_EQ(c.at(0, 0), kFrame);
        EXPECT_EQ(c.at(w - 1, h - 1), kFrame);
        EXPECT_EQ(c.at(w - 2, 1), kSelection);
        EXPECT_EQ(c.at(1, 1), kSelection);  // no strip over a selection
        EXPECT_EQ(c.at(12, 10), RGB(250, 60, 60));
    }
    {  // Checked: the active icon in a frame.
        Canvas c(w, h);
        ASSERT_EQ(draw(m, 6, ODS_CHECKED, c), 0);
        EXPECT_EQ(c.at(2, 5), kFrame);
        EXPECT_EQ(c.at(21, 5), kFrame);
        EXPECT_EQ(c.at(10, 1), kFrame);
        EXPECT_EQ(c.at(12, 10), RGB(250, 60, 60));
    }
    {  // Grayed: the icon in the gray of its luma, the text in the gray colour.
        Canvas c(w, h);
        ASSERT_EQ(draw(m, 6, ODS_GRAYED, c), 0);
        BYTE luma = static_cast<BYTE>(0.299 * 200);
        EXPECT_EQ(c.at(12, 10), RGB(luma, luma, luma));
        EXPECT_EQ(c.at(1, 1), kStrip);
        int gray = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 30; x < w; ++x) gray += c.at(x, y) == kGrayText;
        EXPECT_GT(gray, 5);
        // Grayed and disabled: the icon as it is.
        Canvas d(w, h);
        ASSERT_EQ(draw(m, 6, ODS_GRAYED | ODS_DISABLED, d), 0);
        EXPECT_EQ(d.at(12, 10), kRed);
    }
    {  // A separator: a line in the strip colour across the middle.
        Canvas c(w, 4);
        ASSERT_EQ(draw(m, 1, 0, c), 0);
        EXPECT_EQ(c.at(100, 2), kStrip);
        EXPECT_EQ(c.at(100, 0), kBackground);
        EXPECT_EQ(c.at(1, 0), kStrip);
    }
}

TEST_F(MenumodTest, TheDefaultItemIsDrawnBoldAndOptionSevenOnEveryItem) {
    TrayMenu m;
    m.build();
    const int w = 160, h = 20;
    Canvas bold(w, h), normal(w, h);
    ASSERT_EQ(draw(m, 4, ODS_DEFAULT, bold), 0);
    SetMenuDefaultItem(m.menu, static_cast<UINT>(-1), FALSE);
    ASSERT_EQ(draw(m, 4, 0, normal), 0);
    RECT text{30, 0, w, h};
    EXPECT_GT(bold.others(text, kBackground, kBackground), normal.others(text, kBackground, kBackground) + 10);

    HICON blue = m.icon(RGB(0, 0, 220));
    ASSERT_EQ(menumodSetOption(m.menu, -1, MENUMOD_OPT_ICON, reinterpret_cast<LONG_PTR>(blue)), 0);
    for (UINT pos : {2u, 3u, 4u, 6u}) {
        Canvas c(w, h);
        ASSERT_EQ(draw(m, pos, 0, c), 0);
        EXPECT_EQ(c.at(12, 10), RGB(0, 0, 220)) << pos;
    }
}

// The tray menu as the panel's popup shows it: every item measured and drawn
// by the module, "&Help..." under the pointer, written to screenshots/tray/.
struct Sheet {
    TrayMenu *menu;
    std::vector<RECT> rects;
};
Sheet *sheet = nullptr;

LRESULT CALLBACK sheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT && sheet) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        for (UINT pos = 0; pos < sheet->rects.size(); ++pos) {
            UINT id = GetMenuItemID(sheet->menu->menu, static_cast<int>(pos));
            UINT state = 0;
            if (id == 120) state |= ODS_GRAYED | ODS_DISABLED;
            if (id == 180) state |= ODS_SELECTED;
            if (id == 140) state |= ODS_DEFAULT;
            DRAWITEMSTRUCT dis{ODT_MENU, 0, id, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(sheet->menu->menu),
                               dc, sheet->rects[pos], sheet->menu->data(pos)};
            menumodDrawItem(&dis);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(MenumodTest, TrayMenuPicture) {
    TrayMenu m;
    m.build();
    Sheet s{&m, {}};
    int width = 0, top = 0;
    for (UINT pos = 0; pos < static_cast<UINT>(GetMenuItemCount(m.menu)); ++pos) {
        MEASUREITEMSTRUCT mis = m.measure(pos);
        width = std::max(width, static_cast<int>(mis.itemWidth) + 24);
        s.rects.push_back(RECT{0, top, 0, top + static_cast<int>(mis.itemHeight)});
        top += static_cast<int>(mis.itemHeight);
    }
    for (RECT &r : s.rects) r.right = width;
    sheet = &s;
    WNDCLASSA cls{};
    cls.lpfnWndProc = sheetProc;
    cls.lpszClassName = "CradleTrayMenuSheet";
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, "CradleTrayMenuSheet", "", WS_POPUP, 0, 0, width, top, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    std::string dir = std::string(SUITE_BINARY_DIR) + "/screenshots/tray";
    std::filesystem::create_directories(dir);
    std::string path = dir + "/tray-menu.png";
    std::filesystem::remove(path);
    EXPECT_TRUE(uiSnapshotWindow(window, path.c_str()));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_GT(std::filesystem::file_size(path), 500u);
    DestroyWindow(window);
    sheet = nullptr;
}

// ---- menuhost ---------------------------------------------------------------

class MenuhostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(menuhostInit(), 0);
        window = plainWindow("CradleMenuhostWindow");
        menu = menuhostCreateMenu(window);
        ASSERT_GE(menu, 1);
    }
    void TearDown() override {
        EXPECT_EQ(menuhostShutdown(), 0);
        DestroyWindow(window);
    }
    static std::string text(HMENU m, int position) {
        char buffer[160] = "";
        GetMenuStringA(m, static_cast<UINT>(position), buffer, sizeof buffer, MF_BYPOSITION);
        return buffer;
    }
    HWND window = nullptr;
    int menu = 0;
};

TEST_F(MenuhostTest, PopupsStandWhereTheirFirstItemWasAddedAndKeepItemOrder) {
    int a = menuhostAddItem(menu, "&File", "a", 10, nullptr);
    int b = menuhostAddItem(menu, "&Help", "b", 11, nullptr);
    int c = menuhostAddItem(menu, "&Tools", "c", 12, nullptr);
    int d = menuhostAddItem(menu, "&HELP", "d", 13, nullptr);
    int sep = menuhostAddItem(menu, "&help", "menuhost_separator", 0, nullptr);
    EXPECT_EQ(std::vector<int>({a, b, c, d, sep}), std::vector<int>({1, 2, 3, 4, 5}));
    ASSERT_EQ(menuhostDrawMenu(menu), 0);
    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(text(bar, 0), "&File");
    EXPECT_EQ(text(bar, 1), "&Help");
    EXPECT_EQ(text(bar, 2), "&Tools");
    HMENU help = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(help), 3);
    EXPECT_EQ(text(help, 0), "b");
    EXPECT_EQ(GetMenuItemID(help, 0), 1002u);
    EXPECT_EQ(text(help, 1), "d");
    EXPECT_EQ(GetMenuItemID(help, 1), 1004u);
    EXPECT_TRUE(GetMenuState(help, 2, MF_BYPOSITION) & MF_SEPARATOR);

    // Items added later show only once the bar is built again, in a new bar.
    menuhostAddItem(menu, "&Window", "e", 14, nullptr);
    EXPECT_EQ(GetMenuItemCount(GetMenu(window)), 3);
    ASSERT_EQ(menuhostDrawMenu(menu), 0);
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_EQ(GetMenuItemCount(GetMenu(window)), 4);
}

TEST_F(MenuhostTest, LookupsAndRefusals) {
    HMODULE owner = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x1234));
    int item = menuhostAddItem(menu, "&Tools", "Preview", 77, owner);
    ASSERT_EQ(item, 1);
    HMODULE found = nullptr;
    EXPECT_EQ(menuhostGetItem(menu, 1001, &found), 77);
    EXPECT_EQ(found, owner);
    EXPECT_EQ(menuhostGetItem(menu, 999, &found), -2);
    EXPECT_EQ(menuhostGetItem(menu, 1000, &found), -2);
    EXPECT_EQ(menuhostGetItem(menu, 1002, &found), -2);
    EXPECT_EQ(menuhostGetItem(menu + 1, 1001, &found), -2);

    std::string longest(127, 'x'), tooLong(128, 'x');
    EXPECT_GE(menuhostAddItem(menu, longest.c_str(), longest.c_str(), 1, nullptr), 1);
    EXPECT_EQ(menuhostAddItem(menu, "&Tools", tooLong.c_str(), 1, nullptr), -2);
    EXPECT_EQ(menuhostAddItem(menu, tooLong.c_str(), "x", 1, nullptr), -2);
    EXPECT_EQ(menuhostAddItem(menu, "&Tools", nullptr, 1, nullptr), -2);
    EXPECT_EQ(menuhostAddItem(0, "&Tools", "x", 1, nullptr), -2);
    EXPECT_EQ(menuhostDrawMenu(menu + 7), -2);
    EXPECT_EQ(menuhostDeleteItem(menu, item), 0);
    EXPECT_EQ(menuhostGetItem(menu, 1001, &found), -2);
    EXPECT_EQ(menuhostDeleteItem(menu, item), -2);
    EXPECT_EQ(menuhostInit(), -1);
}

}  // namespace
