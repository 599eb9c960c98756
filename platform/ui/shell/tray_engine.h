// The notification area of this process on the user-interface thread: one
// status notifier item per icon, registered with the panel's watcher and
// registered again whenever a watcher appears; an XEmbed tray icon instead
// while no watcher exists but an X system tray does; balloons as desktop
// notifications, whose clicks come back to the icon's window.
#pragma once

#include "shell/sni_item.h"
#include "shell/tray_host.h"
#include "shell/tray_icon.h"

#include <QDBusConnection>
#include <QObject>

#include <atomic>
#include <map>
#include <memory>

class QDBusServiceWatcher;
class QSystemTrayIcon;

namespace platform::ui::shell {

class TrayEngine : public QObject {
    Q_OBJECT

public:
    // The engine, created on first use; call on the user-interface thread.
    static TrayEngine &instance();
    // Whether a tray host exists, from any thread (false before the engine starts).
    static bool taskbarPresentAnyThread();

    void setHost(TrayHost *host);
    void update(const TrayIconKey &key, const TrayIconState &state);
    void remove(const TrayIconKey &key);
    void showBalloon(const TrayIconKey &key, const TrayBalloon &balloon);
    bool taskbarPresent() const;

private Q_SLOTS:
    void onWatcherRegistered();
    void onWatcherUnregistered();
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    TrayEngine();
    void post(const TrayIconKey &key, UINT mouseMessage);
    std::optional<TrayMenu> menuOf(const TrayIconKey &key);
    void syncFallback(const TrayIconKey &key);
    void setPresent(bool present);

    TrayHost *host_;
    QDBusConnection bus_;
    QDBusServiceWatcher *watcher_ = nullptr;
    bool watcherPresent_ = false;
    bool xembedChecked_ = false;
    std::map<TrayIconKey, std::unique_ptr<SniItem>> items_;
    std::map<TrayIconKey, QSystemTrayIcon *> fallbacks_;
    int serial_ = 0;

    // Balloons: the notification on screen for each icon, and the icon of each
    // notification id the daemon gave.
    std::map<TrayIconKey, uint> balloonOf_;
    std::map<uint, TrayIconKey> iconOfBalloon_;
    static std::atomic<bool> present_;
};

}  // namespace platform::ui::shell
