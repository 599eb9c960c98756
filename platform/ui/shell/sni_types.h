// D-Bus structures of status notifier items and exported menus, with their
// marshalling: icon pixmaps (iiay), the tooltip (sa(iiay)ss), menu layout
// nodes (ia{sv}av) and per-item property sets (ia{sv}, ias, isvu).
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace platform::ui::shell {

// One image: width, height, then ARGB32 pixels in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniPixmapList = QList<SniPixmap>;

struct SniToolTip {
    QString iconName;
    SniPixmapList icon;
    QString title;
    QString text;
};

struct DBusMenuNode {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuNode> children;
};

struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

struct DBusMenuItemKeys {
    int id = 0;
    QStringList names;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

// Registers every type above with the D-Bus type system (once).
void sniRegisterTypes();

inline QDBusArgument &operator<<(QDBusArgument &arg, const SniPixmap &p) {
    arg.beginStructure();
    arg << p.width << p.height << p.argb;
    arg.endStructure();
    return arg;
}
inline const QDBusArgument &operator>>(const QDBusArgument &arg, SniPixmap &p) {
    arg.beginStructure();
    arg >> p.width >> p.height >> p.argb;
    arg.endStructure();
    return arg;
}

inline QDBusArgument &operator<<(QDBusArgument &arg, const SniToolTip &t) {
    arg.beginStructure();
    arg << t.iconName << t.icon << t.title << t.text;
    arg.endStructure();
    return arg;
}
inline const QDBusArgument &operator>>(const QDBusArgument &arg, SniToolTip &t) {
    arg.beginStructure();
    arg >> t.iconName >> t.icon >> t.title >> t.text;
    arg.endStructure();
    return arg;
}

// Children travel as variants, each holding a node of the same shape.
QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuNode &node);
const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuNode &node);

inline QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuItemProperties &item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.endStructure();
    return arg;
}
inline const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuItemProperties &item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.endStructure();
    return arg;
}

inline QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuItemKeys &item) {
    arg.beginStructure();
    arg << item.id << item.names;
    arg.endStructure();
    return arg;
}
inline const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuItemKeys &item) {
    arg.beginStructure();
    arg >> item.id >> item.names;
    arg.endStructure();
    return arg;
}

inline QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuEvent &e) {
    arg.beginStructure();
    arg << e.id << e.eventId << e.data << e.timestamp;
    arg.endStructure();
    return arg;
}
inline const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuEvent &e) {
    arg.beginStructure();
    arg >> e.id >> e.eventId >> e.data >> e.timestamp;
    arg.endStructure();
    return arg;
}

}  // namespace platform::ui::shell

Q_DECLARE_METATYPE(platform::ui::shell::SniPixmap)
Q_DECLARE_METATYPE(platform::ui::shell::SniToolTip)
Q_DECLARE_METATYPE(platform::ui::shell::DBusMenuNode)
Q_DECLARE_METATYPE(platform::ui::shell::DBusMenuItemProperties)
Q_DECLARE_METATYPE(platform::ui::shell::DBusMenuItemKeys)
Q_DECLARE_METATYPE(platform::ui::shell::DBusMenuEvent)
