// What the entry points ask of the pages (see pagelink.h).
#include <prsht.h>

#include "pagelink.h"
#include "pages.h"
#include "photolog.h"

extern "C" __attribute__((visibility("default"))) void galleonPagesInit(void) {
    int rc = modwinInit();
    if (rc < 0) photoLog(LOG_CALL_FAILED, "modwinInit() failed with error code %d", rc);
    transactionLogClose();
}

extern "C" __attribute__((visibility("default"))) void galleonPagesShutdown(void) {
    transactionLogClose();
    modwinShutdown();
}

extern "C" __attribute__((visibility("default"))) void galleonPagesCancelSettings(void) {
    if (HWND page = settingsPageWindow()) PostMessageA(GetParent(page), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

extern "C" __attribute__((visibility("default"))) void galleonPagesFindHost(HWND* window, HINSTANCE* instance) {
    HWND host = FindWindowA(ZELEXT_HOST_CLASS, nullptr);
    *window = host;
    *instance = host ? reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(GetWindowLongA(host, GWL_HINSTANCE))) : nullptr;
}
