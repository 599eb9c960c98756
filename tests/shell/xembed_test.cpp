// Without a status notifier watcher, the icon docks into an X system tray:
// a small tray manager here owns the tray selection of a private X server
// and takes the icon's window in. The exported menu is rendered too, as a
// panel that draws D-Bus menus itself would show it. Both pictures go to
// screenshots/shell/ of the build.
#include "bus_session.h"
#include "res_image.h"
#include "shell/tray_host.h"

#include <shellapi.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstring>

using platform::Image;
using shelltest::pumpUntil;

namespace {

const QString kShotDir = QStringLiteral(SUITE_BINARY_DIR "/screenshots/shell");

// The X server, the bus (with a panel but no watcher) and the environment,
// before the first user-interface call.
class XEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ok = xvfb.start({"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        std::string display;
        ok = ok && xvfb.readLine(&display, std::chrono::seconds(20), nullptr) && !display.empty();
        if (!ok) return;
        setenv("DISPLAY", (":" + display).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        ok = bus.startBus() && bus.startPanel();
    }
    void TearDown() override {
        bus.stop();
        xvfb.stop();
    }
    static inline shelltest::Child xvfb;
    static inline shelltest::BusSession bus;
    static inline bool ok = false;
};
[[maybe_unused]] ::testing::Environment *const xEnvironment = ::testing::AddGlobalTestEnvironment(new XEnvironment);

xcb_atom_t atom(xcb_connection_t *c, const char *name) {
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    free(reply);
    return a;
}

// A system tray: owns _NET_SYSTEM_TRAY_S0, announces itself, and docks the
// windows that ask, side by side.
class TestTray : public QAbstractNativeEventFilter {
public:
    TestTray() {
        panel.setWindowFlags(Qt::FramelessWindowHint);
        panel.setStyleSheet(QStringLiteral("background: #3c3f41"));
        panel.setGeometry(400, 440, 200, 30);
        panel.show();
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        conn = x11->connection();
        xcb_window_t window = static_cast<xcb_window_t>(panel.winId());
        opcode = atom(conn, "_NET_SYSTEM_TRAY_OPCODE");
        xcb_atom_t selection = atom(conn, "_NET_SYSTEM_TRAY_S0");
        xcb_set_selection_owner(conn, window, selection, XCB_CURRENT_TIME);
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        xcb_client_message_event_t manager{};
        manager.response_type = XCB_CLIENT_MESSAGE;
        manager.format = 32;
        manager.window = screen->root;
        manager.type = atom(conn, "MANAGER");
        manager.data.data32[0] = XCB_CURRENT_TIME;
        manager.data.data32[1] = selection;
        manager.data.data32[2] = window;
        xcb_send_event(conn, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char *>(&manager));
        xcb_flush(conn);
        qApp->installNativeEventFilter(this);
    }
    ~TestTray() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override {
        if (type != "xcb_generic_event_t") return false;
        auto *event = static_cast<xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
        auto *client = reinterpret_cast<xcb_client_message_event_t *>(event);
        if (client->type != opcode || client->data.data32[1] != 0) return false;  // SYSTEM_TRAY_REQUEST_DOCK
        xcb_window_t icon = client->data.data32[2];
        int16_t x = static_cast<int16_t>(4 + 26 * docked.size());
        xcb_reparent_window(conn, icon, static_cast<xcb_window_t>(panel.winId()), x, 4);
        const uint32_t size[] = {22, 22};
        xcb_configure_window(conn, icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        xcb_map_window(conn, icon);
        xcb_flush(conn);
        docked.push_back(icon);
        return true;
    }

    QWidget panel;
    xcb_connection_t *conn = nullptr;
    xcb_atom_t opcode = XCB_ATOM_NONE;
    std::vector<xcb_window_t> docked;
};

// An icon with a red square on white, easy to find in a screenshot.
HICON testIcon() {
    auto image = std::make_shared<Image>(22, 22);
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 22; ++x) {
            bool inner = x >= 4 && x < 18 && y >= 4 && y < 18;
            uint8_t *p = image->pixel(x, y);
            p[0] = 255;
            p[1] = inner ? 0 : 255;
            p[2] = inner ? 0 : 255;
            p[3] = 255;
        }
    return platform::iconCreate(image);
}

int redPixels(const QImage &image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            count += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    return count;
}

// A menu drawn from the panel's reading of the exported layout: one line per
// item, indented by depth, "id key=value ...".
void fillMenu(QMenu *menu, const std::vector<std::string> &lines, size_t *pos, int depth) {
    while (*pos < lines.size()) {
        const std::string &line = lines[*pos];
        int indent = static_cast<int>(line.find_first_not_of(' ') / 2);
        if (indent < depth) return;
        ++*pos;
        QString text = QString::fromStdString(line).trimmed();
        auto value = [&](const QString &key) {
            qsizetype at = text.indexOf(u' ' + key + u'=');
            if (at < 0) return QString();
            qsizetype start = at + key.size() + 2;
            // Labels hold blanks: a value runs to the next " key=".
            static const QStringList keys = {QStringLiteral("toggle-state"), QStringLiteral("toggle-type"),
                                             QStringLiteral("x-default"), QStringLiteral("type"),
                                             QStringLiteral("enabled"), QStringLiteral("children-display"),
                                             QStringLiteral("label")};
            qsizetype end = text.size();
            for (const QString &k : keys) {
                qsizetype next = text.indexOf(u' ' + k + u'=', start);
                if (next >= 0) end = std::min(end, next);
            }
            return text.mid(start, end - start);
        };
        if (value(QStringLiteral("type")) == QLatin1String("separator")) {
            menu->addSeparator();
            continue;
        }
        QString label = value(QStringLiteral("label")).replace(QStringLiteral("__"), QStringLiteral("\x01"));
        label.replace(u'_', u'&').replace(u'\x01', u'_');
        if (value(QStringLiteral("children-display")) == QLatin1String("submenu")) {
            QMenu *sub = menu->addMenu(label);
            fillMenu(sub, lines, pos, indent + 1);
            continue;
        }
        QAction *action = menu->addAction(label);
        action->setEnabled(value(QStringLiteral("enabled")) != QLatin1String("0"));
        if (value(QStringLiteral("toggle-type")) == QLatin1String("checkmark")) {
            action->setCheckable(true);
            action->setChecked(value(QStringLiteral("toggle-state")) == QLatin1String("1"));
        }
        if (value(QStringLiteral("x-default")) == QLatin1String("1")) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
        }
    }
}

class RecordingHost : public platform::ui::shell::TrayHost {
public:
    void post(HWND, UINT, WPARAM, LPARAM lParam) override { messages.push_back(static_cast<UINT>(lParam)); }
    std::optional<platform::ui::shell::TrayMenu> contextMenu(HWND hwnd, UINT, UINT) override {
        platform::ui::shell::TrayMenu menu;
        menu.owner = hwnd;
        auto add = [&](UINT id, const char *text) {
            platform::ui::shell::TrayMenuItem item;
            item.commandId = id;
            item.text = text;
            menu.items.push_back(item);
            return &menu.items.back();
        };
        add(140, "&Settings...")->isDefault = true;
        add(0, "")->separator = true;
        add(141, "Pause &sharing")->grayed = true;
        add(142, "&Tip of the day")->checked = true;
        add(143, "&Close");
        return menu;
    }
    std::vector<UINT> messages;
};

TEST(XEmbedTray, IconDocksIntoTheSystemTrayAndTheMenuRenders) {
    ASSERT_TRUE(XEnvironment::ok) << "Xvfb or the bus did not start";
    platform::ui::shell::trayProcessEvents();  // the application, on the X server
    TestTray tray;
    RecordingHost host;
    platform::ui::shell::traySetHost(&host);
    ASSERT_TRUE(pumpUntil([] { return platform::ui::shell::trayTaskbarPresent(); }))
        << "the tray selection owner is a taskbar";

    HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7000));
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hwnd;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = 0x8010;
    nid.hIcon = testIcon();
    std::strcpy(nid.szTip, "cradle");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    ASSERT_TRUE(pumpUntil([&] { return !tray.docked.empty(); })) << "no dock request reached the tray";

    QImage shot;
    ASSERT_TRUE(pumpUntil([&] {
        shot = tray.panel.screen()->grabWindow(tray.panel.winId()).toImage();
        return redPixels(shot) >= 100;
    })) << "the docked icon does not show its image";
    QDir().mkpath(kShotDir);
    EXPECT_TRUE(shot.save(kShotDir + QStringLiteral("/xembed-icon.png")));

    // The exported menu, read over the bus as a panel reads it.
    std::vector<std::string> services;
    // The item has no watcher to register with; its name follows the process id.
    std::string service = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1";
    std::vector<std::string> layout = XEnvironment::bus.panel("layout " + service);
    ASSERT_EQ(layout.size(), 6u) << (layout.empty() ? "" : layout[0]);
    QMenu menu;
    size_t pos = 1;
    fillMenu(&menu, layout, &pos, 1);
    ASSERT_EQ(menu.actions().size(), 5);
    EXPECT_FALSE(menu.actions()[2]->isEnabled());
    EXPECT_TRUE(menu.actions()[3]->isChecked());
    EXPECT_TRUE(menu.actions()[0]->font().bold());
    QPixmap picture = menu.grab();
    EXPECT_TRUE(picture.save(kShotDir + QStringLiteral("/exported-menu.png")));

    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    platform::ui::shell::traySetHost(nullptr);
}

}  // namespace
