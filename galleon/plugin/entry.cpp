// Entry points of the photo plug-in: initialisation, notifications, pages and shutdown.
#include <cstdio>
#include <cstring>

#include "bufmod.h"
#include "config.h"
#include "dirs.h"
#include "fwmod.h"
#include "listmod.h"
#include "logmod.h"
#include "pagelink.h"
#include "photolog.h"
#include "pwdmod.h"
#include "respmod.h"
#include "server.h"
#include "varmod.h"
#include "zelext_plugin.h"
#include "zellog.h"

// Icons of the resource layer; null until that layer is part of the process.
extern "C" HANDLE LoadImageA(HINSTANCE, LPCSTR, UINT, int, int, UINT) __attribute__((weak));

namespace {

constexpr const char* kServerVersion = "galleon/1.02 (File and Photo Share Server of the Cradle Suite)";
constexpr int kMenuPreviewAlbums = 200;
constexpr int kMenuViewLogs = 220;
constexpr int kNotifyCancelSettings = 5;
constexpr UINT kImageIcon = 1;
constexpr UINT kLoadShared = 0x8000;

struct PageInfo {
  int dialog;
  const char* procedure;
  const char* icon;  // resource name, or null: the icon id below
  int iconId;
};
const PageInfo kPages[] = {
    {10, "zelextSettingsProc", "tabicon", 0},
    {31, "zelextOptionsProc", nullptr, 150},
    {32, "zelextSecurityProc", nullptr, 146},
    {33, "zelextLogProc", nullptr, 149},
};

struct PluginState {
  bool initialised = false;
  int lastError = 0;
  ExtInitInfo initInfo{};
  ZelextModuleTable modules{};
  int auxList = -1;
  bool ownsListmod = false;
  HWND hostWindow = nullptr;
  HINSTANCE hostInstance = nullptr;
} g;

int result(int code) {
  g.lastError = code;
  return code;
}

int pageCount() { return g_config.wideConfig ? 4 : 1; }

void logIfFailed(const char* what, int rc, bool acceptMinusOne = false) {
  if (rc < 0 && !(acceptMinusOne && rc == -1)) photoLog(LOG_CALL_FAILED, "%s() failed with error code %d", what, rc);
}

// Steps shared by both initialisation entry points, after the configuration path is known.
int initialise(const char* logName) {
  zelextLogSetSlot(logName && *logName ? logName : nullptr);
  if (bufmodInit() != 0) return -3;
  g_serverStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!g_serverStopEvent) {
    bufmodShutdown();
    return -3;
  }
  zelextModulesClear(&g.modules);
  configDerivePaths(g_config);
  dirsCreatePath(g_config.collectionsDir);
  g.lastError = 0;
  configRead(g_config);
  g_serverThread = nullptr;

  logIfFailed("logmodInit", logmodInit(g_config.accessLogPath, nullptr));
  int users = pwdmodInit(g_config.userDbPath);
  logIfFailed("pwdmodInit", users);
  if (users == PWDMOD_ERR_DAMAGED)
    photoLog(LOG_CALL_FAILED, "%s could not be read whole; protected collections stay closed until it is repaired",
             g_config.userDbPath);
  int rc = listInit();
  g.ownsListmod = rc == 0;
  logIfFailed("listInit", rc, true);
  if (galleonPagesInit) galleonPagesInit();
  logIfFailed("varmodInit", varmodInit());
  g.auxList = listCreate();
  logIfFailed("listCreate", g.auxList);
  logIfFailed("fwmodInit", fwmodInit(g_config.configPath, CONFIG_SECTION));
  logIfFailed("respmodSetRealm", respmodSetRealm(g_config.realm));
  logIfFailed("respmodSetServerVersion", respmodSetServerVersion(kServerVersion));
  logIfFailed("respmodSetHost", respmodSetHost(g_config.hostName));
  dirsCreateRecycleBin(g_config.collectionsDir);

  if (!g_config.enable) {
    photoLog(LOG_INFO, "server not enabled.");
  } else if (serverStart(THREAD_PRIORITY_HIGHEST) != 0) {
    // Undo what was started: the host unloads a plug-in that fails to initialise.
    fwmodShutdown();
    pwdmodShutdown();
    varmodShutdown();
    if (galleonPagesShutdown) galleonPagesShutdown();
    logmodShutdown();
    if (g.auxList >= 0) listDestroy(g.auxList);
    if (g.ownsListmod) listShutdown();
    CloseHandle(g_serverStopEvent);
    g_serverStopEvent = nullptr;
    bufmodShutdown();
    zelextLogShutdown();
    return -3;
  }
  g.initialised = true;
  return g.lastError;
}

}  // namespace

HMODULE galleonEnumModule(int n) {
  if (n < 0 || n >= ZELEXT_MAX_MODULES) return nullptr;
  int found = 0;
  for (HMODULE module : g.modules.modules) {
    if (!module) continue;
    if (found++ == n) return module;
  }
  return nullptr;
}

HWND galleonHostWindow() { return g.hostWindow; }
HINSTANCE galleonHostInstance() { return g.hostInstance; }

int serverStart(int priority) {
  serverSetStatusText("Starting...");
  serverClearStop();
  g_serverThread = CreateThread(nullptr, 0, serverListenerThread, nullptr, CREATE_SUSPENDED, nullptr);
  if (!g_serverThread) {
    serverSetStatusText("Stopped");
    return -3;
  }
  SetThreadPriority(g_serverThread, priority);
  ResumeThread(g_serverThread);
  return 0;
}

void serverStop(DWORD waitMs) {
  if (!g_serverThread) return;
  serverRequestStop();
  // The listener ends its connections and waits for their threads (a
  // thumbnail being made, say); the modules they use must outlive them.
  if (WaitForSingleObject(g_serverThread, waitMs) == WAIT_TIMEOUT) {
    photoLog(LOG_CALL_FAILED, "The server did not stop within %lu ms; waiting for its connections",
             static_cast<unsigned long>(waitMs));
    WaitForSingleObject(g_serverThread, INFINITE);
  }
  CloseHandle(g_serverThread);
  g_serverThread = nullptr;
  serverClearStop();
}

ZELEXT_EXPORT int zelextInit(LPCSTR configPath) {
  if (g.initialised) return result(-1);
  if (!configPath) return result(-2);
  memset(&g.initInfo, 0, sizeof g.initInfo);
  // Without the record, the host's window is found by its class and its
  // instance read from it.
  g.hostWindow = nullptr;
  g.hostInstance = nullptr;
  if (galleonPagesFindHost) galleonPagesFindHost(&g.hostWindow, &g.hostInstance);
  snprintf(g_config.configPath, sizeof g_config.configPath, "%s", configPath);
  return result(initialise(nullptr));
}

ZELEXT_EXPORT int zelextInitEx(ExtInitInfo* info) {
  if (g.initialised) return result(-1);
  if (!info || info->size != EXT_INIT_INFO_SIZE) return result(-2);
  memcpy(&g.initInfo, info, sizeof g.initInfo);
  ZelextHostInfo host;
  if (zelextReadInitInfo(info, &host) != 0) return result(-2);
  snprintf(g_config.configPath, sizeof g_config.configPath, "%s", host.configPath);
  g.hostWindow = host.hostWindow;
  g.hostInstance = host.resourceModule;
  return result(initialise(host.logName));
}

ZELEXT_EXPORT int zelextShutdown(void) {
  if (!g.initialised) return result(-1);
  serverStop(5000);
  bufmodShutdown();
  CloseHandle(g_serverStopEvent);
  g_serverStopEvent = nullptr;
  fwmodShutdown();
  pwdmodShutdown();
  if (g.auxList >= 0) listDestroy(g.auxList);
  g.auxList = -1;
  varmodShutdown();
  if (galleonPagesShutdown) galleonPagesShutdown();
  logmodShutdown();
  g.initialised = false;
  if (g.ownsListmod) listShutdown();
  photoLog(LOG_INFO, "shutdown complete.");
  zelextLogShutdown();
  return result(0);
}

ZELEXT_EXPORT HMODULE zelextGetModuleHandle(void) {
  if (!g.initialised) {
    result(-1);
    return nullptr;
  }
  result(0);
  return g_galleonModule;
}

ZELEXT_EXPORT int zelextGetLastError(void) {
  int last = g.lastError;
  g.lastError = 0;
  return last;
}

ZELEXT_EXPORT int zelextEnumModules(HMODULE module) {
  if (!g.initialised) return result(-1);
  return result(zelextModulesAdd(&g.modules, module));
}

ZELEXT_EXPORT int zelextNotifyChange(int code, int value) {
  if (!g.initialised) return result(-1);
  if (code == EXT_NOTIFY_MENU_BAR) {
    int cursor = 0;
    while (auto add = zelextModulesNext<PFN_zelextAddMenuItem>(&g.modules, "zelextAddMenuItem", &cursor)) {
      add(value, "&Tools", "Preview Albums", kMenuPreviewAlbums, g_galleonModule);
      add(value, "&Tools", "View Logs", kMenuViewLogs, g_galleonModule);
    }
  } else if (code == kNotifyCancelSettings && galleonPagesCancelSettings) {
    galleonPagesCancelSettings();
  }
  return result(0);
}

ZELEXT_EXPORT int zelextGetDlgCount(void) {
  if (!g.initialised) return result(-1);
  result(0);
  return pageCount();
}

ZELEXT_EXPORT int zelextGetEntryPointDlg(int page) {
  if (!g.initialised) return result(-1);
  if (page < 0 || page >= pageCount()) return result(-2);
  result(0);
  return kPages[page].dialog;
}

ZELEXT_EXPORT DLGPROC zelextGetEntryPointProc(int page) {
  if (!g.initialised) {
    result(-1);
    return nullptr;
  }
  if (page < 0 || page >= pageCount()) {
    result(-2);
    return nullptr;
  }
  // Pages are found by name in the module's own exports, like the host would.
  FARPROC proc = GetProcAddress(g_galleonModule, kPages[page].procedure);
  result(proc ? 0 : -5);
  return reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(proc));
}

ZELEXT_EXPORT HICON zelextGetEntryPointIcon(int page, int size) {
  if (!g.initialised) {
    result(-1);
    return nullptr;
  }
  if (page < 0 || page >= pageCount()) {
    result(-2);
    return nullptr;
  }
  if (!LoadImageA) {
    result(-5);
    return nullptr;
  }
  LPCSTR name = kPages[page].icon ? kPages[page].icon
                                  : reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(kPages[page].iconId));
  HICON icon = static_cast<HICON>(LoadImageA(g_galleonModule, name, kImageIcon, size, size, kLoadShared));
  result(icon ? 0 : -5);
  return icon;
}

ZELEXT_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_galleonModule = instance;
  else if (reason == DLL_PROCESS_DETACH) zelextShutdown();
  return TRUE;
}
