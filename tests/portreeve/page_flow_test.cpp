// The UPnP page of the real plug-in, created and driven the way the host's
// settings window does (a child of a frame, PSN_ notifications, PSM_CHANGED
// back), with real input, against test gateways in a private network.
#include <commctrl.h>

#include "gateway_fixture.h"
#include "pageids.h"
#include "ui_input.h"

#include <fstream>
#include <iterator>

namespace {

using namespace portreevetest;
using namespace uiinput;

struct Box {
    std::string text, caption;
    UINT type;
};
std::vector<Box> g_boxes;
int g_answer = IDYES;

int answerBox(void *, HWND, LPCSTR text, LPCSTR caption, UINT type) {
    g_boxes.push_back({text, caption, type});
    return (type & MB_TYPEMASK) == MB_YESNO ? g_answer : IDOK;
}

int g_changed = 0;

LRESULT CALLBACK frameProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == PSM_CHANGED) {
        ++g_changed;
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

class PageTest : public GatewayTest {
protected:
    void SetUp() override {
        GatewayTest::SetUp();
        if (IsSkipped()) return;
        g_boxes.clear();
        g_answer = IDYES;
        g_changed = 0;
        uiSetMessageBoxHook(answerBox, nullptr);
    }
    void TearDown() override {
        closePage();
        uiSetMessageBoxHook(nullptr, nullptr);
        clearSteps();
        GatewayTest::TearDown();
    }

    // The page as the settings window shows it: template 10 of the plug-in's
    // module, created as a child with the procedure of zelextGetEntryPointProc.
    HWND openPage() {
        HMODULE module = GetModuleHandleA("portreeve.dll");
        auto procOf = zelextProc<PFN_zelextGetEntryPointProc>(GetProcAddress(module, "zelextGetEntryPointProc"));
        auto dlgOf = zelextProc<PFN_zelextGetEntryPointDlg>(GetProcAddress(module, "zelextGetEntryPointDlg"));
        EXPECT_TRUE(procOf && dlgOf);
        if (!frame_) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = frameProc;
            wc.lpszClassName = "PageTestFrame";
            RegisterClassA(&wc);
            frame_ = CreateWindowExA(0, "PageTestFrame", "Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
                                     460, nullptr, nullptr, nullptr, nullptr);
        }
        page_ = CreateDialogParamA(module, MAKEINTRESOURCEA(dlgOf(0)), frame_, procOf(0), 0);
        EXPECT_NE(page_, nullptr) << "the page could not be created: error " << GetLastError() << ", proc "
                                  << (void *)procOf(0) << ", template " << dlgOf(0);
        ShowWindow(page_, SW_SHOW);
        return page_;
    }
    void closePage() {
        if (page_ && IsWindow(page_)) DestroyWindow(page_);
        page_ = nullptr;
        if (frame_ && IsWindow(frame_)) DestroyWindow(frame_);
        frame_ = nullptr;
    }
    LONG_PTR notify(UINT code, LPARAM value = 0) {
        PSHNOTIFY n{};
        n.hdr.hwndFrom = frame_;
        n.hdr.idFrom = 0;
        n.hdr.code = code;
        n.lParam = value;
        SendMessageA(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
        return GetWindowLongPtrA(page_, DWLP_MSGRESULT);
    }
    // OK of the settings window, then the host's closing notification.
    void applyWithOk() {
        EXPECT_EQ(notify(PSN_APPLY, TRUE), PSNRET_NOERROR);
    }

    HWND item(int id) { return GetDlgItem(page_, id); }
    bool enabled(int id) { return IsWindowEnabled(item(id)); }
    std::vector<std::string> routerItems() {
        std::vector<std::string> out;
        HWND box = item(IDC_ROUTER);
        int n = (int)SendMessageA(box, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            char text[256] = "";
            SendMessageA(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }
    int routerSelection() { return (int)SendMessageA(item(IDC_ROUTER), CB_GETCURSEL, 0, 0); }
    std::vector<std::string> services() {
        std::vector<std::string> out;
        HWND list = item(IDC_SERVICES);
        int n = ListView_GetItemCount(list);
        for (int i = 0; i < n; ++i) {
            char text[128] = "";
            ListView_GetItemText(list, i, 0, text, sizeof text);
            out.push_back(text);
        }
        return out;
    }
    int serviceImage(int index) {
        LVITEMA it{};
        it.mask = LVIF_IMAGE;
        it.iItem = index;
        ListView_GetItem(item(IDC_SERVICES), &it);
        return it.iImage;
    }
    void clickServicePart(int index, int part) {
        HWND list = item(IDC_SERVICES);
        RECT r{};
        ListView_GetItemRect(list, index, &r, part);
        clickAt(list, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // Fills the service editor and its port editors: one row per range.
    void scriptServiceEditor(const std::string &name, bool enable, std::vector<std::array<int, 3>> ranges,
                             std::function<void(HWND)> beforeOk = nullptr) {
        auto rows = std::make_shared<std::vector<std::array<int, 3>>>(ranges);
        whenShown("Add Service", [=, this](HWND dlg) {
            HWND nameBox = GetDlgItem(dlg, IDC_SERVICE_NAME);
            click(nameBox);
            typeText(nameBox, name);
            if (enable) click(GetDlgItem(dlg, IDC_SERVICE_ENABLE));
            for (const auto &r : *rows) {
                whenShown("Add Ports", [r](HWND ports) {
                    HWND from = GetDlgItem(ports, IDC_PORT_FROM), to = GetDlgItem(ports, IDC_PORT_TO);
                    click(from);
                    typeText(from, std::to_string(r[0]));
                    click(to);
                    if (r[1] != r[0]) typeText(to, std::to_string(r[1]));
                    if (r[2] == 2) click(GetDlgItem(ports, IDC_PORT_UDP));
                    click(GetDlgItem(ports, IDOK));
                });
                click(GetDlgItem(dlg, IDC_PORT_ADD));
            }
            if (beforeOk) beforeOk(dlg);
            click(GetDlgItem(dlg, IDOK));
        });
    }

    HWND frame_ = nullptr;
    HWND page_ = nullptr;
};

const char *kTwoServices = "[waymark-services]\nWeb=1:TCP(70-90)\nMail=1:TCP(2525-2525)\n";

TEST_F(PageTest, AutoDeviceSelectsNoneAndApplyingNoneConfiguresNothingUntilAllDevicesAreSet) {
    harness::Gateway &one = gateway("10.77.0.1", 1);
    harness::Gateway &two = gateway("10.77.0.2", 2, [](harness::GatewayOptions &o) { o.answerDelayMs = 500; });
    start(kTwoServices);
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 configured for service Mail")) << dump();
    // Device back to "AUTO", as a user may write it; the worker takes the
    // first gateway only at start-up, so it stays (and names no gateway).
    setIni("upnp", "Device", "AUTO");
    ASSERT_EQ(wakeWithReload(), 0);

    openPage();
    EXPECT_EQ(routerItems(), (std::vector<std::string>{"None", "10.77.0.1: Gateway 1 (Maker 1)",
                                                         "10.77.0.2: Gateway 2 (Maker 2)"}));
    EXPECT_EQ(routerSelection(), 0);
    EXPECT_FALSE(enabled(IDC_SERVICES));
    EXPECT_FALSE(enabled(IDC_SERVICE_ADD));
    EXPECT_FALSE(enabled(IDC_SERVICE_EDIT));
    EXPECT_FALSE(enabled(IDC_SERVICE_DELETE));
    EXPECT_TRUE(enabled(IDC_ADVANCED));
    EXPECT_TRUE(screenshot(page_, "page-none"));

    // The user picks the second gateway and then "None" again with the keyboard.
    HWND router = item(IDC_ROUTER);
    focus(router);
    SendMessageA(router, CB_SETCURSEL, 2, 0);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_ROUTER, CBN_SELCHANGE), reinterpret_cast<LPARAM>(router));
    EXPECT_TRUE(enabled(IDC_SERVICES));
    EXPECT_TRUE(enabled(IDC_SERVICE_ADD));
    SendMessageA(router, CB_SETCURSEL, 0, 0);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_ROUTER, CBN_SELCHANGE), reinterpret_cast<LPARAM>(router));
    EXPECT_FALSE(enabled(IDC_SERVICES));
    EXPECT_GE(g_changed, 1);

    size_t oneBefore = one.actions().size(), twoBefore = two.actions().size();
    applyWithOk();
    EXPECT_EQ(ini("Device"), "NONE");
    // The woken pass configures no gateway: its reconciliation finds every
    // service still enabled and nothing is sent.
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    EXPECT_EQ(one.actions().size(), oneBefore);
    EXPECT_EQ(two.actions().size(), twoBefore);

    // All devices, through the Advanced sheet's Settings page: written to
    // section "upnp" and in effect at the next pass, which the page's apply
    // starts.
    whenShown("Advanced...", [](HWND sheet) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        EXPECT_TRUE(screenshot(sheet, "advanced-settings"));
        click(GetDlgItem(page, IDC_CONFIGURE_ALL));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    click(item(IDC_ADVANCED));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    EXPECT_EQ(ini("ConfigureAllDevices"), "1");
    applyWithOk();
    ASSERT_TRUE(waitFor("Device Gateway 2 (Maker 2) at address 10.77.0.2 configured for service Mail")) << dump();
    EXPECT_GT(one.actions().size(), oneBefore);
}

TEST_F(PageTest, AServiceAddedThroughTheEditorsIsForwardedAndADisabledOneRemoved) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start(std::string("[upnp]\nDevice=") + uuidFor(1) + "\n" + kTwoServices);
    ASSERT_TRUE(waitFor("configured for service Mail")) << dump();
    openPage();
    EXPECT_EQ(routerSelection(), 1);
    EXPECT_TRUE(enabled(IDC_SERVICES));
    EXPECT_TRUE(enabled(IDC_SERVICE_ADD));
    EXPECT_FALSE(enabled(IDC_SERVICE_EDIT));

    std::vector<std::string> rowsShown;
    scriptServiceEditor("Remote", true, {{8000, 8000, 1}}, [&](HWND dlg) {
        HWND ports = GetDlgItem(dlg, IDC_PORTS);
        char text[16];
        for (int c = 0; c < 3; ++c) {
            ListView_GetItemText(ports, 0, c, text, sizeof text);
            rowsShown.push_back(text);
        }
        EXPECT_TRUE(screenshot(dlg, "service-editor"));
    });
    click(item(IDC_SERVICE_ADD));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    EXPECT_EQ(rowsShown, (std::vector<std::string>{"8000", "8000", "TCP"}));
    EXPECT_EQ(services(), (std::vector<std::string>{"Web", "Mail", "Remote"}));
    EXPECT_FALSE(enabled(IDC_SERVICE_EDIT));
    EXPECT_TRUE(screenshot(page_, "page"));

    size_t before = gw.actions().size();
    applyWithOk();
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 configured for service Remote")) << dump();
    auto sent = from(gw.actions(), before);
    EXPECT_NE(std::find(sent.begin(), sent.end(), add("/ctl/ipconn", 8000, "TCP", PC, 1)), sent.end());
    char value[128] = "";
    GetPrivateProfileStringA("waymark-services", "Remote", "", value, sizeof value, host_.configPath().c_str());
    EXPECT_STREQ(value, "1:TCP(8000-8000)");

    // A click on the mark disables it; the router box waits for the apply.
    clickServicePart(2, LVIR_ICON);
    EXPECT_EQ(serviceImage(2), 3);
    EXPECT_FALSE(enabled(IDC_ROUTER));
    EXPECT_TRUE(enabled(IDC_SERVICE_EDIT));
    before = gw.actions().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    applyWithOk();
    EXPECT_TRUE(enabled(IDC_ROUTER));
    ASSERT_TRUE(waitFor("successfully removed forwarding on TCP port 8000")) << dump();
    sent = from(gw.actions(), before);
    EXPECT_NE(std::find(sent.begin(), sent.end(), del("/ctl/ipconn", 8000, "TCP")), sent.end());
}

TEST_F(PageTest, OverlapsAreRefusedWithTheSinglePortMessageAndTheEditorStaysOpen) {
    gateway("10.77.0.1", 1);
    start(std::string("[upnp]\nDevice=") + uuidFor(1) + "\n" + kTwoServices);
    ASSERT_TRUE(waitFor("configured for service Mail")) << dump();
    openPage();
    bool stayedOpen = false;
    scriptServiceEditor("Http", true, {{80, 80, 1}}, [&](HWND dlg) {
        // OK with the overlapping row: the message, and the editor stays.
        click(GetDlgItem(dlg, IDOK));
        stayedOpen = IsWindowVisible(dlg);
        // The row is changed to a free port, then OK again.
        HWND ports = GetDlgItem(dlg, IDC_PORTS);
        ListView_SetItemState(ports, 0, LVIS_SELECTED, LVIS_SELECTED);
        whenShown("Add Ports", [](HWND p) {
            SetDlgItemTextA(p, IDC_PORT_FROM, "");
            typeText(GetDlgItem(p, IDC_PORT_FROM), "8080");
            SetDlgItemTextA(p, IDC_PORT_TO, "");
            typeText(GetDlgItem(p, IDC_PORT_TO), "8080");
            click(GetDlgItem(p, IDOK));
        });
        click(GetDlgItem(dlg, IDC_PORT_EDIT));
    });
    click(item(IDC_SERVICE_ADD));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, "TCP port 80 overlaps an existing service configuration.");
    EXPECT_EQ(g_boxes[0].caption, "upnp");
    EXPECT_EQ(services(), (std::vector<std::string>{"Web", "Mail", "Http"}));
}

TEST_F(PageTest, CancellingTheSettingsWindowBringsADeletedServiceBack) {
    gateway("10.77.0.1", 1);
    start(std::string("[upnp]\nDevice=") + uuidFor(1) + "\n" + kTwoServices);
    ASSERT_TRUE(waitFor("configured for service Mail")) << dump();
    openPage();
    clickServicePart(0, LVIR_LABEL);
    EXPECT_TRUE(enabled(IDC_SERVICE_DELETE));
    g_answer = IDNO;
    click(item(IDC_SERVICE_DELETE));
    EXPECT_EQ(services(), (std::vector<std::string>{"Web", "Mail"}));
    g_answer = IDYES;
    click(item(IDC_SERVICE_DELETE));
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[1].text, "Are you sure you want to remove service definition Web?");
    EXPECT_EQ(g_boxes[1].type & MB_ICONMASK, (UINT)MB_ICONQUESTION);
    EXPECT_EQ(services(), (std::vector<std::string>{"Mail"}));

    // Cancel: the settings window closes without applying.
    closePage();
    openPage();
    EXPECT_EQ(services(), (std::vector<std::string>{"Web", "Mail"}));
}

}  // namespace

namespace {

// The Log page: a link to the help topic about the logging plug-in while
// none is loaded; with it, the list that its zelextLogDisplay fills.
TEST_F(PageTest, TheLogPageLinksToTheLoggingPluginTopicWithoutIt) {
    gateway("10.77.0.1", 1);
    start(std::string("[upnp]\nDevice=") + uuidFor(1) + "\n" + kTwoServices);
    std::string record = work_ + "/help-record.txt";
    setenv("SUITE_HELP_RECORD", record.c_str(), 1);
    setenv("XDG_CACHE_HOME", (work_ + "/cache").c_str(), 1);
    openPage();
    bool linkShown = false, listShown = true;
    whenShown("Advanced...", [&](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 1);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        linkShown = IsWindowVisible(GetDlgItem(page, IDC_LOG_LINK));
        listShown = IsWindowVisible(GetDlgItem(page, IDC_LOG_LIST));
        EXPECT_TRUE(screenshot(sheet, "advanced-log-link"));
        click(GetDlgItem(page, IDC_LOG_LINK));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    click(item(IDC_ADVANCED));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    unsetenv("SUITE_HELP_RECORD");
    EXPECT_TRUE(linkShown);
    EXPECT_FALSE(listShown);
    std::ifstream in(record);
    std::string opened((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(opened.find("logging.html"), std::string::npos) << opened;
    // A cancelled sheet changes nothing on the page.
    EXPECT_EQ(g_changed, 0);
}

TEST_F(PageTest, TheLogPageListsTheRecordsOfTheLoggingPlugin) {
    gateway("10.77.0.1", 1);
    host_.addDistPlugin("logbook.dll");
    host_.setLogCollector(false);
    start(std::string("[upnp]\nDevice=") + uuidFor(1) + "\n" + kTwoServices);
    HMODULE logbook = GetModuleHandleA("logbook.dll");
    ASSERT_NE(logbook, nullptr);
    openPage();
    std::vector<std::string> messages;
    bool linkShown = true;
    whenShown("Advanced...", [&](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 1);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        HWND list = GetDlgItem(page, IDC_LOG_LIST);
        linkShown = IsWindowVisible(GetDlgItem(page, IDC_LOG_LINK));
        // The first pass's records reach the log file while the sheet is open.
        pumpUntil([&] {
            int n = ListView_GetItemCount(list);
            for (int i = 0; i < n; ++i) {
                char text[512] = "";
                ListView_GetItemText(list, i, 1, text, sizeof text);
                if (std::string(text).find("configured for service Mail") != std::string::npos) return true;
            }
            return false;
        }, PASS_TIMEOUT_MS);
        int n = ListView_GetItemCount(list);
        for (int i = 0; i < n; ++i) {
            char text[512] = "";
            ListView_GetItemText(list, i, 1, text, sizeof text);
            messages.push_back(text);
        }
        EXPECT_TRUE(screenshot(sheet, "advanced-log"));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    click(item(IDC_ADVANCED));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }, PASS_TIMEOUT_MS + 10000));
    EXPECT_FALSE(linkShown);
    bool configured = false;
    for (const std::string &m : messages) configured = configured || m.find("configured for service Mail") != std::string::npos;
    EXPECT_TRUE(configured) << messages.size() << " rows";
}

}  // namespace
