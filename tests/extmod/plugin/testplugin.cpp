// A plug-in for the manager's tests. Compile definitions choose which entry
// points it has and what they answer; it logs every call it receives to the
// mailslot the host names, so tests see the calls through a real reader:
//   "<label> initex <logName> <configPath>", "<label> init <configPath>",
//   "<label> enum <file name of the module, or ->", "<label> notify <code> <value>",
//   "<label> shutdown".
#include <windows.h>

#include <cstring>

#include "zelext.h"
#include "zelext_plugin.h"
#include "zellog.h"

#ifndef TP_LABEL
#define TP_LABEL "plugin"
#endif
#ifndef TP_HAS_INITEX
#define TP_HAS_INITEX 1
#endif
#ifndef TP_HAS_INIT
#define TP_HAS_INIT 0
#endif
#ifndef TP_INIT_RESULT
#define TP_INIT_RESULT 0
#endif
#ifndef TP_PAGES
#define TP_PAGES 0
#endif
#ifndef TP_NOTIFY_RESULT
#define TP_NOTIFY_RESULT 0
#endif

namespace {

bool g_initialised = false;
HMODULE g_self = nullptr;
ZelextModuleTable g_modules;

const char *moduleFileName(HMODULE module, char *buffer, DWORD size) {
    if (!module) return "-";
    if (!GetModuleFileNameA(module, buffer, size)) return "?";
    const char *slash = std::strrchr(buffer, '/');
    return slash ? slash + 1 : buffer;
}

[[maybe_unused]] int finishInit() {
    if (TP_INIT_RESULT != 0) {
        // A refused initialisation releases what it took.
        zelextLogShutdown();
        return TP_INIT_RESULT;
    }
    g_initialised = true;
    zelextModulesClear(&g_modules);
    return 0;
}

}  // namespace

ZELEXT_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    // The log client's writer must be gone before the code is unmapped.
    if (reason == DLL_PROCESS_DETACH) zelextLogShutdown();
    return TRUE;
}

#if TP_HAS_INITEX
ZELEXT_EXPORT int zelextInitEx(ExtInitInfo *info) {
    if (g_initialised) return -1;
    ZelextHostInfo host;
    if (zelextReadInitInfo(info, &host) != 0) return -2;
    zelextLogSetSlot(host.logName);
    zelextLog("test", 6, "%s initex %s %s", TP_LABEL, host.logName, host.configPath);
    return finishInit();
}
#endif

#if TP_HAS_INIT
ZELEXT_EXPORT int zelextInit(LPCSTR configPath) {
    if (g_initialised) return -1;
    if (!configPath) return -2;
    // Initialised the old way the plug-in gets no log name; the tests give
    // it theirs in the configuration file.
    char slot[64];
    GetPrivateProfileStringA("testplugin", "Slot", "zellog", slot, sizeof slot, configPath);
    zelextLogSetSlot(slot);
    zelextLog("test", 6, "%s init %s", TP_LABEL, configPath);
    return finishInit();
}
#endif

ZELEXT_EXPORT int zelextShutdown() {
    if (!g_initialised) return -1;
    zelextLog("test", 6, "%s shutdown", TP_LABEL);
    g_initialised = false;
    zelextLogShutdown();
    return 0;
}

ZELEXT_EXPORT HMODULE zelextGetModuleHandle() { return g_initialised ? g_self : nullptr; }

ZELEXT_EXPORT int zelextGetDlgCount() { return g_initialised ? TP_PAGES : -1; }

ZELEXT_EXPORT int zelextGetEntryPointDlg(int page) {
    if (!g_initialised) return -1;
    return page >= 0 && page < TP_PAGES ? 100 + page : -2;
}

ZELEXT_EXPORT int zelextEnumModules(HMODULE module) {
    if (!g_initialised) return -1;
    char path[MAX_PATH];
    zelextLog("test", 6, "%s enum %s", TP_LABEL, moduleFileName(module, path, sizeof path));
    return zelextModulesAdd(&g_modules, module);
}

ZELEXT_EXPORT int zelextNotifyChange(int code, int value) {
    if (!g_initialised) return -1;
    zelextLog("test", 6, "%s notify %d %d", TP_LABEL, code, value);
    return TP_NOTIFY_RESULT;
}
