// hhelpmod: HTML help through the run-time library, and help extraction.
#include "hhelpmod.h"

#include <win/htmlhelp.h>

#include <cstring>
#include <mutex>

namespace {

struct HelpState {
    bool initialised = false;
    HMODULE library = nullptr;
} g_help;
std::mutex g_helpLock;

const char kLibrary[] = "hhctrl.ocx";

}  // namespace

int hhelpmodInit(void) {
    std::lock_guard<std::mutex> g(g_helpLock);
    if (g_help.initialised) return -1;
    // The system directory first, then the library's name alone.
    char path[MAX_PATH + sizeof kLibrary + 1] = "";
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        if (path[n - 1] != '/' && path[n - 1] != '\\') path[n++] = '/', path[n] = 0;
        std::memcpy(path + n, kLibrary, sizeof kLibrary);
        g_help.library = LoadLibraryA(path);
    }
    if (!g_help.library) g_help.library = LoadLibraryA(kLibrary);
    g_help.initialised = true;
    return 0;
}

int hhelpmodShutdown(void) {
    std::lock_guard<std::mutex> g(g_helpLock);
    if (!g_help.initialised) return -1;
    if (g_help.library) FreeLibrary(g_help.library);
    g_help = HelpState{};
    return 0;
}

int hhelpmodAvailable(void) {
    std::lock_guard<std::mutex> g(g_helpLock);
    return g_help.initialised && g_help.library ? 1 : 0;
}

HWND hhelpmodHtmlHelp(HWND window, LPCSTR file, UINT command, DWORD_PTR data) {
    PFN_HtmlHelpA help = nullptr;
    {
        std::lock_guard<std::mutex> g(g_helpLock);
        if (!g_help.initialised || !g_help.library) return nullptr;
        help = reinterpret_cast<PFN_HtmlHelpA>(GetProcAddress(g_help.library, "HtmlHelpA"));
    }
    return help ? help(window, file, command, data) : nullptr;
}

int hhelpmodExtractHelpFile(LPCSTR pluginPath, LPCSTR helpPath) {
    if (!pluginPath || !helpPath || !*pluginPath || !*helpPath) return -1;
    // As a data file: the plug-in's code does not run to hand out its help.
    HMODULE plugin = LoadLibraryExA(pluginPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!plugin) return -2;
    int result = -3;
    HRSRC res = FindResourceA(plugin, MAKEINTRESOURCEA(100), "HELP");
    HGLOBAL data = res ? LoadResource(plugin, res) : nullptr;
    const void *bytes = data ? LockResource(data) : nullptr;
    DWORD size = res ? SizeofResource(plugin, res) : 0;
    if (bytes) {
        HANDLE file = CreateFileA(helpPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
            CloseHandle(file);
            if (ok) result = 0;
            else DeleteFileA(helpPath);  // no half-written help file
        }
    }
    FreeLibrary(plugin);
    return result;
}
