// The "Advanced..." property sheet of the UPnP page: the Settings page
// (gateways to configure, what happens to the forwarding at exit) and the
// Log page.
#pragma once
#include <windows.h>

// Runs the sheet modally over owner; true when it was closed with OK.
bool advancedSheetRun(HWND owner);
