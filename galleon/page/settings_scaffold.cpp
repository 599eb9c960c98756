// Scaffold until the Settings page group lands: delete this file then.
#include "pages.h"

ZELEXT_EXPORT INT_PTR CALLBACK zelextSettingsProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
HWND settingsPageWindow() { return nullptr; }
void settingsPageServerStarted() {}
