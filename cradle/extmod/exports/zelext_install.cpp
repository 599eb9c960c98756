// The host's installation exports, which plug-ins find in the program with
// GetProcAddress. This file is linked into the program itself (object library
// cradle_install_exports), not taken from the cradlecore archive, so that
// nothing in the program has to reference the exports for them to be there.
#include <windows.h>

#include <cstdio>

#include "extmod/extmod_install.h"
#include "shell/shell.h"
#include "zelext.h"
#include "zellog.h"

namespace {

int install(LPCSTR path, BOOL unloadFirst) {
    char name[EXTMOD_INSTALL_NAME_SIZE] = "";
    int result = extmodInstallModule(path, name, ZELEXT_HOST_VERSION, unloadFirst);
    char message[512];
    switch (result) {
    case 0:
        zelextLog("cradle", ZELLOG_INFO, "Plug-in %s successfully installed", name);
        break;
    case -1:
        zelextLog("cradle", ZELLOG_ERROR, "extmodInstallModule() failed with error code %d", result);
        break;
    case -3:
        zelextLog("cradle", ZELLOG_ERROR,
                  "Object %s (%s) is being passed to loaded plug-in extension(s) for possible processing.", path,
                  name);
        break;
    case -4: {
        const ShellState &shell = shellState();
        zelextLog("cradle", ZELLOG_ERROR, "You must close and restart %s to activate plug-in %s.", shell.title, name);
        std::snprintf(message, sizeof message, "You must close and restart %s for plug-in %s to be activated.",
                      shell.title, name);
        MessageBoxA(shell.mainWindow, message, shell.title, MB_OK | MB_ICONINFORMATION);
        break;
    }
    case -8:
        zelextLog("cradle", ZELLOG_ERROR,
                  "Plug-in %s could not be installed; a newer version of the Skyloom Client is required.", name);
        break;
    default:
        break;
    }
    return result;
}

}  // namespace

ZELEXT_EXPORT int zelextInstallModule(LPCSTR path) { return install(path, TRUE); }

ZELEXT_EXPORT int zelextDeferInstallModule(LPCSTR path) { return install(path, FALSE); }
