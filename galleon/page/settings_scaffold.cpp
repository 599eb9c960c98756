// Scaffold until the Settings page group lands: delete this file then. A
// bare Settings page whose "A&dd..." runs the Add Collection wizard and saves
// the collection when it ends with Finish.
#include "pages.h"

#include "config.h"
#include "listmod.h"
#include "photolog.h"
#include "server.h"
#include "store.h"

namespace {

HWND g_page = nullptr;

void addCollection(HWND dlg) {
    CollectionRecord record{};
    record.fileList = listCreate();
    if (record.fileList < 0) return;
    if (wizardRunNew(dlg, &record) == 1)
        storeSaveCollection(g_config.collectionsDir, g_config.configPath, nullptr, record.name, record.password,
                            record.isPublic != 0, record.type);
    int rc = listDestroy(record.fileList);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "listDestroy returned error code %d", rc);
}

}  // namespace

ZELEXT_EXPORT INT_PTR CALLBACK zelextSettingsProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            g_page = dlg;
            CheckRadioButton(dlg, 13, 14, serverIsRunning() ? 13 : 14);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == 100 && HIWORD(wParam) == BN_CLICKED) addCollection(dlg);
            return TRUE;
        case WM_DESTROY:
            if (g_page == dlg) g_page = nullptr;
            return FALSE;
    }
    return FALSE;
}

HWND settingsPageWindow() { return g_page; }

void settingsPageServerStarted() {
    if (g_page) CheckRadioButton(g_page, 13, 14, 13);
}
