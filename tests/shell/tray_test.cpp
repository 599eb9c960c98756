// The notification area against a test watcher, a test notification daemon
// and a test panel on a private session bus.
#include "bus_session.h"
#include "res_image.h"
#include "shell/tray_host.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

using namespace platform;
using namespace platform::ui::shell;
using shelltest::pumpUntil;

namespace {

constexpr UINT kCallback = 0x8000 + 7;

struct Posted {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Posted &) const = default;
};

class RecordingHost : public TrayHost {
public:
    void post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override { posted.push_back({hwnd, msg, wParam, lParam}); }
    std::optional<TrayMenu> contextMenu(HWND hwnd, UINT, UINT) override {
        ++menuRequests;
        auto it = menus.find(hwnd);
        if (it == menus.end()) return std::nullopt;
        return it->second;
    }
    void taskbarChanged(bool present) override { taskbar.push_back(present); }

    bool sawPost(const Posted &p) const { return std::find(posted.begin(), posted.end(), p) != posted.end(); }

    std::vector<Posted> posted;
    std::map<HWND, TrayMenu> menus;
    std::vector<bool> taskbar;
    int menuRequests = 0;
};

HWND fakeWindow(int n) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4000 + 4 * n)); }

// A solid icon of one colour (red, green, blue, alpha).
HICON solidIcon(int size, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    auto image = std::make_shared<Image>(size, size);
    for (size_t i = 0; i < image->rgba.size(); i += 4) {
        image->rgba[i] = r;
        image->rgba[i + 1] = g;
        image->rgba[i + 2] = b;
        image->rgba[i + 3] = a;
    }
    return iconCreate(image);
}

NOTIFYICONDATAA record(HWND hwnd, UINT id, DWORD size = NOTIFYICONDATAA_V1_SIZE) {
    NOTIFYICONDATAA nid;
    std::memset(&nid, 0, sizeof nid);
    nid.cbSize = size;
    nid.hWnd = hwnd;
    nid.uID = id;
    return nid;
}

BOOL addIcon(HWND hwnd, UINT id, HICON icon, const char *tip, UINT flags = NIF_MESSAGE | NIF_ICON | NIF_TIP) {
    NOTIFYICONDATAA nid = record(hwnd, id);
    nid.uFlags = flags;
    nid.uCallbackMessage = kCallback;
    nid.hIcon = icon;
    std::strncpy(nid.szTip, tip, sizeof nid.szTip - 1);
    return Shell_NotifyIconA(NIM_ADD, &nid);
}

BOOL deleteIcon(HWND hwnd, UINT id) {
    NOTIFYICONDATAA nid = record(hwnd, id);
    return Shell_NotifyIconA(NIM_DELETE, &nid);
}

std::string lineStarting(const std::vector<std::string> &lines, const std::string &prefix) {
    for (const std::string &line : lines)
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "<missing " + prefix + ">";
}

// One bus and one set of stand-ins for the whole program: the layer under
// test connects to the session bus once per process.
class BusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        session = new shelltest::BusSession();
        ok = session->startBus() && session->startWatcher() && session->startNotifications() && session->startPanel();
    }
    void TearDown() override {
        session->stop();
        delete session;
        session = nullptr;
    }
    static shelltest::BusSession *session;
    static bool ok;
};

shelltest::BusSession *BusEnvironment::session = nullptr;
bool BusEnvironment::ok = false;
[[maybe_unused]] ::testing::Environment *const busEnvironment =
    ::testing::AddGlobalTestEnvironment(new BusEnvironment);

class TrayBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BusEnvironment::ok) << "private bus or its doubles did not start";
        session = BusEnvironment::session;
        traySetHost(&host);
    }
    void TearDown() override {
        for (auto [hwnd, id] : added) deleteIcon(hwnd, id);
        pumpUntil([] { return session->panel("items").empty(); });
        traySetHost(nullptr);
    }

    BOOL add(HWND hwnd, UINT id, HICON icon, const char *tip, UINT flags = NIF_MESSAGE | NIF_ICON | NIF_TIP) {
        BOOL result = addIcon(hwnd, id, icon, tip, flags);
        if (result) added.emplace_back(hwnd, id);
        return result;
    }

    std::vector<std::string> items() { return session->panel("items"); }
    // Waits until the watcher lists n items and returns them.
    std::vector<std::string> waitForItems(size_t n) {
        std::vector<std::string> list;
        pumpUntil([&] { return (list = items()).size() == n; });
        return list;
    }

    static inline shelltest::BusSession *session = nullptr;
    RecordingHost host;
    std::vector<std::pair<HWND, UINT>> added;
};


TEST_F(TrayBusTest, ItemShowsIconPixmapAndTooltipAndFollowsModify) {
    ASSERT_TRUE(add(fakeWindow(1), 0, solidIcon(16, 0x10, 0x20, 0x30, 0xff), "cradle (offline)"));
    std::vector<std::string> list = waitForItems(1);
    ASSERT_EQ(list.size(), 1u);
    const std::string service = list[0];

    auto props = session->panel("props " + service);
    EXPECT_EQ(lineStarting(props, "Id="), "cradle-0");
    EXPECT_EQ(lineStarting(props, "Title="), "cradle");
    EXPECT_EQ(lineStarting(props, "Status="), "Active");
    EXPECT_EQ(lineStarting(props, "Category="), "ApplicationStatus");
    EXPECT_EQ(lineStarting(props, "ItemIsMenu="), "0");
    EXPECT_EQ(lineStarting(props, "Menu="), "/MenuBar");
    EXPECT_EQ(lineStarting(props, "ToolTip.title="), "cradle (offline)");
    // Alpha first, then red, green and blue: ARGB32 in network byte order.
    EXPECT_EQ(lineStarting(props, "IconPixmap.count="), "1");
    EXPECT_EQ(lineStarting(props, "IconPixmap.0="), "16x16:1024:ff102030ff102030");

    // A new image and tooltip; then only the tooltip, which keeps the image.
    NOTIFYICONDATAA nid = record(fakeWindow(1), 0);
    nid.uFlags = NIF_ICON | NIF_TIP;
    nid.hIcon = solidIcon(32, 0, 0xff, 0, 0x80);
    std::strcpy(nid.szTip, "cradle (online)");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    pumpUntil([&] { return session->panel("signals " + service + " NewIcon") == std::vector<std::string>{"1"}; });
    props = session->panel("props " + service);
    EXPECT_EQ(lineStarting(props, "IconPixmap.0="), "32x32:4096:8000ff008000ff00");
    EXPECT_EQ(lineStarting(props, "ToolTip.title="), "cradle (online)");

    nid.uFlags = NIF_TIP;
    std::strcpy(nid.szTip, "cradle: 2 plug-ins");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    props = session->panel("props " + service);
    EXPECT_EQ(lineStarting(props, "ToolTip.title="), "cradle: 2 plug-ins");
    EXPECT_EQ(lineStarting(props, "IconPixmap.0="), "32x32:4096:8000ff008000ff00");
    EXPECT_EQ(session->panel("signals " + service + " NewToolTip"), std::vector<std::string>{"2"});

    // Hidden through the state flags: the item turns passive, not gone.
    nid = record(fakeWindow(1), 0, NOTIFYICONDATAA_V2_SIZE);
    nid.uFlags = NIF_STATE;
    nid.dwState = NIS_HIDDEN;
    nid.dwStateMask = NIS_HIDDEN;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(lineStarting(session->panel("props " + service), "Status="), "Passive");
}

TEST_F(TrayBusTest, RecordLayoutsAndRefusedCalls) {
    HWND hwnd = fakeWindow(2);
    // The first layout carries 63 characters of tooltip, the second 127.
    std::string longTip(200, 'x');
    NOTIFYICONDATAA nid = record(hwnd, 5, NOTIFYICONDATAA_V1_SIZE);
    nid.uFlags = NIF_TIP;
    std::memcpy(nid.szTip, longTip.data(), sizeof nid.szTip);  // no terminator at all
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    added.emplace_back(hwnd, 5);
    std::string service = waitForItems(1).at(0);
    EXPECT_EQ(lineStarting(session->panel("props " + service), "ToolTip.title="), std::string(63, 'x'));
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_EQ(lineStarting(session->panel("props " + service), "ToolTip.title="), std::string(127, 'x'));

    // This build's own record size is the newest layout.
    nid.cbSize = sizeof(NOTIFYICONDATAA);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));

    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &nid)) << "the icon exists already";
    nid.cbSize = 100;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &nid)) << "unknown layout";
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, nullptr));
    NOTIFYICONDATAA other = record(hwnd, 6);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &other)) << "no such icon";
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &other));
    EXPECT_FALSE(Shell_NotifyIconA(42, &other));
}

TEST_F(TrayBusTest, SeveralIconsOfOneProcessAndDeleteUnregisters) {
    ASSERT_TRUE(add(fakeWindow(3), 0, solidIcon(16, 255, 0, 0), "first"));
    ASSERT_TRUE(add(fakeWindow(3), 1, solidIcon(16, 0, 255, 0), "second"));
    ASSERT_TRUE(add(fakeWindow(4), 0, solidIcon(16, 0, 0, 255), "third"));
    std::vector<std::string> list = waitForItems(3);
    ASSERT_EQ(list.size(), 3u);
    std::map<std::string, std::string> serviceOfTip;
    for (const std::string &service : list)
        serviceOfTip[lineStarting(session->panel("props " + service), "ToolTip.title=")] = service;
    ASSERT_EQ(serviceOfTip.size(), 3u) << "each icon is its own item";
    EXPECT_EQ(lineStarting(session->panel("props " + serviceOfTip["second"]), "Id="), "cradle-1");

    ASSERT_TRUE(deleteIcon(fakeWindow(3), 1));
    list = waitForItems(2);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(std::count(list.begin(), list.end(), serviceOfTip["second"]), 0);
    EXPECT_FALSE(deleteIcon(fakeWindow(3), 1)) << "already gone";
    EXPECT_EQ(lineStarting(session->panel("props " + serviceOfTip["third"]), "ToolTip.title="), "third");
}

TEST_F(TrayBusTest, ClicksArriveAsCallbackMessages) {
    HWND hwnd = fakeWindow(5);
    ASSERT_TRUE(add(hwnd, 3, solidIcon(16, 1, 2, 3), "clicks"));
    ASSERT_TRUE(add(hwnd, 4, solidIcon(16, 1, 2, 3), "no callback", NIF_ICON | NIF_TIP));
    std::vector<std::string> list = waitForItems(2);
    ASSERT_EQ(list.size(), 2u);
    std::string withCallback, without;
    for (const std::string &s : list)
        (lineStarting(session->panel("props " + s), "ToolTip.title=") == "clicks" ? withCallback : without) = s;

    EXPECT_EQ(session->panel("call " + withCallback + " Activate 10 20"), std::vector<std::string>{"ok"});
    EXPECT_EQ(session->panel("call " + withCallback + " ContextMenu 10 20"), std::vector<std::string>{"ok"});
    ASSERT_EQ(host.posted.size(), 2u);
    EXPECT_EQ(host.posted[0], (Posted{hwnd, kCallback, 3, 0x0203}));  // WM_LBUTTONDBLCLK
    EXPECT_EQ(host.posted[1], (Posted{hwnd, kCallback, 3, 0x0205}));  // WM_RBUTTONUP

    // An icon added without a callback message tells its window nothing.
    EXPECT_EQ(session->panel("call " + without + " Activate 0 0"), std::vector<std::string>{"ok"});
    EXPECT_EQ(host.posted.size(), 2u);
}

TEST_F(TrayBusTest, ExportedMenuShowsTheWindowsMenuAndChoicesArriveAsCommands) {
    HWND hwnd = fakeWindow(6), owner = fakeWindow(7);
    TrayMenu menu;
    menu.owner = owner;
    auto entry = [](UINT id, const char *text) {
        TrayMenuItem item;
        item.commandId = id;
        item.text = text;
        return item;
    };
    menu.items.push_back(entry(140, "&Settings..."));
    menu.items.back().isDefault = true;
    menu.items.push_back(TrayMenuItem());
    menu.items.back().separator = true;
    menu.items.push_back(entry(141, "Pause &uploads\tCtrl+P"));
    menu.items.back().grayed = true;
    TrayMenuItem plugins = entry(0, "Plug_ins && tools");
    plugins.popup = true;
    plugins.children.push_back(entry(1001, "&galleon"));
    plugins.children.back().checked = true;
    menu.items.push_back(plugins);
    menu.items.push_back(entry(142, "&Close"));
    host.menus[hwnd] = menu;

    ASSERT_TRUE(add(hwnd, 0, solidIcon(16, 9, 9, 9), "menu"));
    std::string service = waitForItems(1).at(0);
    std::vector<std::string> expected = {
        "0 children-display=submenu",
        "  1 enabled=1 label=_Settings... x-default=1",
        "  2 type=separator",
        "  3 enabled=0 label=Pause _uploads",
        "  4 children-display=submenu enabled=1 label=Plug__ins & tools",
        "    5 enabled=1 label=_galleon toggle-state=1 toggle-type=checkmark",
        "  6 enabled=1 label=_Close",
    };
    EXPECT_EQ(session->panel("layout " + service), expected);

    // A chosen item is the WM_COMMAND a popup choice posts to the menu's window;
    // grayed items and submenus cannot be chosen.
    EXPECT_EQ(session->panel("event " + service + " 6"), std::vector<std::string>{"ok"});
    EXPECT_EQ(session->panel("event " + service + " 3"), std::vector<std::string>{"ok"});
    EXPECT_EQ(session->panel("event " + service + " 4"), std::vector<std::string>{"ok"});
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0], (Posted{owner, 0x0111, 142, 0}));
    EXPECT_EQ(session->panel("event " + service + " 99"), std::vector<std::string>{"error org.freedesktop.DBus.Error.InvalidArgs"});

    // The window's menu changed: the next opening shows the new one.
    int before = std::stoi(session->panel("signals " + service + " LayoutUpdated").at(0));
    host.menus[hwnd].items[2].grayed = false;
    std::vector<std::string> layout = session->panel("layout " + service);
    EXPECT_EQ(layout.at(3), "  3 enabled=1 label=Pause _uploads");
    EXPECT_GT(std::stoi(session->panel("signals " + service + " LayoutUpdated").at(0)), before);
    session->panel("event " + service + " 3");
    EXPECT_TRUE(host.sawPost({owner, 0x0111, 141, 0}));

    // Several clicks in one call; unknown ids come back as errors.
    host.posted.clear();
    EXPECT_EQ(session->panel("eventgroup " + service + " 1 77 5"), std::vector<std::string>{"errors=77"});
    EXPECT_EQ(host.posted, (std::vector<Posted>{{owner, 0x0111, 140, 0}, {owner, 0x0111, 1001, 0}}));
}

class BalloonTest : public TrayBusTest {
protected:
    BOOL balloon(HWND hwnd, UINT id, const std::string &title, const std::string &text, DWORD flags, UINT timeout,
                 DWORD size = NOTIFYICONDATAA_V2_SIZE) {
        NOTIFYICONDATAA nid = record(hwnd, id, size);
        nid.uFlags = NIF_INFO;
        std::strncpy(nid.szInfoTitle, title.c_str(), sizeof nid.szInfoTitle);
        std::strncpy(nid.szInfo, text.c_str(), sizeof nid.szInfo);
        nid.dwInfoFlags = flags;
        nid.uTimeout = timeout;
        return Shell_NotifyIconA(NIM_MODIFY, &nid);
    }
    std::vector<std::string> sent() { return session->panel("notifications"); }
    std::vector<std::string> waitForSent(size_t n) {
        std::vector<std::string> list;
        pumpUntil([&] { return (list = sent()).size() >= n; });
        return list;
    }
    bool waitForPost(const Posted &p) {
        return pumpUntil([&] { return host.sawPost(p); });
    }
};

TEST_F(BalloonTest, BalloonsAreNotificationsAndClicksComeBack) {
    HWND hwnd = fakeWindow(8);
    ASSERT_TRUE(add(hwnd, 0, solidIcon(16, 200, 100, 50), "balloons"));
    size_t base = sent().size();

    ASSERT_TRUE(balloon(hwnd, 0, "galleon", "Server started on port 8888", NIIF_WARNING, 15000));
    std::vector<std::string> list = waitForSent(base + 1);
    ASSERT_EQ(list.size(), base + 1);
    std::string first = list.back();
    std::string id = first.substr(0, first.find('|'));
    EXPECT_EQ(first, id + "|cradle|0|dialog-warning|galleon|Server started on port 8888|default,|15000|");
    ASSERT_TRUE(waitForPost({hwnd, kCallback, 0, NIN_BALLOONSHOW}));

    session->panel("click " + id);
    ASSERT_TRUE(waitForPost({hwnd, kCallback, 0, NIN_BALLOONUSERCLICK}));
    // The close that follows a click is not a time-out.
    pumpUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_FALSE(host.sawPost({hwnd, kCallback, 0, NIN_BALLOONTIMEOUT}));

    // The icon's own image, no sound, the short time-out raised to the least a
    // balloon stays, the text cut to 255 characters; the 504-byte layout too.
    std::string longText(300, 'y');
    ASSERT_TRUE(balloon(hwnd, 0, "Title", longText, NIIF_USER | NIIF_NOSOUND, 100, NOTIFYICONDATAA_V3_SIZE));
    list = waitForSent(base + 2);
    ASSERT_EQ(list.size(), base + 2);
    std::string second = list.back();
    std::string secondId = second.substr(0, second.find('|'));
    EXPECT_EQ(second, secondId + "|cradle|0||Title|" + std::string(255, 'y') +
                          "|default,|10000|image-data=16x16:1024;suppress-sound=1");

    // A balloon while one is up replaces it; an empty text takes it down.
    ASSERT_TRUE(balloon(hwnd, 0, "Again", "replaced", NIIF_INFO, 20000));
    list = waitForSent(base + 3);
    EXPECT_EQ(list.back(), secondId + "|cradle|" + secondId + "|dialog-information|Again|replaced|default,|20000|");
    ASSERT_TRUE(balloon(hwnd, 0, "", "", NIIF_NONE, 0));
    list = waitForSent(base + 4);
    EXPECT_EQ(list.back(), "closed " + secondId);
    ASSERT_TRUE(waitForPost({hwnd, kCallback, 0, NIN_BALLOONHIDE}));

    // One that times out says so.
    ASSERT_TRUE(balloon(hwnd, 0, "Late", "nobody looked", NIIF_ERROR, 10000));
    list = waitForSent(base + 5);
    std::string last = list.back();
    session->panel("expire " + last.substr(0, last.find('|')));
    EXPECT_TRUE(waitForPost({hwnd, kCallback, 0, NIN_BALLOONTIMEOUT}));

    // A balloon needs its icon; the first layout carries none.
    EXPECT_FALSE(balloon(fakeWindow(9), 0, "x", "y", NIIF_INFO, 10000));
    size_t count = sent().size();
    EXPECT_TRUE(balloon(hwnd, 0, "v1", "ignored", NIIF_INFO, 10000, NOTIFYICONDATAA_V1_SIZE));
    pumpUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(sent().size(), count);
}

TEST_F(TrayBusTest, WatcherRestartLosesAndFindsTheTaskbarAndRegistersAgain) {
    ASSERT_TRUE(add(fakeWindow(10), 0, solidIcon(16, 1, 1, 1), "one"));
    ASSERT_TRUE(add(fakeWindow(10), 1, solidIcon(16, 2, 2, 2), "two"));
    std::vector<std::string> before = waitForItems(2);
    ASSERT_EQ(before.size(), 2u);
    EXPECT_TRUE(trayTaskbarPresent());

    EXPECT_NE(FindWindowA("Shell_TrayWnd", nullptr), nullptr);

    session->stopWatcher();
    EXPECT_TRUE(pumpUntil([] { return !trayTaskbarPresent(); }));
    EXPECT_EQ(host.taskbar, std::vector<bool>{false});
    EXPECT_EQ(FindWindowA("Shell_TrayWnd", nullptr), nullptr);
    // Without a panel the calls still succeed.
    NOTIFYICONDATAA nid = record(fakeWindow(10), 1);
    nid.uFlags = NIF_TIP;
    std::strcpy(nid.szTip, "changed while away");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));

    ASSERT_TRUE(session->startWatcher());
    std::vector<std::string> after = waitForItems(2);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);
    EXPECT_TRUE(trayTaskbarPresent());
    EXPECT_EQ(host.taskbar, (std::vector<bool>{false, true}));
    EXPECT_NE(FindWindowA("Shell_TrayWnd", nullptr), nullptr);
    bool seen = false;
    for (const std::string &s : after)
        seen |= lineStarting(session->panel("props " + s), "ToolTip.title=") == "changed while away";
    EXPECT_TRUE(seen);
}

// Through real windows: the icon's window gets its callbacks from its queue,
// and the menu its right-click handler tracks is what the panel shows.
struct WindowLog {
    std::vector<std::pair<UINT, LPARAM>> callbacks;
    std::vector<WPARAM> commands;
    int popups = 0;
};
WindowLog windowLog;

LRESULT CALLBACK trayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kCallback) {
        windowLog.callbacks.emplace_back(static_cast<UINT>(wParam), lParam);
        if (lParam == WM_RBUTTONUP) {
            POINT pt;
            GetCursorPos(&pt);
            SetForegroundWindow(hwnd);
            HMENU menu = CreatePopupMenu();
            AppendMenuA(menu, MF_STRING, 140, "&Settings...");
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(menu, MF_STRING | MF_GRAYED, 141, "&Help");
            HMENU sub = CreatePopupMenu();
            AppendMenuA(sub, MF_STRING | MF_CHECKED, 1001, "galleon");
            AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Plug-ins");
            AppendMenuA(menu, MF_STRING, 142, "&Close");
            SetMenuDefaultItem(menu, 140, FALSE);
            ++windowLog.popups;
            TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd, nullptr);
            PostMessageA(hwnd, WM_NULL, 0, 0);
            DestroyMenu(menu);
        }
        return 0;
    }
    if (msg == WM_COMMAND) windowLog.commands.push_back(wParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class WindowTrayTest : public TrayBusTest {
protected:
    void SetUp() override {
        TrayBusTest::SetUp();
        traySetHost(nullptr);
        static bool registered = [] {
            WNDCLASSA cls{};
            cls.lpfnWndProc = trayWindowProc;
            cls.lpszClassName = "ShellTrayTestWindow";
            return RegisterClassA(&cls) != 0;
        }();
        ASSERT_TRUE(registered);
        hwnd = CreateWindowExA(0, "ShellTrayTestWindow", "tray owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        windowLog = {};
    }
    void TearDown() override {
        TrayBusTest::TearDown();
        DestroyWindow(hwnd);
    }
    HWND hwnd = nullptr;
};

TEST_F(WindowTrayTest, CallbacksAndTheTrackedMenuReachThePanel) {
    ASSERT_TRUE(add(hwnd, 0, solidIcon(16, 5, 5, 5), "cradle"));
    std::string service = waitForItems(1).at(0);

    session->panel("call " + service + " Activate 0 0");
    ASSERT_TRUE(pumpUntil([] { return !windowLog.callbacks.empty(); }));
    EXPECT_EQ(windowLog.callbacks[0], (std::pair<UINT, LPARAM>{0, WM_LBUTTONDBLCLK}));

    // The panel asks for the menu: the window's handler runs, nothing pops up.
    std::vector<std::string> expected = {
        "0 children-display=submenu",
        "  1 enabled=1 label=_Settings... x-default=1",
        "  2 type=separator",
        "  3 enabled=0 label=_Help",
        "  4 children-display=submenu enabled=1 label=Plug-ins",
        "    5 enabled=1 label=galleon toggle-state=1 toggle-type=checkmark",
        "  6 enabled=1 label=_Close",
    };
    EXPECT_EQ(session->panel("layout " + service), expected);
    EXPECT_GE(windowLog.popups, 1);
    EXPECT_TRUE(windowLog.commands.empty()) << "taking the menu chose nothing";

    session->panel("event " + service + " 6");
    ASSERT_TRUE(pumpUntil([] { return !windowLog.commands.empty(); }));
    EXPECT_EQ(windowLog.commands, std::vector<WPARAM>{142});
}

}  // namespace
