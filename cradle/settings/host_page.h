// The host's "SETTINGS" page and the dialogs it opens.
#pragma once

#include <windows.h>

// Tab access dialog (102): 1 when saved.
INT_PTR settingsTabAccessDialog(HWND owner);
// Password protection dialog (104): 1 when saved.
INT_PTR settingsPasswordProtectionDialog(HWND owner);
// A tab's icon as the tree shows it (shared, not to be destroyed), or null.
HICON settingsTabIcon(int tab);
