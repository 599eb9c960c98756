// Plug-in manager: start-up, shut-down and notifications.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include <algorithm>

#include "extmod_state.h"
#include "zellog.h"

ExtmodState g_extmod;

namespace {

void copyText(char *out, std::size_t size, const char *text) {
    std::size_t n = text ? strnlen(text, size - 1) : 0;
    if (n) std::memcpy(out, text, n);
    out[n] = '\0';
}

void vlog(int level, const char *format, va_list args) {
    char message[512];
    std::vsnprintf(message, sizeof message, format, args);
    zelextLog("cradle", level, "%s", message);
}

void setDirectory(const char *directory) {
    char dir[MAX_PATH] = "";
    if (directory) {
        copyText(dir, 256, directory);
    } else if (GetCurrentDirectoryA(sizeof dir, dir) == 0 || std::strlen(dir) > 255) {
        dir[0] = '\0';
    }
    std::size_t n = std::strlen(dir);
    if (n > 0 && dir[n - 1] != '/' && dir[n - 1] != '\\') {
        dir[n] = '/';
        dir[n + 1] = '\0';
    }
    copyText(g_extmod.directory, sizeof g_extmod.directory, dir);
    std::snprintf(g_extmod.iniPath, sizeof g_extmod.iniPath, "%s%s", dir, EXTMOD_INI_NAME);
    // Libraries the plug-ins need are found beside them.
    if (dir[0]) SetCurrentDirectoryA(dir);
}

// Adds the "*.dll" files of a directory to the table after the first count
// entries, in the order the directory lists them, until 16 are filled;
// returns the new count.
int findPluginFiles(const char *directory, int count) {
    if (count >= EXTMOD_MAX_ENTRIES) return count;
    char pattern[MAX_PATH + 8];
    std::snprintf(pattern, sizeof pattern, "%s*.dll", directory);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return count;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ExtmodEntry &entry = g_extmod.table[count];
        int n = std::snprintf(entry.path, sizeof entry.path, "%s%s", directory, found.cFileName);
        // A path that does not fit would name another file: leave it out.
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof entry.path) {
            entry.path[0] = '\0';
            continue;
        }
        ++count;
    } while (count < EXTMOD_MAX_ENTRIES && FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

void sortByPath(int count) {
    std::stable_sort(g_extmod.table, g_extmod.table + count, [](const ExtmodEntry &a, const ExtmodEntry &b) {
        return strcasecmp(a.path, b.path) < 0;
    });
}

// Every plug-in learns the host program first, then every other entry found,
// in table order (a null handle for an entry that did not load).
void introduceModules(int count) {
    HMODULE host = GetModuleHandleA(nullptr);
    for (int j = 0; j < count; ++j) {
        const ExtmodEntry &receiver = g_extmod.table[j];
        if (!receiver.module) continue;
        auto enumModules = extmodExport<PFN_zelextEnumModules>(receiver.module, "zelextEnumModules");
        if (!enumModules) continue;
        enumModules(host);
        for (int i = 0; i < count; ++i)
            if (i != j) enumModules(g_extmod.table[i].module);
    }
}

}  // namespace

void extmodLogf(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vlog(ZELLOG_ERROR, format, args);
    va_end(args);
}

void extmodLogInfo(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vlog(ZELLOG_INFO, format, args);
    va_end(args);
}

int extmodInit(LPCSTR directory, HWND hostWindow, HMODULE brandingModule, LPCSTR caption, LPCSTR configPath,
               int hostVersion) {
    if (g_extmod.initialised) return extmodResult(-1);
    if (!caption || !configPath) return extmodResult(-2);
    g_extmod.hostVersion = hostVersion;
    g_extmod.hostWindow = hostWindow;
    g_extmod.brandingModule = brandingModule;
    copyText(g_extmod.caption, sizeof g_extmod.caption, caption);
    copyText(g_extmod.configPath, sizeof g_extmod.configPath, configPath);

    for (ExtmodEntry &entry : g_extmod.table) {
        entry = ExtmodEntry{};
        entry.candidate = 1;
    }
    setDirectory(directory);

    int replaced = extmodApplyReplacements();
    if (replaced > 0) extmodLogInfo("Installed %d plug-in(s)", replaced);

    int count = findPluginFiles(g_extmod.directory, 0);
    // The shared directory only when it is another one than the plug-in directory.
    if (g_extmod.sharedDirectory[0] && strcasecmp(g_extmod.sharedDirectory, g_extmod.directory) != 0)
        count = findPluginFiles(g_extmod.sharedDirectory, count);
    sortByPath(count);
    extmodChooseCandidates(count);
    for (int i = 0; i < count; ++i)
        if (g_extmod.table[i].candidate) extmodLoadEntry(g_extmod.table[i]);

    g_extmod.initialised = true;
    introduceModules(count);
    return extmodResult(0);
}

void extmodSetSharedDirectory(LPCSTR directory) {
    char dir[MAX_PATH] = "";
    copyText(dir, 256, directory);
    std::size_t n = std::strlen(dir);
    if (n > 0 && dir[n - 1] != '/') {
        dir[n] = '/';
        dir[n + 1] = '\0';
    }
    copyText(g_extmod.sharedDirectory, sizeof g_extmod.sharedDirectory, dir);
}

int extmodShutdown(void) {
    if (!g_extmod.initialised) return extmodResult(-1);
    for (const ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module) continue;
        if (auto shutdown = extmodExport<PFN_zelextShutdown>(entry.module, "zelextShutdown")) shutdown();
    }
    for (ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module) continue;
        FreeLibrary(entry.module);
        entry.module = nullptr;
    }
    extmodReleaseModuleList();
    g_extmod.initialised = false;
    return extmodResult(0);
}

int extmodNotifyEntry(const ExtmodEntry &entry, int code, int value, bool *called) {
    *called = false;
    if (!entry.module) return value;
    auto notify = extmodExport<PFN_zelextNotifyChange>(entry.module, "zelextNotifyChange");
    if (!notify) return value;
    *called = true;
    return notify(code, value);
}

int extmodNotify(int code, int value) {
    if (!g_extmod.initialised) return extmodResult(-1);
    int result = value;
    for (const ExtmodEntry &entry : g_extmod.table) {
        bool called = false;
        int answer = extmodNotifyEntry(entry, code, value, &called);
        if (called) result = answer;
    }
    return extmodResult(result);
}

int extmodNotifyModule(HMODULE module, int code, int value) {
    if (!g_extmod.initialised) return extmodResult(-1);
    if (!module) return extmodResult(-2);
    for (const ExtmodEntry &entry : g_extmod.table) {
        if (entry.module != module) continue;
        bool called = false;
        return extmodResult(extmodNotifyEntry(entry, code, value, &called));
    }
    return extmodResult(-2);
}

int extmodNotifyByName(LPCSTR name, int code, int value) {
    if (!g_extmod.initialised) return extmodResult(-1);
    if (!name) return extmodResult(-2);
    bool matched = false;
    int result = value;
    for (const ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module || std::strcmp(entry.name, name) != 0) continue;
        matched = true;
        bool called = false;
        int answer = extmodNotifyEntry(entry, code, value, &called);
        if (called) result = answer;
    }
    return extmodResult(matched ? result : -2);
}

int extmodGetLastError(void) { return g_extmod.lastError; }

int extmodGetEntry(int index, ExtmodEntryInfo *info) {
    if (!g_extmod.initialised) return extmodResult(-1);
    if (index < 0 || index >= EXTMOD_MAX_ENTRIES || !info || !g_extmod.table[index].path[0])
        return extmodResult(-2);
    const ExtmodEntry &entry = g_extmod.table[index];
    std::memcpy(info->path, entry.path, sizeof info->path);
    std::memcpy(info->name, entry.name, sizeof info->name);
    info->versionHigh = entry.versionHigh;
    info->versionLow = entry.versionLow;
    info->candidate = entry.candidate;
    info->module = entry.module;
    info->pageCount = entry.pageCount;
    return extmodResult(0);
}
