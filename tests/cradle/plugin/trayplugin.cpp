// A plug-in for the host export tests. It finds the host's exports on the
// modules the host hands it, as real plug-ins do, and calls them from a
// thread of its own; it counts the notifications it receives and adds menu
// items when the menu bar is built (notification 7).
#include <windows.h>

#include <atomic>
#include <thread>

#include "zelext.h"
#include "zelext_plugin.h"

#ifndef TP_PAGES
#define TP_PAGES 0
#endif

namespace {

bool g_initialised = false;
HMODULE g_self = nullptr;
ZelextModuleTable g_modules;
std::atomic<int> g_counts[16];
std::atomic<int> g_lastValue[16];

// Calls the first remembered module's export on a new thread and returns its result.
template <typename Fn, typename... Args>
int onThread(const char *name, Args... args) {
    int cursor = 0;
    Fn fn = zelextModulesNext<Fn>(&g_modules, name, &cursor);
    if (!fn) return -100;
    int result = -101;
    std::thread worker([&] { result = fn(args...); });
    worker.join();
    return result;
}

}  // namespace

ZELEXT_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}

ZELEXT_EXPORT int zelextInitEx(ExtInitInfo *info) {
    if (g_initialised) return -1;
    ZelextHostInfo host;
    if (zelextReadInitInfo(info, &host) != 0) return -2;
    zelextModulesClear(&g_modules);
    for (auto &c : g_counts) c = 0;
    g_initialised = true;
    return 0;
}

ZELEXT_EXPORT int zelextShutdown(void) {
    if (!g_initialised) return -1;
    g_initialised = false;
    return 0;
}

ZELEXT_EXPORT HMODULE zelextGetModuleHandle(void) { return g_initialised ? g_self : nullptr; }
ZELEXT_EXPORT int zelextGetDlgCount(void) { return g_initialised ? TP_PAGES : -1; }
ZELEXT_EXPORT int zelextEnumModules(HMODULE module) {
    return g_initialised ? zelextModulesAdd(&g_modules, module) : -1;
}

ZELEXT_EXPORT int zelextNotifyChange(int code, int value) {
    if (!g_initialised) return -1;
    if (code >= 0 && code < 16) {
        g_counts[code]++;
        g_lastValue[code] = value;
    }
    if (code == EXT_NOTIFY_MENU_BAR) {
        int cursor = 0;
        while (auto add = zelextModulesNext<PFN_zelextAddMenuItem>(&g_modules, "zelextAddMenuItem", &cursor)) {
            add(value, "&Tools", TP_NAME " item", 71, g_self);
            add(value, "&Tools", "MENUHOST_SEPARATOR", 0, g_self);
        }
    }
    return 0;
}

// ---- Test controls: each host export called from a thread of the plug-in --

ZELEXT_EXPORT int tpNotifications(int code) { return (code >= 0 && code < 16) ? g_counts[code].load() : -1; }
ZELEXT_EXPORT int tpLastValue(int code) { return (code >= 0 && code < 16) ? g_lastValue[code].load() : -1; }

ZELEXT_EXPORT int tpSetIcon(ExtIconInfo *info) { return onThread<PFN_zelextSetIcon>("zelextSetIcon", info); }
ZELEXT_EXPORT int tpSaveIcon(ExtSavedIcon **saved) {
    return onThread<PFN_zelextSaveIcon>("zelextSaveIcon", saved);
}
ZELEXT_EXPORT int tpRestoreIcon(ExtSavedIcon *saved) {
    return onThread<PFN_zelextRestoreIcon>("zelextRestoreIcon", saved);
}
ZELEXT_EXPORT int tpFreeIcon(ExtSavedIcon **saved) {
    return onThread<PFN_zelextFreeIcon>("zelextFreeIcon", saved);
}
ZELEXT_EXPORT int tpShowInfoTip(ExtInfoTip *tip) {
    return onThread<PFN_zelextShowInfoTip>("zelextShowInfoTip", tip);
}
ZELEXT_EXPORT int tpAddMenuItem(int menu, LPCSTR popup, LPCSTR text, int command) {
    return onThread<PFN_zelextAddMenuItem>("zelextAddMenuItem", menu, popup, text, command, g_self);
}
ZELEXT_EXPORT int tpDeleteMenuItem(int menu, int item) {
    return onThread<PFN_zelextDeleteMenuItem>("zelextDeleteMenuItem", menu, item);
}
