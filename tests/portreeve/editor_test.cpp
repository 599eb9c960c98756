// The port editor and the service editor's OK, driven with real input and
// answered message boxes, on a configuration file of the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "page_test_plugin.h"
#include "pageids.h"
#include "plugin.h"
#include "portedit.h"
#include "servicecommit.h"
#include "servicemod.h"
#include "ui_input.h"

namespace {

using namespace uiinput;

struct Box {
    std::string text, caption;
    UINT type;
};
std::vector<Box> g_boxes;

int recordBox(void *, HWND, LPCSTR text, LPCSTR caption, UINT type) {
    g_boxes.push_back({text, caption, type});
    return IDOK;
}

class Editors : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/portreeve-page-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        pagetest::configPath() = dir_ + "/cradle.ini";
        ASSERT_NE(pluginModule(), nullptr) << "the built plug-in holds the dialogs";
        g_boxes.clear();
        uiSetMessageBoxHook(recordBox, nullptr);
    }
    void TearDown() override {
        uiSetMessageBoxHook(nullptr, nullptr);
        clearSteps();
        servicemodShutdown();
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    void services(const std::string &section) {
        WritePrivateProfileStringA("waymark-services", nullptr, nullptr, pagetest::configPath().c_str());
        FILE *f = std::fopen(pagetest::configPath().c_str(), "w");
        std::fputs(("[waymark-services]\n" + section).c_str(), f);
        std::fclose(f);
        ASSERT_EQ(servicemodInit(pagetest::configPath().c_str(), "waymark-services"), 0);
    }
    std::string dir_;
};

bool okEnabled(HWND dlg) { return IsWindowEnabled(GetDlgItem(dlg, IDOK)); }

TEST_F(Editors, PortEditorEnablesOkOnlyForARangeThatCanBeStored) {
    std::vector<bool> seen;
    whenShown("Add Ports", [&](HWND dlg) {
        HWND from = GetDlgItem(dlg, IDC_PORT_FROM), to = GetDlgItem(dlg, IDC_PORT_TO);
        seen.push_back(okEnabled(dlg));  // both empty
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PORT_TCP), (UINT)BST_CHECKED);
        click(from);
        typeText(from, "8000");
        seen.push_back(okEnabled(dlg));  // To still empty
        // Entering the empty To box copies From and selects it, so typing
        // replaces the copy.
        click(to);
        EXPECT_EQ(text(to), "8000");
        seen.push_back(okEnabled(dlg));  // 8000 - 8000
        typeText(to, "7999");
        EXPECT_EQ(text(to), "7999");
        seen.push_back(okEnabled(dlg));  // 8000 - 7999: To below From
        SetDlgItemTextA(dlg, IDC_PORT_TO, "");
        typeText(to, "70000");
        seen.push_back(okEnabled(dlg));  // beyond the last port
        SetDlgItemTextA(dlg, IDC_PORT_TO, "");
        typeText(to, "8010");
        seen.push_back(okEnabled(dlg));
        EXPECT_TRUE(screenshot(dlg, "port-editor"));
        typeText(to, "abc");  // digits only
        EXPECT_EQ(text(to), "8010");
        click(GetDlgItem(dlg, IDC_PORT_UDP));
        click(GetDlgItem(dlg, IDOK));
    });
    PortEdit range{0, 0, 1};
    EXPECT_EQ(portEditorRun(nullptr, &range), IDOK);
    EXPECT_EQ(seen, (std::vector<bool>{false, false, true, false, false, true}));
    EXPECT_EQ(range.from, 8000);
    EXPECT_EQ(range.to, 8010);
    EXPECT_EQ(range.protocol, 2);
}

TEST_F(Editors, PortEditorShowsTheGivenRangeAndLeavesItOnCancel) {
    whenShown("Add Ports", [&](HWND dlg) {
        EXPECT_EQ(text(GetDlgItem(dlg, IDC_PORT_FROM)), "5060");
        EXPECT_EQ(text(GetDlgItem(dlg, IDC_PORT_TO)), "5061");
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PORT_UDP), (UINT)BST_CHECKED);
        EXPECT_TRUE(okEnabled(dlg));
        // A zero From (as a cleared box) makes the range unusable.
        SetDlgItemTextA(dlg, IDC_PORT_FROM, "0");
        EXPECT_FALSE(okEnabled(dlg));
        // Entering a To box that holds a port keeps its value.
        click(GetDlgItem(dlg, IDC_PORT_TO));
        EXPECT_EQ(text(GetDlgItem(dlg, IDC_PORT_TO)), "5061");
        click(GetDlgItem(dlg, IDCANCEL));
    });
    PortEdit range{5060, 5061, 2};
    EXPECT_EQ(portEditorRun(nullptr, &range), IDCANCEL);
    EXPECT_EQ(range.from, 5060);
    EXPECT_EQ(range.to, 5061);
    EXPECT_EQ(range.protocol, 2);
}

TEST_F(Editors, ServiceCommitNamesEachRefusedRangeInItsSingleOrRangeForm) {
    services("Web=1:TCP(70-90)\n");
    ServiceFields fields{-1, "Game", 1, {{80, 80, 1}, {27015, 27030, 2}, {85, 95, 1}, {100, 100, 1}}};
    EXPECT_FALSE(serviceCommit(nullptr, &fields));
    ASSERT_GE(fields.serviceId, 0);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].text, "TCP port 80 overlaps an existing service configuration.");
    EXPECT_EQ(g_boxes[0].caption, "upnp");
    EXPECT_EQ(g_boxes[0].type & MB_ICONMASK, (UINT)MB_ICONERROR);
    EXPECT_EQ(g_boxes[1].text, "TCP ports 85 - 95 overlaps an existing service configuration.");
    // The accepted ranges are stored; the refused ones are not.
    PortRange r{};
    ASSERT_GE(servicemodGetPortRange(fields.serviceId, 0, &r), 0);
    EXPECT_EQ(r.from, 27015);
    ASSERT_GE(servicemodGetPortRange(fields.serviceId, 1, &r), 0);
    EXPECT_EQ(r.from, 100);
    EXPECT_LT(servicemodGetPortRange(fields.serviceId, 2, &r), 0);

    // OK again after fixing the row: the same service is updated, not a second one made.
    g_boxes.clear();
    fields.rows = {{8000, 8000, 1}};
    fields.enabled = 0;
    std::snprintf(fields.name, sizeof fields.name, "Games");
    EXPECT_TRUE(serviceCommit(nullptr, &fields));
    EXPECT_TRUE(g_boxes.empty());
    char name[128];
    EXPECT_EQ(servicemodGetServiceName(fields.serviceId, name, sizeof name), 0);
    EXPECT_STREQ(name, "Games");
    EXPECT_EQ(servicemodGetServiceEnable(fields.serviceId), 0);
    EXPECT_EQ(servicemodEnumServices(2, name, sizeof name), -2);
}

TEST_F(Editors, ServiceCommitRefusesAUsedNameWithoutTouchingAnything) {
    services("Web=1:TCP(70-90)\n");
    ServiceFields fields{-1, "web", 1, {{80, 80, 1}}};
    EXPECT_FALSE(serviceCommit(nullptr, &fields));
    EXPECT_EQ(fields.serviceId, -1);
    EXPECT_TRUE(g_boxes.empty());
    char name[128];
    EXPECT_EQ(servicemodEnumServices(1, name, sizeof name), -2);
    // Renaming another service to a used name is refused too: saved, the two
    // would be one key of the file.
    ServiceFields rename{1, "", 1, {}};
    ASSERT_GE(rename.serviceId = servicemodAddService("Mail", 1), 0);
    std::snprintf(rename.name, sizeof rename.name, "WEB");
    EXPECT_FALSE(serviceCommit(nullptr, &rename));
    EXPECT_EQ(servicemodGetServiceName(rename.serviceId, name, sizeof name), 0);
    EXPECT_STREQ(name, "Mail");
    std::snprintf(rename.name, sizeof rename.name, "MAIL");  // its own name in another case
    EXPECT_TRUE(serviceCommit(nullptr, &rename));
    ASSERT_EQ(servicemodRemoveService(rename.serviceId), 0);
    // A range that is not an overlap gets the general message.
    ServiceFields other{-1, "Mail", 1, {{25, 25, 1}}};
    ASSERT_TRUE(serviceCommit(nullptr, &other));
    other.rows = {{30, 20, 2}};
    EXPECT_FALSE(serviceCommit(nullptr, &other));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, "An error occurred while adding UDP ports 30 - 20.");
}

}  // namespace
