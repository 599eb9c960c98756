// The help file a plug-in carries as its "HELP" resource 100.
#include <windows.h>

#include "extmod_install.h"

int extmodWriteHelpFile(LPCSTR pluginPath, LPCSTR helpPath) {
    if (!pluginPath || !helpPath) return -1;
    HMODULE module = LoadLibraryA(pluginPath);
    if (!module) return -2;
    int result = -3;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(100), "HELP");
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    const void *bytes = data ? LockResource(data) : nullptr;
    DWORD size = resource ? SizeofResource(module, resource) : 0;
    if (bytes) {
        HANDLE file = CreateFileA(helpPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            bool ok = size == 0 || (WriteFile(file, bytes, size, &written, nullptr) && written == size);
            if (CloseHandle(file) && ok) result = 0;
            // A help file cut short would show garbage: take it away.
            if (result != 0) DeleteFileA(helpPath);
        }
    }
    FreeLibrary(module);
    return result;
}
