// The Security page and the host entry dialog of the real plug-in: the
// access list edited with real input and what the running server makes of
// it. The server listens on 127.0.0.1; refused hosts connect from other
// loopback addresses.
#include <QLineEdit>

#include "advanced_ids.h"
#include "advanced_support.h"

namespace {

using namespace galleonui;
using namespace advancedtest;
using namespace uiinput;

constexpr int kSecurityPage = 2;
constexpr int kHostImage = 3;
constexpr int kNetworkImage = 4;

int statusFrom(int port, const char* source) {
    gtest_http::Connection c(port, source);
    if (!c.ok()) return -1;
    return c.request("GET / HTTP/1.0\r\n\r\n").status;
}

class SecurityPage : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        screenshotFolder() = "galleon";
    }
    HWND list() { return item(IDC_SECURITY_HOSTS); }
    std::vector<std::string> targets() {
        std::vector<std::string> out;
        for (auto& row : rows(list())) out.push_back(row[0]);
        return out;
    }
    void clickRow(int row) {
        RECT r{};
        ListView_GetItemRect(list(), row, &r, LVIR_LABEL);
        clickAt(list(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Types an address into the emptied host entry dialog, number by number;
    // dots move on to the next field.
    static void typeAddress(HWND dlg, const std::string& address) {
        HWND ip = GetDlgItem(dlg, IDC_HOSTENTRY_ADDRESS);
        SendMessageA(ip, IPM_CLEARADDRESS, 0, 0);
        SendMessageA(ip, IPM_SETFOCUS, 0, 0);
        settle();
        typeIntoFocus(address);
    }
    static bool okEnabled(HWND dlg) { return IsWindowEnabled(GetDlgItem(dlg, IDC_HOSTENTRY_OK)); }
};

TEST_F(SecurityPage, AHostAddedThroughTheEntryDialogIsRefusedByTheServerAfterApply) {
    startGalleon("WideConfig=1\n");
    ASSERT_TRUE(galleon.waitRunning());
    ASSERT_EQ(statusFrom(galleon.port, "127.0.0.2"), 200);
    openPage(kSecurityPage);
    EXPECT_TRUE(checked(IDC_SECURITY_ALLOW));
    EXPECT_TRUE(targets().empty());
    EXPECT_FALSE(enabled(IDC_SECURITY_MODIFY));
    EXPECT_FALSE(enabled(IDC_SECURITY_DELETE));
    EXPECT_FALSE(enabled(IDC_SECURITY_CLEAR));
    EXPECT_TRUE(screenshot(page_, "security-page-empty"));

    struct Seen {
        std::string description;
        bool emptyOk = true, partialOk = true, wholeOk = false;
    };
    auto seen = std::make_shared<Seen>();
    whenShown("Add Host or Network", [seen](HWND dlg) {
        seen->description = text(GetDlgItem(dlg, IDC_HOSTENTRY_DESCRIPTION));
        seen->emptyOk = okEnabled(dlg);
        typeAddress(dlg, "127.0.0");
        keyTab(GetDlgItem(dlg, IDC_HOSTENTRY_ADDRESS));  // the control loses the focus
        seen->partialOk = okEnabled(dlg);
        typeAddress(dlg, "127.0.0.2");
        seen->wholeOk = okEnabled(dlg);
        screenshot(dlg, "host-entry-dialog");
        click(GetDlgItem(dlg, IDC_HOSTENTRY_OK));
    });
    click(item(IDC_SECURITY_ADD));
    EXPECT_EQ(pendingSteps(), 0);
    EXPECT_EQ(seen->description, "Specify the host or network that you wish to add to the access control list");
    EXPECT_FALSE(seen->emptyOk);
    EXPECT_FALSE(seen->partialOk);
    EXPECT_TRUE(seen->wholeOk);
    ASSERT_EQ(targets(), std::vector<std::string>{"127.0.0.2"});
    EXPECT_EQ(rowImage(list(), 0), kHostImage);
    EXPECT_TRUE(enabled(IDC_SECURITY_DELETE));
    EXPECT_TRUE(enabled(IDC_SECURITY_CLEAR));
    EXPECT_GE(changedCount, 1);
    EXPECT_TRUE(screenshot(page_, "security-page"));

    // Nothing reaches the server before Apply.
    EXPECT_EQ(statusFrom(galleon.port, "127.0.0.2"), 200);
    click(item(IDC_SECURITY_AUTO_REJECT));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(statusFrom(galleon.port, "127.0.0.2"), 403);
    EXPECT_EQ(statusFrom(galleon.port, "127.0.0.3"), 200);
    EXPECT_EQ(httpGet(galleon.port, "/").status, 200);
    char value[8] = "";
    GetPrivateProfileStringA("photo", "AutoReject", "", value, sizeof value, galleon.path("cradle.ini").c_str());
    EXPECT_STREQ(value, "1");

    // The access list reaches the file when the module saves it.
    closePage();
    galleon.stop();
    EXPECT_NE(galleon.readFile("cradle.ini").find("[photo-host-access]\n127.0.0.2"), std::string::npos)
        << galleon.readFile("cradle.ini");
}

TEST_F(SecurityPage, ADuplicateAndAnUnchangedModifyAreReportedAsExisting) {
    startGalleon("WideConfig=1\nEnable=0\n", "[photo-host-access]\n192.168.1.0\n10.0.0.5\n");
    openPage(kSecurityPage);
    ASSERT_EQ(targets(), (std::vector<std::string>{"192.168.1.0", "10.0.0.5"}));
    EXPECT_EQ(rowImage(list(), 0), kNetworkImage);
    EXPECT_EQ(rowImage(list(), 1), kHostImage);

    whenShown("Add Host or Network", [](HWND dlg) {
        typeAddress(dlg, "10.0.0.5");
        click(GetDlgItem(dlg, IDC_HOSTENTRY_OK));
    });
    click(item(IDC_SECURITY_ADD));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Host \"10.0.0.5\" already exists.");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(targets().size(), 2u);
    EXPECT_EQ(ListView_GetNextItem(list(), -1, LVNI_SELECTED), 1);
    EXPECT_EQ(changedCount, 0);

    // Modify the network and confirm it unchanged.
    clickRow(0);
    EXPECT_TRUE(enabled(IDC_SECURITY_MODIFY));
    auto shown = std::make_shared<std::string>();
    whenShown("Modify Host or Network", [shown](HWND dlg) {
        *shown = text(GetDlgItem(dlg, IDC_HOSTENTRY_ADDRESS));
        click(GetDlgItem(dlg, IDC_HOSTENTRY_OK));
    });
    click(item(IDC_SECURITY_MODIFY));
    EXPECT_EQ(*shown, "192.168.1.0");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Network \"192.168.1.0\" already exists.");
    EXPECT_EQ(changedCount, 0);

    // A double click modifies too; a new address replaces the row.
    whenShown("Modify Host or Network", [](HWND dlg) {
        typeAddress(dlg, "172.16.0.9");
        click(GetDlgItem(dlg, IDC_HOSTENTRY_OK));
    });
    RECT r{};
    ListView_GetItemRect(list(), 1, &r, LVIR_LABEL);
    doubleClickAt(list(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(pendingSteps(), 0);
    EXPECT_EQ(targets(), (std::vector<std::string>{"192.168.1.0", "172.16.0.9"}));
    EXPECT_GE(changedCount, 1);

    // Cancel changes nothing.
    whenShown("Add Host or Network", [](HWND dlg) {
        typeAddress(dlg, "1.2.3.4");
        click(GetDlgItem(dlg, IDC_HOSTENTRY_CANCEL));
    });
    click(item(IDC_SECURITY_ADD));
    EXPECT_EQ(targets().size(), 2u);
}

TEST_F(SecurityPage, DeletingTheOnlyRowAllowsAllAndAnEmptyDenyAllCanBeReconsidered) {
    startGalleon("WideConfig=1\nhost-access-policy=2\n", "[photo-host-access]\n10.0.0.5\n");
    ASSERT_TRUE(galleon.waitRunning());
    EXPECT_EQ(httpGet(galleon.port, "/").status, 403);  // only 10.0.0.5 may connect
    openPage(kSecurityPage);
    EXPECT_TRUE(checked(IDC_SECURITY_DENY));
    EXPECT_FALSE(enabled(IDC_SECURITY_AUTO_REJECT));

    clickRow(0);
    click(item(IDC_SECURITY_DELETE));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to delete Host 10.0.0.5?");
    EXPECT_TRUE(targets().empty());
    EXPECT_TRUE(checked(IDC_SECURITY_ALLOW));
    EXPECT_FALSE(checked(IDC_SECURITY_DENY));
    EXPECT_TRUE(enabled(IDC_SECURITY_AUTO_REJECT));
    EXPECT_FALSE(enabled(IDC_SECURITY_DELETE));
    EXPECT_FALSE(enabled(IDC_SECURITY_CLEAR));

    // Deny all again, with nobody excepted: the page asks, and No keeps it.
    click(item(IDC_SECURITY_DENY));
    EXPECT_FALSE(enabled(IDC_SECURITY_AUTO_REJECT));
    answers = {IDNO};
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_INVALID_NOCHANGEPAGE);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "You are blocking access to this server from all hosts. Are you sure you want to continue?");
    EXPECT_EQ(httpGet(galleon.port, "/").status, 403);
    EXPECT_EQ(statusFrom(galleon.port, "127.0.0.2"), 403);

    // Allowing all instead needs no question and lets everyone in.
    click(item(IDC_SECURITY_ALLOW));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(httpGet(galleon.port, "/").status, 200);

    closePage();
    galleon.stop();
    std::string saved = galleon.readFile("cradle.ini");
    EXPECT_NE(saved.find("host-access-policy=1"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("10.0.0.5"), std::string::npos) << saved;
}

TEST_F(SecurityPage, DenyAllWithAnEmptyListAppliesOnceConfirmed) {
    startGalleon("WideConfig=1\n");
    ASSERT_TRUE(galleon.waitRunning());
    openPage(kSecurityPage);
    click(item(IDC_SECURITY_DENY));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);  // answered Yes
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(httpGet(galleon.port, "/").status, 403);
}

TEST_F(SecurityPage, InPlaceEditsTakeOnlyWholeDottedAddresses) {
    startGalleon("WideConfig=1\nEnable=0\n", "[photo-host-access]\n10.0.0.5\n10.0.0.6\n");
    openPage(kSecurityPage);
    auto editRow = [&](int row, const std::string& typed) {
        if (ListView_GetNextItem(list(), -1, LVNI_SELECTED) != row) clickRow(row);
        key(list(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "no editor for row " << row;
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QString::fromStdString(typed));
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
    };
    editRow(0, "bad.host");
    EXPECT_EQ(targets()[0], "10.0.0.5");
    editRow(0, "10.1.2");  // a short form inet_addr would take; the server could not match it
    EXPECT_EQ(targets()[0], "10.0.0.5");
    EXPECT_EQ(changedCount, 0);
    editRow(0, "10.0.0.6");  // another row's address
    EXPECT_EQ(targets(), (std::vector<std::string>{"10.0.0.5", "10.0.0.6"}));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "Host \"10.0.0.6\" already exists.");

    editRow(0, "192.168.7.0");
    EXPECT_EQ(targets()[0], "192.168.7.0");
    EXPECT_EQ(rowImage(list(), 0), kNetworkImage);
    EXPECT_GE(changedCount, 1);
    editRow(0, "192.168.7.10");
    EXPECT_EQ(rowImage(list(), 0), kHostImage);
}

TEST_F(SecurityPage, ClearEmptiesTheServersListAtOnce) {
    startGalleon("WideConfig=1\n", "[photo-host-access]\n127.0.0.2\n127.0.0.0\n");
    ASSERT_TRUE(galleon.waitRunning());
    EXPECT_EQ(httpGet(galleon.port, "/").status, 403);  // 127.0.0.0 is every 127.x.x.x
    openPage(kSecurityPage);
    answers = {IDNO};
    click(item(IDC_SECURITY_CLEAR));
    EXPECT_EQ(targets().size(), 2u);
    click(item(IDC_SECURITY_CLEAR));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Are you sure you want to clear all host entries?");
    EXPECT_TRUE(targets().empty());
    EXPECT_FALSE(enabled(IDC_SECURITY_CLEAR));
    EXPECT_FALSE(enabled(IDC_SECURITY_MODIFY));
    // Without Apply.
    EXPECT_EQ(httpGet(galleon.port, "/").status, 200);
    EXPECT_EQ(statusFrom(galleon.port, "127.0.0.2"), 200);
}

TEST_F(SecurityPage, TheHeaderSortsAddressesByNumber) {
    startGalleon("WideConfig=1\nEnable=0\n", "[photo-host-access]\n10.0.0.2\n192.168.1.0\n9.255.255.255\n");
    openPage(kSecurityPage);
    HWND header = ListView_GetHeader(list());
    RECT r{};
    Header_GetItemRect(header, 0, &r);
    clickAt(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(targets(), (std::vector<std::string>{"9.255.255.255", "10.0.0.2", "192.168.1.0"}));
    clickAt(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(targets(), (std::vector<std::string>{"192.168.1.0", "10.0.0.2", "9.255.255.255"}));
}

}  // namespace
