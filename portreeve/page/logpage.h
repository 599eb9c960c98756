// The Log page of the Advanced sheet: the records of source "upnp", listed by
// the logging plug-in's zelextLogDisplay when one is loaded; otherwise a link
// to the help topic about that plug-in.
#pragma once
#include <windows.h>

INT_PTR CALLBACK logPageProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
