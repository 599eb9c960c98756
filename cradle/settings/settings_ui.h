// Small helpers the settings window, its pages and dialogs share.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Statics 400 to 499 are section headings: blue text on a transparent
// background. The WM_CTLCOLORSTATIC answer for such a control, 0 otherwise.
INT_PTR settingsHeadingColor(HDC dc, int id);
// Sends a page a property sheet notification (sender: the settings window,
// id 0) and returns the page's DWL_MSGRESULT answer.
LONG_PTR settingsNotifyPage(HWND page, UINT code, LPARAM value);
// Logs a failed call at level 5: format holds one %d.
void settingsLog(const char *format, int code);
// WM_HELP of a host dialog: the pop-up of the control the request names,
// looked up in pairs (control id, topic, ..., 0, 0) and shown from the
// pop-up text of the default help file. TRUE when a pop-up was shown.
BOOL settingsControlHelp(const HELPINFO *info, const DWORD *pairs);
