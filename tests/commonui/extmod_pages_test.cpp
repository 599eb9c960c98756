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
