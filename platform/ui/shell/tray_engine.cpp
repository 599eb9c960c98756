#include "shell/tray_engine.h"

#include "core/app.h"
#include "shell/ansi_text.h"
#include "shell/tray_windows.h"

#include <shellapi.h>

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QEventLoop>
#include <QTimer>

namespace platform::ui::shell {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kNotifyService = QStringLiteral("org.freedesktop.Notifications");
const QString kNotifyPath = QStringLiteral("/org/freedesktop/Notifications");

// Balloons stay between 10 and 30 seconds, as the taskbar keeps them.
constexpr int kBalloonMinMs = 10000;
constexpr int kBalloonMaxMs = 30000;

QImage qimageOf(const Image &image) {
    QImage out(reinterpret_cast<const uchar *>(image.rgba.data()), image.width, image.height, image.width * 4,
               QImage::Format_RGBA8888);
    return out.copy();
}

// The notification hint for an icon's own image: width, height, row stride,
// alpha, bits per sample, channels, RGBA bytes.
QDBusArgument imageDataOf(const Image &image) {
    QDBusArgument arg;
    arg.beginStructure();
    arg << image.width << image.height << image.width * 4 << true << 8 << 4
        << QByteArray(reinterpret_cast<const char *>(image.rgba.data()), static_cast<qsizetype>(image.rgba.size()));
    arg.endStructure();
    return arg;
}

QString iconNameOf(DWORD flags) {
    switch (flags & NIIF_ICON_MASK) {
    case NIIF_INFO: return QStringLiteral("dialog-information");
    case NIIF_WARNING: return QStringLiteral("dialog-warning");
    case NIIF_ERROR: return QStringLiteral("dialog-error");
    default: return {};
    }
}

}  // namespace

std::atomic<bool> TrayEngine::present_{false};

TrayEngine &TrayEngine::instance() {
    static TrayEngine *engine = new TrayEngine();
    return *engine;
}

bool TrayEngine::taskbarPresentAnyThread() { return present_.load(); }

TrayEngine::TrayEngine()
    : host_(trayWindowsHost()), bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("suite-shell"))) {
    sniRegisterTypes();
    if (bus_.isConnected()) {
        watcher_ = new QDBusServiceWatcher(kWatcherService, bus_,
                                           QDBusServiceWatcher::WatchForRegistration |
                                               QDBusServiceWatcher::WatchForUnregistration,
                                           this);
        connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, &TrayEngine::onWatcherRegistered);
        connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &TrayEngine::onWatcherUnregistered);
        watcherPresent_ = bus_.interface()->isServiceRegistered(kWatcherService).value();
        bus_.connect(kNotifyService, kNotifyPath, kNotifyService, QStringLiteral("ActionInvoked"), this,
                     SLOT(onActionInvoked(uint, QString)));
        bus_.connect(kNotifyService, kNotifyPath, kNotifyService, QStringLiteral("NotificationClosed"), this,
                     SLOT(onNotificationClosed(uint, uint)));
    }
    setPresent(taskbarPresent());
}

void TrayEngine::setHost(TrayHost *host) { host_ = host ? host : trayWindowsHost(); }

bool TrayEngine::taskbarPresent() const {
    if (watcherPresent_) return true;
    return !uiHeadless() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayEngine::setPresent(bool present) {
    bool was = present_.exchange(present);
    trayTaskbarWindow(present);
    if (was != present) host_->taskbarChanged(present);
}

void TrayEngine::post(const TrayIconKey &key, UINT mouseMessage) {
    auto it = items_.find(key);
    if (it == items_.end() || it->second->state().callbackMessage == 0) return;
    host_->post(key.hwnd, it->second->state().callbackMessage, key.id, static_cast<LPARAM>(mouseMessage));
}

std::optional<TrayMenu> TrayEngine::menuOf(const TrayIconKey &key) {
    auto it = items_.find(key);
    if (it == items_.end()) return std::nullopt;
    return host_->contextMenu(key.hwnd, it->second->state().callbackMessage, key.id);
}

void TrayEngine::update(const TrayIconKey &key, const TrayIconState &state) {
    auto it = items_.find(key);
    if (it != items_.end()) {
        it->second->setState(state);
    } else {
        SniItem::Callbacks callbacks;
        callbacks.notify = [this, key](UINT message) { post(key, message); };
        callbacks.menu = [this, key] { return menuOf(key); };
        callbacks.choose = [this](HWND owner, UINT command) {
            if (owner) host_->post(owner, kMsgCommand, MAKEWPARAM(command, 0), 0);
        };
        QString appName = QCoreApplication::applicationName();
        auto item = std::make_unique<SniItem>(key, state, appName, ++serial_, std::move(callbacks));
        if (watcherPresent_) item->registerWithWatcher();
        items_.emplace(key, std::move(item));
    }
    syncFallback(key);
}

void TrayEngine::remove(const TrayIconKey &key) {
    items_.erase(key);
    syncFallback(key);
    auto balloon = balloonOf_.find(key);
    if (balloon != balloonOf_.end()) {
        iconOfBalloon_.erase(balloon->second);
        balloonOf_.erase(balloon);
    }
}

// The XEmbed icon stands in for the item while no watcher exists.
void TrayEngine::syncFallback(const TrayIconKey &key) {
    auto item = items_.find(key);
    auto fallback = fallbacks_.find(key);
    bool wanted = item != items_.end() && !item->second->state().hidden && !watcherPresent_ && !uiHeadless() &&
                  QSystemTrayIcon::isSystemTrayAvailable();
    if (!wanted) {
        if (fallback != fallbacks_.end()) {
            delete fallback->second;
            fallbacks_.erase(fallback);
        }
        return;
    }
    QSystemTrayIcon *icon;
    if (fallback == fallbacks_.end()) {
        icon = new QSystemTrayIcon(this);
        connect(icon, &QSystemTrayIcon::activated, this, [this, key](QSystemTrayIcon::ActivationReason reason) {
            switch (reason) {
            case QSystemTrayIcon::Trigger:
            case QSystemTrayIcon::DoubleClick: post(key, kMsgLButtonDblClk); break;
            case QSystemTrayIcon::Context: post(key, kMsgRButtonUp); break;
            case QSystemTrayIcon::MiddleClick: post(key, kMsgMButtonUp); break;
            default: break;
            }
        });
        fallbacks_.emplace(key, icon);
    } else {
        icon = fallback->second;
    }
    const TrayIconState &state = item->second->state();
    QPixmap pixmap = state.image ? QPixmap::fromImage(qimageOf(*state.image)) : QPixmap();
    icon->setIcon(QIcon(pixmap));
    icon->setToolTip(ansiToQString(state.tip));
    icon->show();
}

void TrayEngine::onWatcherRegistered() {
    watcherPresent_ = true;
    for (auto &[key, item] : items_) item->registerWithWatcher();
    for (auto &[key, item] : items_) syncFallback(key);
    setPresent(true);
}

void TrayEngine::onWatcherUnregistered() {
    watcherPresent_ = false;
    for (auto &[key, item] : items_) syncFallback(key);
    setPresent(taskbarPresent());
}

void TrayEngine::showBalloon(const TrayIconKey &key, const TrayBalloon &balloon) {
    if (!bus_.isConnected()) return;
    auto item = items_.find(key);
    if (item == items_.end()) return;
    auto shown = balloonOf_.find(key);
    uint replaces = shown != balloonOf_.end() ? shown->second : 0;
    if (balloon.text.empty()) {
        if (replaces == 0) return;
        QDBusMessage close = QDBusMessage::createMethodCall(kNotifyService, kNotifyPath, kNotifyService,
                                                            QStringLiteral("CloseNotification"));
        close << replaces;
        bus_.asyncCall(close);
        return;
    }

    QVariantMap hints;
    QString iconName = iconNameOf(balloon.flags);
    const TrayIconState &state = item->second->state();
    if ((balloon.flags & NIIF_ICON_MASK) == NIIF_USER && state.image && state.image->width > 0)
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(imageDataOf(*state.image)));
    if (balloon.flags & NIIF_NOSOUND) hints.insert(QStringLiteral("suppress-sound"), true);
    int timeout = static_cast<int>(std::min<UINT>(balloon.timeoutMs, kBalloonMaxMs));
    timeout = std::max(timeout, kBalloonMinMs);

    QDBusMessage notify =
        QDBusMessage::createMethodCall(kNotifyService, kNotifyPath, kNotifyService, QStringLiteral("Notify"));
    notify << QCoreApplication::applicationName() << replaces << iconName << ansiToQString(balloon.title)
           << ansiToQString(balloon.text) << QStringList{QStringLiteral("default"), QString()} << hints << timeout;
    auto *pending = new QDBusPendingCallWatcher(bus_.asyncCall(notify), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        QDBusPendingReply<uint> reply = *call;
        if (reply.isError() || items_.find(key) == items_.end()) return;
        uint id = reply.value();
        auto old = balloonOf_.find(key);
        if (old != balloonOf_.end()) iconOfBalloon_.erase(old->second);
        balloonOf_[key] = id;
        iconOfBalloon_[id] = key;
        post(key, NIN_BALLOONSHOW);
    });
}

void TrayEngine::onActionInvoked(uint id, const QString &) {
    auto it = iconOfBalloon_.find(id);
    if (it == iconOfBalloon_.end()) return;
    TrayIconKey key = it->second;
    iconOfBalloon_.erase(it);
    balloonOf_.erase(key);
    post(key, NIN_BALLOONUSERCLICK);
}

void TrayEngine::onNotificationClosed(uint id, uint reason) {
    auto it = iconOfBalloon_.find(id);
    if (it == iconOfBalloon_.end()) return;
    TrayIconKey key = it->second;
    iconOfBalloon_.erase(it);
    balloonOf_.erase(key);
    // 1 expired, 2 dismissed by the user, 3 closed on request.
    post(key, reason == 3 ? NIN_BALLOONHIDE : NIN_BALLOONTIMEOUT);
}

void traySetHost(TrayHost *host) { TrayEngine::instance().setHost(host); }

bool trayTaskbarPresent() {
    if (uiOnMainThread()) {
        uiApplication();
        return TrayEngine::instance().taskbarPresent();
    }
    return TrayEngine::taskbarPresentAnyThread();
}

void trayProcessEvents() {
    uiApplication();
    // Waits a few milliseconds for events rather than spinning.
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace platform::ui::shell
