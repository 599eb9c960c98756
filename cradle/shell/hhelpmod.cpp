// The HTML help library, loaded from the system directory or by name.
#include "shell/hhelpmod.h"

#include <win/htmlhelp.h>

#include <cstdio>
#include <cstring>

namespace {

bool initialised = false;
HMODULE library = nullptr;

}  // namespace

int hhelpmodInit() {
    if (initialised) return -1;
    char path[MAX_PATH] = "";
    UINT n = GetSystemDirectoryA(path, sizeof path);
    if (n > 0 && n < sizeof path - 16) {
        if (path[n - 1] != '/' && path[n - 1] != '\\') std::strcat(path, "/");
        std::strcat(path, "hhctrl.ocx");
        library = LoadLibraryA(path);
    }
    if (!library) library = LoadLibraryA("hhctrl.ocx");
    initialised = true;
    return 0;
}

int hhelpmodShutdown() {
    if (!initialised) return -1;
    if (library) FreeLibrary(library);
    library = nullptr;
    initialised = false;
    return 0;
}

int hhelpmodAvailable() { return initialised && library ? 1 : 0; }

HWND hhelpmodHtmlHelp(HWND window, LPCSTR file, UINT command, DWORD_PTR data) {
    if (!hhelpmodAvailable()) return nullptr;
    auto help = reinterpret_cast<PFN_HtmlHelpA>(GetProcAddress(library, "HtmlHelpA"));
    return help ? help(window, file, command, data) : nullptr;
}
