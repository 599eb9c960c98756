// A popup menu exported over D-Bus (com.canonical.dbusmenu), so panels that
// draw menus themselves show the window's own tray menu. Item ids follow the
// menu's order (0 is the root); a click on an item reaches its window as the
// WM_COMMAND a popup choice would post.
#pragma once

#include "shell/sni_types.h"
#include "shell/tray_host.h"

#include <QDBusContext>
#include <QObject>

#include <functional>
#include <optional>
#include <vector>

namespace platform::ui::shell {

class DBusMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    using MenuSource = std::function<std::optional<TrayMenu>()>;
    using ChoiceSink = std::function<void(HWND owner, UINT commandId)>;

    DBusMenuExporter(MenuSource source, ChoiceSink sink, QObject *parent = nullptr);

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    // Asks the window for its menu again; true (and LayoutUpdated) when it changed.
    bool refresh();

    // The label a panel shows for a menu text: '&' mnemonics become '_', a
    // literal '_' is doubled, the accelerator text after a tab is dropped.
    static QString labelOf(const std::string &text);

public Q_SLOTS:
    Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                platform::ui::shell::DBusMenuNode &layout);
    Q_SCRIPTABLE platform::ui::shell::DBusMenuItemPropertiesList GetGroupProperties(const QList<int> &ids,
                                                                                   const QStringList &propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString &name);
    Q_SCRIPTABLE void Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp);
    Q_SCRIPTABLE QList<int> EventGroup(const platform::ui::shell::DBusMenuEventList &events);
    Q_SCRIPTABLE bool AboutToShow(int id);
    Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors);

Q_SIGNALS:
    Q_SCRIPTABLE void ItemsPropertiesUpdated(const platform::ui::shell::DBusMenuItemPropertiesList &updatedProps,
                                             const platform::ui::shell::DBusMenuItemKeysList &removedProps);
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);
    Q_SCRIPTABLE void ItemActivationRequested(int id, uint timestamp);

private:
    struct Node {
        TrayMenuItem item;  // children moved out into the table
        std::vector<int> children;
    };

    void ensureLoaded();
    void rebuild();
    void addNodes(const std::vector<TrayMenuItem> &items, int parent);
    QVariantMap propertiesOf(int id, const QStringList &names) const;
    DBusMenuNode nodeOf(int id, int depth, const QStringList &names) const;
    bool activate(int id);

    MenuSource source_;
    ChoiceSink sink_;
    bool loaded_ = false;
    TrayMenu menu_;
    std::vector<Node> nodes_;  // index = item id; 0 is the root
    uint revision_ = 1;
};

}  // namespace platform::ui::shell
