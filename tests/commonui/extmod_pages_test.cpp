// The plug-in manager's page operations on a real plug-in with two pages:
// titles read from its dialogs without running its procedure, and page
// descriptions that a property sheet shows with the plug-in's procedure.
#include <commctrl.h>

#include "uitest.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "extmod/extmod.h"
#include "plugin_host.h"

namespace {

using PagesInitialised = int (*)();

class PluginPages : public ::testing::Test {
protected:
    void SetUp() override {
        host_.addPlugin(std::string(TEST_PLUGIN_DIR) + "/tp_pages.dll");
        ASSERT_EQ(host_.start(), 0);
        plugin_ = extmodGetPageModule(0);
        ASSERT_NE(plugin_, nullptr);
        initialised_ = reinterpret_cast<PagesInitialised>(GetProcAddress(plugin_, "tpPagesInitialised"));
        ASSERT_NE(initialised_, nullptr);
    }
    void TearDown() override { host_.stop(); }

    suite::PluginHost host_;
    HMODULE plugin_ = nullptr;
    PagesInitialised initialised_ = nullptr;
};

}  // namespace

TEST_F(PluginPages, TitlesComeFromTheDialogCaptionWithoutThePluginsProcedure) {
    char title[64];
    EXPECT_EQ(extmodGetPageTitle(0, title, sizeof title), 5);
    EXPECT_STREQ(title, "Photo");
    EXPECT_EQ(extmodGetPageTitle(1, title, sizeof title), 8);
    EXPECT_STREQ(title, "Advanced");
    EXPECT_EQ(initialised_(), 0);
    // Cut to the buffer, always terminated.
    EXPECT_EQ(extmodGetPageTitle(1, title, 4), 3);
    EXPECT_STREQ(title, "Adv");
    EXPECT_EQ(extmodGetPageTitle(2, title, sizeof title), -2);
    EXPECT_EQ(extmodGetPageTitle(16, title, sizeof title), -2);
    EXPECT_EQ(extmodGetPageTitle(-1, title, sizeof title), -2);
    EXPECT_EQ(extmodGetPageTitle(0, nullptr, 10), -2);
    EXPECT_EQ(extmodGetLastError(), -2);
    // No visible window was left behind.
    EXPECT_EQ(FindWindowA(nullptr, "Photo"), nullptr);
}

TEST_F(PluginPages, PageDescriptionsCarryTheTemplateIconAndProcedure) {
    using GetProc = DLGPROC (*)(int);
    auto proc = reinterpret_cast<GetProc>(GetProcAddress(plugin_, "zelextGetEntryPointProc"))(0);
    PROPSHEETPAGEA page;
    ASSERT_EQ(extmodGetPage(&page, 0), 0);
    EXPECT_EQ(page.dwSize, sizeof page);
    EXPECT_EQ(page.dwFlags, static_cast<DWORD>(PSP_USEHICON | PSP_HASHELP));
    EXPECT_NE(page.hIcon, nullptr);
    EXPECT_EQ(page.hInstance, plugin_);
    EXPECT_EQ(page.pszTemplate, MAKEINTRESOURCEA(100));  // the id's low word only
    EXPECT_EQ(page.pfnDlgProc, proc);
    EXPECT_EQ(page.lParam, 0);

    // Without an icon from the plug-in or an icon resource: the icon by name.
    ASSERT_EQ(extmodGetPage(&page, 1), 0);
    EXPECT_EQ(page.dwFlags, static_cast<DWORD>(PSP_USEICONID | PSP_HASHELP));
    EXPECT_STREQ(page.pszIcon, "tabicon");
    EXPECT_EQ(page.pszTemplate, MAKEINTRESOURCEA(101));
    EXPECT_EQ(extmodGetPage(&page, 2), -2);
    EXPECT_EQ(extmodGetPage(nullptr, 0), -2);
}

TEST_F(PluginPages, APropertySheetShowsThePagesWithThePluginsProcedure) {
    PROPSHEETPAGEA pages[2];
    ASSERT_EQ(extmodGetPage(&pages[0], 0), 0);
    ASSERT_EQ(extmodGetPage(&pages[1], 1), 0);
    PROPSHEETHEADERA h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    h.pszCaption = "Advanced...";
    h.nPages = 2;
    h.ppsp = pages;
    static HWND sheet;
    static std::string edit, secondTab;
    sheet = nullptr, edit.clear(), secondTab.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        sheet = FindWindowA(nullptr, "Advanced...");
        if (!sheet || !PropSheet_GetCurrentPageHwnd(sheet)) return;
        edit = uitest::text(GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), 10));
        char title[32] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT, item.pszText = title, item.cchTextMax = sizeof title;
        SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
        secondTab = title;
        QTest::mouseClick(uitest::widgetOf(GetDlgItem(sheet, IDOK)), Qt::LeftButton);
    });
    EXPECT_EQ(PropertySheetA(&h), 1);
    KillTimer(nullptr, timer);
    EXPECT_EQ(edit, "set by the plug-in");
    EXPECT_EQ(secondTab, "Advanced");
    EXPECT_EQ(initialised_(), 1);  // only the page that was shown
}

namespace {

std::string cell(HWND list, int row, int column) {
    char text[256] = "";
    LVITEMA item{};
    item.iSubItem = column, item.pszText = text, item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::string header(HWND list, int column) {
    char text[64] = "";
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT, c.pszText = text, c.cchTextMax = sizeof text;
    if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c))) return "-";
    return text;
}

}  // namespace

TEST_F(PluginPages, TheModuleListShowsEveryLoadedPlugin) {
    HWND top = CreateWindowExA(0, "STATIC", "About", WS_POPUP, 0, 0, 600, 200, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 200, top, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(extmodFillModuleList(list), 0);
    EXPECT_EQ(header(list, 0) + "|" + header(list, 1) + "|" + header(list, 2) + "|" + header(list, 3) + "|" +
                  header(list, 4) + "|" + header(list, 5),
              "Module|Description|Version|Company|Path|-");
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(cell(list, 0, 0), "tp_pages.dll");
    EXPECT_EQ(cell(list, 0, 1), "Pages plug-in");
    EXPECT_EQ(cell(list, 0, 2), "1.2.3.4");
    EXPECT_EQ(cell(list, 0, 3), "Test Works");
    std::string dir = host_.extDirectory();
    EXPECT_EQ(cell(list, 0, 4), dir.substr(0, dir.size() - 1));
    // Without an icon of its own the plug-in shows the branding module's default image.
    HBITMAP fallback = LoadBitmapA(host_.brandingModule(), MAKEINTRESOURCEA(160));
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, fallback ? 0 : -1);
    if (fallback) DeleteObject(fallback);
    // Columns wide enough for their texts.
    EXPECT_GT(SendMessageA(list, LVM_GETCOLUMNWIDTH, 4, 0), 20);
    EXPECT_EQ(extmodFillModuleList(nullptr), -2);
    DestroyWindow(top);
    host_.stop();
    EXPECT_EQ(extmodFillModuleList(list), -1);
}
