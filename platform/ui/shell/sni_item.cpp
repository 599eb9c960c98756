#include "shell/sni_item.h"

#include "shell/ansi_text.h"

#include <QDBusMessage>
#include <QDBusPendingCall>

#include <unistd.h>

namespace platform::ui::shell {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr QDBusConnection::RegisterOptions kExport = QDBusConnection::ExportAllProperties |
                                                     QDBusConnection::ExportScriptableSlots |
                                                     QDBusConnection::ExportScriptableSignals;

}  // namespace

SniItem::SniItem(TrayIconKey key, const TrayIconState &state, const QString &appName, int serial,
                 Callbacks callbacks)
    : key_(key),
      state_(state),
      appName_(appName),
      id_(QStringLiteral("%1-%2").arg(appName).arg(key.id)),
      connectionName_(QStringLiteral("suite-tray-item-%1").arg(serial)),
      service_(QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(getpid()).arg(serial)),
      bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)),
      callbacks_(std::move(callbacks)) {
    sniRegisterTypes();
    menu_ = new DBusMenuExporter(callbacks_.menu, callbacks_.choose, this);
    if (!bus_.isConnected()) return;
    exported_ = bus_.registerObject(QStringLiteral("/StatusNotifierItem"), this, kExport) &&
                bus_.registerObject(QStringLiteral("/MenuBar"), menu_, kExport) && bus_.registerService(service_);
}

SniItem::~SniItem() {
    if (bus_.isConnected()) {
        bus_.unregisterService(service_);
        bus_.unregisterObject(QStringLiteral("/MenuBar"));
        bus_.unregisterObject(QStringLiteral("/StatusNotifierItem"));
    }
    QDBusConnection::disconnectFromBus(connectionName_);
}

void SniItem::registerWithWatcher() {
    if (!exported_) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << service_;
    bus_.asyncCall(call);
}

QString SniItem::status() const {
    return state_.hidden ? QStringLiteral("Passive") : QStringLiteral("Active");
}

SniPixmap SniItem::pixmapOf(const Image &image) {
    SniPixmap pixmap;
    pixmap.width = image.width;
    pixmap.height = image.height;
    pixmap.argb.resize(static_cast<qsizetype>(image.rgba.size()));
    char *out = pixmap.argb.data();
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        out[i] = static_cast<char>(image.rgba[i + 3]);
        out[i + 1] = static_cast<char>(image.rgba[i]);
        out[i + 2] = static_cast<char>(image.rgba[i + 1]);
        out[i + 3] = static_cast<char>(image.rgba[i + 2]);
    }
    return pixmap;
}

SniPixmapList SniItem::iconPixmap() const {
    if (!state_.image || state_.image->width <= 0 || state_.image->height <= 0) return {};
    return {pixmapOf(*state_.image)};
}

SniToolTip SniItem::toolTip() const {
    SniToolTip tip;
    tip.title = ansiToQString(state_.tip);
    return tip;
}

void SniItem::setState(const TrayIconState &state) {
    TrayIconState old = std::move(state_);
    state_ = state;
    if (!exported_) return;
    if (old.image != state_.image) emit NewIcon();
    if (old.tip != state_.tip) emit NewToolTip();
    if (old.hidden != state_.hidden) emit NewStatus(status());
}

void SniItem::Activate(int, int) {
    if (callbacks_.notify) callbacks_.notify(kMsgLButtonDblClk);
}

void SniItem::SecondaryActivate(int, int) {
    if (callbacks_.notify) callbacks_.notify(kMsgMButtonUp);
}

void SniItem::ContextMenu(int, int) {
    if (callbacks_.notify) callbacks_.notify(kMsgRButtonUp);
}

void SniItem::Scroll(int, const QString &) {}

}  // namespace platform::ui::shell
