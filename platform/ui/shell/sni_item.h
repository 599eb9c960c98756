// One status notifier item: an icon of the window on the panel, with its own
// bus connection and name (so one process can show several), the item object
// and its exported menu.
#pragma once

#include "shell/dbus_menu.h"
#include "shell/sni_types.h"
#include "shell/tray_icon.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>

#include <functional>

namespace platform::ui::shell {

class SniItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ emptyName)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QString IconName READ emptyName)
    Q_PROPERTY(platform::ui::shell::SniPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyName)
    Q_PROPERTY(platform::ui::shell::SniPixmapList OverlayIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionIconName READ emptyName)
    Q_PROPERTY(platform::ui::shell::SniPixmapList AttentionIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionMovieName READ emptyName)
    Q_PROPERTY(platform::ui::shell::SniToolTip ToolTip READ toolTip)

public:
    struct Callbacks {
        std::function<void(UINT mouseMessage)> notify;  // the icon's callback message
        DBusMenuExporter::MenuSource menu;
        DBusMenuExporter::ChoiceSink choose;
    };

    SniItem(TrayIconKey key, const TrayIconState &state, const QString &appName, int serial, Callbacks callbacks);
    ~SniItem() override;

    const QString &serviceName() const { return service_; }
    bool exported() const { return exported_; }
    const TrayIconState &state() const { return state_; }
    void setState(const TrayIconState &state);
    // Announces the item to the status notifier watcher (again after a restart).
    void registerWithWatcher();

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return id_; }
    QString title() const { return appName_; }
    QString status() const;
    int windowId() const { return 0; }
    QString emptyName() const { return {}; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/MenuBar")); }
    bool itemIsMenu() const { return false; }
    SniPixmapList iconPixmap() const;
    SniPixmapList noPixmap() const { return {}; }
    SniToolTip toolTip() const;

    // ARGB32 in network byte order, as items carry their pixmaps.
    static SniPixmap pixmapOf(const Image &image);

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString &orientation);

Q_SIGNALS:
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewAttentionIcon();
    Q_SCRIPTABLE void NewOverlayIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString &status);

private:
    TrayIconKey key_;
    TrayIconState state_;
    QString appName_;
    QString id_;
    QString connectionName_;
    QString service_;
    QDBusConnection bus_;
    bool exported_ = false;
    Callbacks callbacks_;
    DBusMenuExporter *menu_;
};

}  // namespace platform::ui::shell
