// hhelpmod: the HTML help library ("hhctrl.ocx"), loaded at start-up when it
// is there; help is simply unavailable without it.
#pragma once

#include <windows.h>

// 0, also when the library is missing; -1 when already initialised.
int hhelpmodInit();
// 0; unloads the library; -1 when not initialised.
int hhelpmodShutdown();
// 1 when initialised and the library is loaded, else 0.
int hhelpmodAvailable();
// HtmlHelpA of the library (looked up at each call); null without calling
// anything when help is unavailable.
HWND hhelpmodHtmlHelp(HWND window, LPCSTR file, UINT command, DWORD_PTR data);
