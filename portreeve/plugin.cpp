// Entry points of the UPnP port forwarding plug-in: initialisation, settings
// of section "upnp", notifications and the shutdown sequence.
#include "plugin.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "errreport.h"
#include "hhelpmod.h"
#include "ifmod.h"
#include "listmod.h"
#include "servicemod.h"
#include "settings.h"
#include "upnpmod.h"
#include "worker.h"
#include "zelext.h"

namespace {

constexpr const char *SOURCE = "upnp";
constexpr const char *SERVICES_SECTION = "waymark-services";
constexpr const char *HOST_WINDOW_CLASS = "LOOMC:PROGRAM";
constexpr DWORD WORKER_CLOSE_WAIT_MS = 8000;
// Network time of the closing pass: every request ends by then, leaving the
// rest of the wait for stopping the UPnP stack.
constexpr int CLOSING_NETWORK_MS = 6500;

struct State {
    bool initialised = false;
    int lastError = 0;
    HMODULE self = nullptr;
    ExtInitInfo info{};
    char configPath[EXT_INIT_CONFIG_PATH_SIZE] = {};
    HMODULE modules[ZELEXT_MAX_MODULES] = {};
    char winHelpPath[MAX_PATH] = {};
    char htmlHelpPath[MAX_PATH] = {};
    HANDLE stop = nullptr;
    HANDLE wake = nullptr;
    HANDLE worker = nullptr;
    bool ownsListModule = false;
    bool ownsHtmlHelp = false;
};

State g;

int result(int rc) {
    g.lastError = rc;
    return rc;
}

HMODULE selfModule() {
    if (!g.self) {
        static const char anchor = 0;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           &anchor, &g.self);
    }
    return g.self;
}

// Copies the text, cut to fit the buffer.
void copyText(char *dst, size_t size, const std::string &text) {
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(dst, text.data(), n);
    dst[n] = '\0';
}

// The help files live beside the configuration file.
void setHelpPaths() {
    std::string directory = g.configPath;
    size_t slash = directory.rfind('/');
    directory.erase(slash == std::string::npos ? 0 : slash + 1);
    copyText(g.winHelpPath, sizeof g.winHelpPath, directory + "portreeve.hlp");
    char file[MAX_PATH] = {};
    GetPrivateProfileStringA("help", "File", "", file, sizeof file, g.configPath);
    g.htmlHelpPath[0] = '\0';
    if (file[0]) {
        copyText(g.htmlHelpPath, sizeof g.htmlHelpPath, directory + file);
        g.ownsHtmlHelp = hhelpmodInit() == 0;
    }
}

void closeEvents() {
    if (g.stop) CloseHandle(g.stop);
    if (g.wake) CloseHandle(g.wake);
    g.stop = g.wake = nullptr;
}

void shutdownModules() {
    servicemodShutdown();
    ifmodShutdown();
    int32_t inactive = 0;
    int rc = upnpmodSetOption(UPNPMOD_OPT_ACTIVE, &inactive, sizeof inactive);
    if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodSetOption", rc);
    rc = upnpmodShutdown();
    if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodShutdown", rc);
    if (g.ownsListModule) listShutdown();
    g.ownsListModule = false;
    if (g.ownsHtmlHelp) hhelpmodShutdown();
    g.ownsHtmlHelp = false;
    workerReset();
}

int commonInit() {
    g.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g.wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!g.stop || !g.wake) {
        closeEvents();
        zelextLogShutdown();
        return -3;
    }
    std::memset(g.modules, 0, sizeof g.modules);
    setHelpPaths();
    settingsLoad(g.configPath, true);

    int rc = listInit();
    g.ownsListModule = rc == 0;
    if (rc != 0) zelextLog(SOURCE, LOG_LEVEL_ERROR, "listInit() returned error code %d", rc);
    if ((rc = upnpmodInit()) != 0) zelextLog(SOURCE, LOG_LEVEL_ERROR, "upnpmodInit() returned error code %d", rc);
    if ((rc = ifmodInit()) != 0) zelextLog(SOURCE, LOG_LEVEL_ERROR, "ifmodInit() returned error code %d", rc);
    if ((rc = servicemodInit(g.configPath, SERVICES_SECTION)) != 0)
        zelextLog(SOURCE, LOG_LEVEL_ERROR, "servicemodInit() returned error code %d", rc);

    g.worker = workerStart(g.stop, g.wake, g.configPath);
    if (!g.worker) {
        // The host unloads a plug-in whose initialisation failed without
        // calling zelextShutdown, so everything is given back here.
        shutdownModules();
        closeEvents();
        zelextLogShutdown();
        return -3;
    }
    g.initialised = true;
    return 0;
}

}  // namespace

const char *pluginConfigPath() { return g.configPath; }

void pluginWake() {
    if (g.wake) SetEvent(g.wake);
}

HMODULE pluginModule() { return selfModule(); }

HMODULE pluginEnumModule(int n) {
    if (n < 0 || n >= ZELEXT_MAX_MODULES) return nullptr;
    return g.modules[n];
}

const char *pluginWinHelpPath() { return g.winHelpPath; }
const char *pluginHtmlHelpPath() { return g.htmlHelpPath; }

ZELEXT_EXPORT int zelextInitEx(ExtInitInfo *info) {
    if (g.initialised) return result(-1);
    if (!info || info->size != EXT_INIT_INFO_SIZE) return result(-2);
    std::memcpy(&g.info, info, sizeof g.info);
    g.info.logName[sizeof g.info.logName - 1] = '\0';
    g.info.configPath[sizeof g.info.configPath - 1] = '\0';
    std::snprintf(g.configPath, sizeof g.configPath, "%s", g.info.configPath);
    zelextLogSetSlot(g.info.logName);
    return result(commonInit());
}

ZELEXT_EXPORT int zelextInit(LPCSTR configPath) {
    if (g.initialised) return result(-1);
    if (!configPath) return result(-2);
    std::memset(&g.info, 0, sizeof g.info);
    // Without the record, the host's window is found by its class, and the
    // instance stored in it stands in for the resource module.
    if (HWND host = FindWindowA(HOST_WINDOW_CLASS, nullptr)) {
        g.info.hostWindow = HandleToULong(host);
        g.info.resourceModule = (DWORD)GetWindowLongA(host, GWL_HINSTANCE);
    }
    zelextLogSetSlot(nullptr);
    std::snprintf(g.configPath, sizeof g.configPath, "%s", configPath);
    return result(commonInit());
}

ZELEXT_EXPORT int zelextShutdown(void) {
    if (!g.initialised) return result(-1);
    upnpmodLimitTime(CLOSING_NETWORK_MS);
    SetEvent(g.stop);
    bool overran = WaitForSingleObject(g.worker, WORKER_CLOSE_WAIT_MS) == WAIT_TIMEOUT;
    if (overran) {
        // The worker's code must not be unloaded under it: let it skip what is
        // left of its closing pass and wait for the action in flight.
        workerAbandon();
        WaitForSingleObject(g.worker, INFINITE);
    }
    if (overran || workerWasCut())
        zelextLog(SOURCE, LOG_LEVEL_ERROR, "The forwarding worker did not finish its closing pass in time");
    CloseHandle(g.worker);
    g.worker = nullptr;
    closeEvents();
    shutdownModules();
    zelextLogShutdown();
    g.initialised = false;
    return result(0);
}

ZELEXT_EXPORT HMODULE zelextGetModuleHandle(void) {
    return g.initialised ? selfModule() : nullptr;
}

ZELEXT_EXPORT int zelextGetDlgCount(void) { return result(g.initialised ? 1 : -1); }

ZELEXT_EXPORT int zelextGetEntryPointDlg(int page) {
    if (!g.initialised) return result(-1);
    return result(page == 0 ? page + 10 : -2);
}

ZELEXT_EXPORT DLGPROC zelextGetEntryPointProc(int page) {
    if (!g.initialised || page != 0) return nullptr;
    return reinterpret_cast<DLGPROC>(reinterpret_cast<void *>(GetProcAddress(selfModule(), "zelextSettingsProc")));
}

ZELEXT_EXPORT int zelextEnumModules(HMODULE module) {
    if (!g.initialised) return result(-1);
    if (!module) return result(0);
    for (HMODULE &slot : g.modules) {
        if (slot == module) break;
        if (!slot) {
            slot = module;
            break;
        }
    }
    return result(0);
}

ZELEXT_EXPORT int zelextNotifyChange(int code, int value) {
    if (!g.initialised) return result(-1);
    if (code == 2) {
        SetEvent(g.wake);
    } else if (code == EXT_NOTIFY_CONFIG_CHANGED && value == EXT_CONFIG_RELOAD) {
        settingsLoad(g.configPath, false);
        // The file may also hold other service definitions now (restored
        // defaults); the settings page saves its own edits before the host
        // sends this, so reading them back loses nothing.
        int rc = servicemodReload();
        if (rc != 0) REPORT_ERROR(SOURCE, "servicemodReload", rc);
        SetEvent(g.wake);
    }
    return result(0);
}

ZELEXT_EXPORT int zelextGetLastError(void) {
    int last = g.lastError;
    g.lastError = 0;
    return last;
}

ZELEXT_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g.self = instance;
    else if (reason == DLL_PROCESS_DETACH) zelextShutdown();
    return TRUE;
}
