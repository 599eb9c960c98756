/* hhelpmod: the HTML help library ("hhctrl.ocx"), loaded on demand, and the
 * routine that writes a plug-in's embedded help file to disk. Help is simply
 * unavailable when the library is missing. */
#ifndef COMMON_HHELPMOD_H
#define COMMON_HHELPMOD_H

#include <windows.h>

/* 0, also when the library is missing; -1 if already initialised. */
int hhelpmodInit(void);
/* 0 and the library unloaded; -1 if not initialised. */
int hhelpmodShutdown(void);
/* 1 when initialised with the library loaded, else 0. */
int hhelpmodAvailable(void);
/* HtmlHelpA(window, file, command, data) of the library (looked up at each
 * call); NULL without calling anything when help is unavailable. */
HWND hhelpmodHtmlHelp(HWND window, LPCSTR file, UINT command, DWORD_PTR data);
/* Writes the "HELP" resource 100 of a plug-in file to helpPath (replacing
 * it): 0; -1 a path is missing; -2 the plug-in cannot be loaded; -3 it has
 * no such resource or the help file cannot be written. */
int hhelpmodExtractHelpFile(LPCSTR pluginPath, LPCSTR helpPath);

#endif
