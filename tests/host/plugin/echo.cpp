// A plug-in for the host's tests. It logs (source "echo") what reaches it and
// what it finds of the host at that moment:
//   "echo initex", "echo notify <code> <value> tray=<r>", "echo string <text>"
//   for notification 4 (the atom's name), "echo shutdown tray=<r>",
// where <r> is the host's zelextSaveIcon result: 0 while the tray runs,
// -1 once it is shut down, "none" when no host export was found.
#include <windows.h>

#include <cstdio>

#include "zelext.h"
#include "zelext_plugin.h"
#include "zellog.h"

namespace {

bool initialised = false;
ZelextModuleTable modules;

// Probes the host's tray through its exports.
void trayState(char *out, size_t size) {
    int cursor = 0;
    auto save = zelextModulesNext<PFN_zelextSaveIcon>(&modules, "zelextSaveIcon", &cursor);
    cursor = 0;
    auto release = zelextModulesNext<PFN_zelextFreeIcon>(&modules, "zelextFreeIcon", &cursor);
    if (!save || !release) {
        std::snprintf(out, size, "none");
        return;
    }
    ExtSavedIcon *saved = nullptr;
    int r = save(&saved);
    if (saved) release(&saved);
    std::snprintf(out, size, "%d", r);
}

}  // namespace

ZELEXT_EXPORT BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) zelextLogShutdown();
    return TRUE;
}

ZELEXT_EXPORT int zelextInitEx(ExtInitInfo *info) {
    ZelextHostInfo host;
    if (initialised) return -1;
    if (zelextReadInitInfo(info, &host) != 0) return -2;
    zelextLogSetSlot(host.logName);
    zelextModulesClear(&modules);
    initialised = true;
    zelextLog("echo", 6, "echo initex");
    return 0;
}

ZELEXT_EXPORT int zelextShutdown() {
    if (!initialised) return -1;
    char tray[16];
    trayState(tray, sizeof tray);
    zelextLog("echo", 6, "echo shutdown tray=%s", tray);
    initialised = false;
    zelextLogShutdown();
    return 0;
}

ZELEXT_EXPORT int zelextGetDlgCount() { return initialised ? 0 : -1; }

ZELEXT_EXPORT int zelextEnumModules(HMODULE module) {
    if (!initialised) return -1;
    return zelextModulesAdd(&modules, module);
}

ZELEXT_EXPORT int zelextNotifyChange(int code, int value) {
    if (!initialised) return -1;
    if (code == EXT_NOTIFY_COMMAND_LINE) {
        char text[256] = "";
        GlobalGetAtomNameA(static_cast<ATOM>(value), text, sizeof text);
        zelextLog("echo", 6, "echo string %s", text);
        return 0;
    }
    char tray[16];
    trayState(tray, sizeof tray);
    zelextLog("echo", 6, "echo notify %d %d tray=%s", code, value, tray);
    return 0;
}
