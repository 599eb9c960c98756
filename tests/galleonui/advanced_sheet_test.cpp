// The Options, Security and Log pages together in one property sheet, the
// way the Settings page's "Advanced..." sheet shows them when the host
// shows only one page of the plug-in.
#include "advanced_ids.h"
#include "advanced_support.h"
#include "pageids.h"

namespace {

using namespace galleonui;
using namespace advancedtest;
using namespace uiinput;

constexpr int kAdvancedButton = 103;  // "Ad&vanced..." of the Settings page

std::vector<std::string> tabTexts(HWND sheet) {
    std::vector<std::string> out;
    HWND tabs = PropSheet_GetTabControl(sheet);
    int n = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[64] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        out.push_back(text);
    }
    return out;
}

class AdvancedSheet : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        screenshotFolder() = "galleon";
    }
    std::string ini(const std::string& key) {
        char value[64] = "";
        GetPrivateProfileStringA("photo", key.c_str(), "", value, sizeof value, galleon.path("cradle.ini").c_str());
        return value;
    }
};

// The pages in a sheet of their own: the plug-in's templates, icons and
// page procedures, OK and Apply of the sheet.
TEST_F(AdvancedSheet, ThePagesApplyThroughTheSheetsOwnButtons) {
    startGalleon("Enable=0\n");
    struct Page {
        int dialog, icon;
        const char* proc;
    };
    const Page kPages[] = {{IDD_OPTIONS, IDI_OPTIONS, "zelextOptionsProc"},
                           {IDD_SECURITY, IDI_PASSWORD, "zelextSecurityProc"},
                           {IDD_LOG, IDI_TYPE, "zelextLogProc"}};
    PROPSHEETPAGEA pages[3]{};
    for (int i = 0; i < 3; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USEICONID | PSP_HASHELP;
        pages[i].hInstance = galleon.module;
        pages[i].pszTemplate = MAKEINTRESOURCEA(kPages[i].dialog);
        pages[i].pszIcon = MAKEINTRESOURCEA(kPages[i].icon);
        pages[i].pfnDlgProc = galleon.proc<DLGPROC>(kPages[i].proc);
        ASSERT_NE(pages[i].pfnDlgProc, nullptr);
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    header.hInstance = galleon.module;
    header.pszCaption = "Advanced...";
    header.nPages = 3;
    header.ppsp = pages;

    auto tabs = std::make_shared<std::vector<std::string>>();
    auto applyEnabled = std::make_shared<bool>(false);
    whenShown("Advanced...", [=](HWND sheet) {
        *tabs = tabTexts(sheet);
        screenshot(sheet, "advanced-sheet");
        HWND options = PropSheet_GetCurrentPageHwnd(sheet);
        click(GetDlgItem(options, IDC_OPTIONS_LOGGING));
        *applyEnabled = IsWindowEnabled(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        PropSheet_SetCurSel(sheet, nullptr, 1);
        settle();
        screenshot(sheet, "advanced-sheet-security");
        click(GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_SECURITY_DENY));
        click(GetDlgItem(sheet, IDOK));
    });
    INT_PTR result = PropertySheetA(&header);
    EXPECT_EQ(pendingSteps(), 0);
    EXPECT_GT(result, 0);
    EXPECT_EQ(*tabs, (std::vector<std::string>{"Advanced", "Security", "Log"}));
    EXPECT_TRUE(*applyEnabled);
    EXPECT_EQ(ini("AccessLogging"), "0");
    // Deny all with no exceptions: the Security page asked before it applied.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("You are blocking access"), std::string::npos);
}

// The sheet the Settings page opens, once the page is part of the plug-in.
TEST_F(AdvancedSheet, TheSettingsPagesAdvancedButtonOpensTheThreePages) {
    startGalleon("Enable=0\n");
    if (!FindResourceA(galleon.module, MAKEINTRESOURCEA(IDD_SETTINGS), RT_DIALOG))
        GTEST_SKIP() << "the plug-in has no Settings page yet";
    openPage(0);
    if (!item(kAdvancedButton)) GTEST_SKIP() << "the Settings page has no Advanced button yet";
    auto tabs = std::make_shared<std::vector<std::string>>();
    whenShown("Advanced...", [tabs](HWND sheet) {
        *tabs = tabTexts(sheet);
        screenshot(sheet, "advanced-sheet-from-settings");
        click(GetDlgItem(sheet, IDCANCEL));
    });
    click(item(kAdvancedButton));
    EXPECT_EQ(pendingSteps(), 0);
    EXPECT_EQ(*tabs, (std::vector<std::string>{"Advanced", "Security", "Log"}));
}

}  // namespace
