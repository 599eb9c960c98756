// Entry points of the logging plug-in: it owns the host's log mailslot while
// it is loaded and keeps every record in "logbook.log" beside the
// configuration file; the log pages of the other plug-ins show its records
// through zelextLogDisplay.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "logdisplay.h"
#include "logrows.h"
#include "logslot.h"
#include "logstore.h"
#include "zelext.h"
#include "zellog.h"

namespace {

constexpr const char *SOURCE = "logbook";
constexpr const char *SECTION = "logbook";
constexpr const char *LOG_FILE = "logbook.log";

struct State {
    bool initialised = false;
    int lastError = 0;
    HMODULE self = nullptr;
    char logName[EXT_INIT_LOG_NAME_SIZE] = {};
    char configPath[EXT_INIT_CONFIG_PATH_SIZE] = {};
    HMODULE modules[ZELEXT_MAX_MODULES] = {};
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

// "MaxLogSize" of section "logbook": kilobytes per log file generation.
uint64_t configuredMaxSize() {
    UINT kb = GetPrivateProfileIntA(SECTION, "MaxLogSize", LOGSTORE_DEFAULT_MAX_SIZE / 1024, g.configPath);
    return static_cast<uint64_t>(kb) * 1024;
}

std::string logFilePath() {
    std::string path = g.configPath;
    std::size_t slash = path.rfind('/');
    path.erase(slash == std::string::npos ? 0 : slash + 1);
    return path + LOG_FILE;
}

int commonInit() {
    std::string path = logFilePath();
    int rc = logstoreOpen(path.c_str(), configuredMaxSize());
    if (rc != 0) {
        zelextLog(SOURCE, ZELLOG_FAILURE, "The log file %s could not be opened", path.c_str());
        zelextLogShutdown();
        return -3;
    }
    if ((rc = logslotStart(g.logName)) != 0) {
        logstoreClose();
        zelextLog(SOURCE, ZELLOG_ERROR, "logslotStart() returned error code %d", rc);
        zelextLogShutdown();
        return -3;
    }
    std::memset(g.modules, 0, sizeof g.modules);
    g.initialised = true;
    return 0;
}

}  // namespace

ZELEXT_EXPORT int zelextInitEx(ExtInitInfo *info) {
    if (g.initialised) return result(-1);
    if (!info || info->size != EXT_INIT_INFO_SIZE) return result(-2);
    std::snprintf(g.logName, sizeof g.logName, "%.*s", EXT_INIT_LOG_NAME_SIZE - 1, info->logName);
    std::snprintf(g.configPath, sizeof g.configPath, "%.*s", EXT_INIT_CONFIG_PATH_SIZE - 1, info->configPath);
    if (!g.logName[0]) std::snprintf(g.logName, sizeof g.logName, "%s", ZELLOG_DEFAULT_SLOT);
    zelextLogSetSlot(g.logName);
    return result(commonInit());
}

ZELEXT_EXPORT int zelextInit(LPCSTR configPath) {
    if (g.initialised) return result(-1);
    if (!configPath) return result(-2);
    std::snprintf(g.configPath, sizeof g.configPath, "%s", configPath);
    std::snprintf(g.logName, sizeof g.logName, "%s", ZELLOG_DEFAULT_SLOT);
    zelextLogSetSlot(nullptr);
    return result(commonInit());
}

ZELEXT_EXPORT int zelextShutdown(void) {
    if (!g.initialised) return result(-1);
    logdisplayShutdown();
    logslotStop();
    logstoreClose();
    zelextLogShutdown();
    g.initialised = false;
    return result(0);
}

ZELEXT_EXPORT HMODULE zelextGetModuleHandle(void) { return g.initialised ? selfModule() : nullptr; }

ZELEXT_EXPORT int zelextGetDlgCount(void) { return result(g.initialised ? 0 : -1); }

ZELEXT_EXPORT int zelextGetEntryPointDlg(int) { return result(g.initialised ? -2 : -1); }

ZELEXT_EXPORT HICON zelextGetEntryPointIcon(int, int) { return nullptr; }

ZELEXT_EXPORT DLGPROC zelextGetEntryPointProc(int) { return nullptr; }

ZELEXT_EXPORT int zelextEnumModules(HMODULE module) {
    if (!g.initialised) return result(-1);
    for (HMODULE &slot : g.modules) {
        if (!module || slot == module) break;
        if (!slot) {
            slot = module;
            break;
        }
    }
    return result(0);
}

ZELEXT_EXPORT int zelextNotifyChange(int code, int value) {
    if (!g.initialised) return result(-1);
    if (code == EXT_NOTIFY_CONFIG_CHANGED && value == EXT_CONFIG_RELOAD) logstoreSetMaxSize(configuredMaxSize());
    return result(0);
}

ZELEXT_EXPORT int zelextGetLastError(void) {
    int last = g.lastError;
    g.lastError = 0;
    return last;
}

// Fills a log page's list view with the records of source, newest first,
// and keeps it current while the list's window lives (logdisplay). Row
// count; -1 not initialised; -2 a window that is not a list view, a null
// source or a negative number.
ZELEXT_EXPORT int zelextLogDisplay(HWND listView, LPCSTR source, int number) {
    if (!g.initialised) return result(-1);
    if (!listView || !source || number < 0) return result(-2);
    int rows = logdisplayFill(listView, source, number);
    if (rows < 0) return result(rows);
    result(0);
    return rows;
}

ZELEXT_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g.self = instance;
    else if (reason == DLL_PROCESS_DETACH) zelextShutdown();
    return TRUE;
}
