#include "shell/dbus_menu.h"

#include "shell/ansi_text.h"

#include <QDBusConnection>
#include <QDBusError>

namespace platform::ui::shell {

DBusMenuExporter::DBusMenuExporter(MenuSource source, ChoiceSink sink, QObject *parent)
    : QObject(parent), source_(std::move(source)), sink_(std::move(sink)) {
    sniRegisterTypes();
    nodes_.push_back({});
}

QString DBusMenuExporter::labelOf(const std::string &text) {
    QString in = ansiToQString(text.substr(0, text.find('\t')));
    QString out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        QChar c = in[i];
        if (c == u'&') {
            if (i + 1 < in.size() && in[i + 1] == u'&') {
                out += u'&';
                ++i;
            } else if (i + 1 < in.size()) {
                out += u'_';
            }
        } else if (c == u'_') {
            out += QStringLiteral("__");
        } else {
            out += c;
        }
    }
    return out;
}

void DBusMenuExporter::addNodes(const std::vector<TrayMenuItem> &items, int parent) {
    for (const TrayMenuItem &item : items) {
        int id = static_cast<int>(nodes_.size());
        Node node;
        node.item = item;
        node.item.children.clear();
        nodes_.push_back(std::move(node));
        nodes_[static_cast<size_t>(parent)].children.push_back(id);
        if (item.popup) addNodes(item.children, id);
    }
}

void DBusMenuExporter::rebuild() {
    nodes_.clear();
    nodes_.push_back({});
    addNodes(menu_.items, 0);
}

bool DBusMenuExporter::refresh() {
    std::optional<TrayMenu> fresh = source_ ? source_() : std::nullopt;
    TrayMenu menu = fresh ? std::move(*fresh) : TrayMenu{};
    bool changed = !loaded_ || !(menu == menu_);
    loaded_ = true;
    if (!changed) return false;
    menu_ = std::move(menu);
    rebuild();
    ++revision_;
    emit LayoutUpdated(revision_, 0);
    return true;
}

void DBusMenuExporter::ensureLoaded() {
    if (!loaded_) refresh();
}

QVariantMap DBusMenuExporter::propertiesOf(int id, const QStringList &names) const {
    QVariantMap props;
    if (id == 0) {
        props.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else {
        const TrayMenuItem &item = nodes_[static_cast<size_t>(id)].item;
        if (item.separator) {
            props.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            props.insert(QStringLiteral("label"), labelOf(item.text));
            props.insert(QStringLiteral("enabled"), !item.grayed);
            if (item.popup) props.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
            if (item.checked) {
                props.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
                props.insert(QStringLiteral("toggle-state"), 1);
            }
            // The menu's default item: panels that know the hint draw it bold.
            if (item.isDefault) props.insert(QStringLiteral("x-default"), true);
        }
    }
    if (names.isEmpty()) return props;
    QVariantMap chosen;
    for (const QString &name : names)
        if (props.contains(name)) chosen.insert(name, props.value(name));
    return chosen;
}

DBusMenuNode DBusMenuExporter::nodeOf(int id, int depth, const QStringList &names) const {
    DBusMenuNode node;
    node.id = id;
    node.properties = propertiesOf(id, names);
    if (depth == 0) return node;
    for (int child : nodes_[static_cast<size_t>(id)].children)
        node.children.append(nodeOf(child, depth < 0 ? -1 : depth - 1, names));
    return node;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                 DBusMenuNode &layout) {
    if (parentId == 0) ensureLoaded();
    if (parentId < 0 || static_cast<size_t>(parentId) >= nodes_.size()) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item %1").arg(parentId));
        return revision_;
    }
    layout = nodeOf(parentId, recursionDepth, propertyNames);
    return revision_;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int> &ids,
                                                               const QStringList &propertyNames) {
    ensureLoaded();
    DBusMenuItemPropertiesList result;
    for (int id : ids) {
        if (id < 0 || static_cast<size_t>(id) >= nodes_.size()) continue;
        result.append({id, propertiesOf(id, propertyNames)});
    }
    return result;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString &name) {
    ensureLoaded();
    if (id < 0 || static_cast<size_t>(id) >= nodes_.size()) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item %1").arg(id));
        return QDBusVariant(QVariant(0));
    }
    QVariantMap props = propertiesOf(id, {});
    if (!props.contains(name)) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No property %1").arg(name));
        return QDBusVariant(QVariant(0));
    }
    return QDBusVariant(props.value(name));
}

bool DBusMenuExporter::activate(int id) {
    if (id <= 0 || static_cast<size_t>(id) >= nodes_.size()) return false;
    const TrayMenuItem &item = nodes_[static_cast<size_t>(id)].item;
    // Grayed items, separators and submenus cannot be chosen, as in a popup.
    if (item.separator || item.grayed || item.popup) return true;
    if (sink_) sink_(menu_.owner, item.commandId);
    return true;
}

void DBusMenuExporter::Event(int id, const QString &eventId, const QDBusVariant &, uint) {
    if (eventId != QLatin1String("clicked")) return;
    if (!activate(id) && calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item %1").arg(id));
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList &events) {
    QList<int> errors;
    for (const DBusMenuEvent &e : events) {
        if (e.eventId != QLatin1String("clicked")) continue;
        if (!activate(e.id)) errors.append(e.id);
    }
    return errors;
}

bool DBusMenuExporter::AboutToShow(int id) {
    if (id != 0) return false;
    return refresh();
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors) {
    QList<int> updates;
    for (int id : ids) {
        if (id < 0 || static_cast<size_t>(id) >= nodes_.size()) {
            idErrors.append(id);
        } else if (id == 0 && refresh()) {
            updates.append(0);
        }
    }
    return updates;
}

}  // namespace platform::ui::shell
