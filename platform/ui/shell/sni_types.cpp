#include "shell/sni_types.h"

#include <QDBusMetaType>

#include <mutex>

namespace platform::ui::shell {

QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuNode &node) {
    arg.beginStructure();
    arg << node.id << node.properties;
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const DBusMenuNode &child : node.children) arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuNode &node) {
    arg.beginStructure();
    arg >> node.id >> node.properties;
    node.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant wrapped;
        arg >> wrapped;
        DBusMenuNode child;
        wrapped.variant().value<QDBusArgument>() >> child;
        node.children.append(child);
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

void sniRegisterTypes() {
    static std::once_flag once;
    std::call_once(once, [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<SniPixmapList>();
        qDBusRegisterMetaType<SniToolTip>();
        qDBusRegisterMetaType<DBusMenuNode>();
        qDBusRegisterMetaType<DBusMenuItemProperties>();
        qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
        qDBusRegisterMetaType<DBusMenuItemKeys>();
        qDBusRegisterMetaType<DBusMenuItemKeysList>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<DBusMenuEventList>();
        // Signatures name the lists by their aliases; the bus adaptor looks
        // types up by those names.
        QMetaType::registerNormalizedTypedef("platform::ui::shell::SniPixmapList", QMetaType::fromType<SniPixmapList>());
        QMetaType::registerNormalizedTypedef("platform::ui::shell::DBusMenuItemPropertiesList",
                                             QMetaType::fromType<DBusMenuItemPropertiesList>());
        QMetaType::registerNormalizedTypedef("platform::ui::shell::DBusMenuItemKeysList",
                                             QMetaType::fromType<DBusMenuItemKeysList>());
        QMetaType::registerNormalizedTypedef("platform::ui::shell::DBusMenuEventList",
                                             QMetaType::fromType<DBusMenuEventList>());
    });
}

}  // namespace platform::ui::shell
