// The host's tray exports for plug-ins: the tray icon's image, tooltip and
// blinking, saved icons, and balloons with the click state they leave behind.
// Callable from any plug-in thread; the tray module serialises them.
#include "extmod/extmod.h"
#include "shell/shell.h"
#include "tray/traymod.h"
#include "zelext.h"
#include "zellog.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr int kBlinkPeriod = 600;
const char kSource[] = "cradle";

int trayIcon() { return shellState().trayIcon; }

void startBlinking() {
    int r = traymodSetMode(trayIcon(), TRAYMOD_MODE_BLINK, kBlinkPeriod);
    if (r != 0) zelextLog(kSource, ZELLOG_ERROR, "traymodSetMode() returned error code %d", r);
}

// Click state after a balloon: which page opens, or which plug-in hears of it.
void pendPage(const char *module) {
    int first = extmodFindFirstPage(module);
    std::lock_guard<std::mutex> g(shellLock());
    shellState().pendingPage = first >= 0 ? first + 1 : 0;
}

void pendModule(const char *module) {
    std::lock_guard<std::mutex> g(shellLock());
    ShellState &s = shellState();
    s.pendingPage = 0;
    std::strncpy(s.pendingModule, module, sizeof s.pendingModule - 1);
    s.pendingModule[sizeof s.pendingModule - 1] = '\0';
}

}  // namespace

// What a plug-in holds: the tray module's saved copy behind an opaque record.
struct ExtSavedIcon {
    TraymodSavedIcon *saved;
};

ZELEXT_EXPORT int zelextSetIcon(ExtIconInfo *info) {
    if (!info || !info->tip) return -2;
    int r = traymodSetIcon(trayIcon(), info->icon, info->tip);
    if (r != 0) {
        zelextLog(kSource, ZELLOG_ERROR, "traymodSetIcon() returned error code %d", r);
        return -2;
    }
    if (info->flash) {
        startBlinking();
    } else {
        r = traymodSetMode(trayIcon(), TRAYMOD_MODE_STEADY, 0);
        if (r != 0) zelextLog(kSource, ZELLOG_ERROR, "traymodSetMode() returned error code %d", r);
    }
    return 0;
}

ZELEXT_EXPORT int zelextSaveIcon(ExtSavedIcon **saved) {
    if (!saved) return -2;
    if (!traymodRunning()) return -1;
    auto *record = static_cast<ExtSavedIcon *>(std::calloc(1, sizeof(ExtSavedIcon)));
    if (!record) return -4;
    int r = traymodSaveIcon(trayIcon(), &record->saved);
    if (r != 0) {
        std::free(record);
        return r == -1 ? -1 : -2;
    }
    *saved = record;
    return 0;
}

ZELEXT_EXPORT int zelextRestoreIcon(ExtSavedIcon *saved) {
    if (!saved || !saved->saved) return -2;
    int r = traymodRestoreIcon(trayIcon(), saved->saved);
    if (r != 0) {
        zelextLog(kSource, ZELLOG_ERROR, "traymodSetIcon() returned error code %d", r);
        return -2;
    }
    return 0;
}

ZELEXT_EXPORT int zelextFreeIcon(ExtSavedIcon **saved) {
    if (!saved || !*saved) return -2;
    if (!traymodRunning()) return -1;
    int r = traymodFreeIcon(&(*saved)->saved);
    if (r == -1) return -1;
    std::free(*saved);
    *saved = nullptr;
    return 0;
}

ZELEXT_EXPORT int zelextShowInfoTip(ExtInfoTip *tip) {
    if (!tip || !tip->title || !tip->text) return -2;
    {
        std::lock_guard<std::mutex> g(shellLock());
        if (shellState().switches.disablePopup) return 0;
        shellState().pendingModule[0] = '\0';
    }
    if (traymodShowInfoTip(trayIcon(), tip->title, tip->text, tip->timeout, tip->infoFlags) != 0) return -2;
    if (!tip->module || !tip->module[0]) return 0;
    switch (tip->action) {
    case EXT_TIP_OPEN_PAGE:
        pendPage(tip->module);
        break;
    case EXT_TIP_NOTIFY:
        pendModule(tip->module);
        break;
    case EXT_TIP_BLINK_NOTIFY:
        startBlinking();
        pendModule(tip->module);
        break;
    case EXT_TIP_BLINK_OPEN_PAGE:
        startBlinking();
        pendPage(tip->module);
        break;
    default:  // 3 and anything unknown: the click has no effect of its own
        break;
    }
    return 0;
}
