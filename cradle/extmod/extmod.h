/* extmod: the plug-in manager. Finds the plug-in files of the plug-in
 * directory, applies pending replacements from its extmod.ini, chooses one
 * file per InternalName, loads and initialises each through the zelext
 * contract, introduces the plug-ins to each other and to the host, delivers
 * notifications, answers questions about the plug-ins' settings pages, and
 * shuts everything down. Called on the host's main thread only.
 *
 * Every operation sets the manager's last error to its result: -1 not
 * initialised (extmodInit: already initialised), -2 bad argument or nothing
 * found. Problems with single files are logged (level 5, source "cradle") and
 * the file is skipped. */
#ifndef CRADLE_EXTMOD_H
#define CRADLE_EXTMOD_H

#include <windows.h>
#include <prsht.h>

#include "zelext.h"

#define EXTMOD_MAX_ENTRIES ZELEXT_MAX_MODULES
#define EXTMOD_PATH_SIZE 256
#define EXTMOD_NAME_SIZE ZELEXT_NAME_SIZE
#define EXTMOD_INI_NAME "extmod.ini"
#define EXTMOD_RENAME_SECTION "rename"

/* Starts the manager: directory null means the current directory, which the
 * manager then makes the process's current directory. 0; -1 when already
 * initialised; -2 when caption or configPath is null. */
int extmodInit(LPCSTR directory, HWND hostWindow, HMODULE brandingModule, LPCSTR caption, LPCSTR configPath,
               int hostVersion);
/* A second, read-only plug-in directory (an installed copy's ext/ beside the
 * user's own): its "*.dll" files join those of the plug-in directory at the
 * next extmodInit (16 in all, sorted by path; the newer file of an
 * InternalName wins). Its extmod.ini is not read. Null or "" removes it. */
void extmodSetSharedDirectory(LPCSTR directory);
/* zelextShutdown of every loaded plug-in in table order, then unloads them. */
int extmodShutdown(void);

/* zelextNotifyChange(code, value) on every loaded plug-in that exports it, in
 * table order: the last plug-in's result, or value when none was called. */
int extmodNotify(int code, int value);
/* The same for the plug-in loaded as this module; -2 when none is. */
int extmodNotifyModule(HMODULE module, int code, int value);
/* The same for every loaded plug-in of this InternalName (case-sensitive);
 * -2 when none is loaded. */
int extmodNotifyByName(LPCSTR name, int code, int value);

/* Loads one more plug-in file into a free entry (not introduced to the others,
 * no notification). 0, or -2. */
int extmodLoadModule(LPCSTR path);
/* Shuts down and unloads the first loaded plug-in of this InternalName. 0;
 * -2 when none is loaded or it lacks zelextShutdown (it then stays loaded). */
int extmodUnloadModule(LPCSTR name);

/* Pages of all loaded plug-ins are numbered in table order from 0; only the
 * numbers 0 to 15 exist. */
/* Module of the plug-in that owns the page; null (last error -2) if none. */
HMODULE extmodGetPageModule(int page);
/* Version string item of the owning plug-in's file: its length; -2 no such
 * page or bad buffer, -3 the file has no such item. */
int extmodGetPageString(int page, LPCSTR item, LPSTR buffer, int size);
/* The page's title: its dialog's caption, read without running the
 * plug-in's procedure. The length copied into buffer (cut to size - 1); 0
 * when the dialog could not be made; -2 for a page that does not exist. */
int extmodGetPageTitle(int page, LPSTR buffer, int size);
/* Fills a page description (instance, template id, icon, procedure,
 * PSP_HASHELP) that PropertySheetA and the settings window show; 0 or -2. */
int extmodGetPage(PROPSHEETPAGEA *page, int number);
/* Fills the About page's module list: columns "Module", "Description",
 * "Version", "Company" and "Path", one row per loaded plug-in with its icon
 * (the branding module's bitmap 160 when it has none). 0; -1 not
 * initialised; -2 not a window. */
int extmodFillModuleList(HWND listView);
/* Number of the first page of the loaded plug-in of this InternalName
 * (case-sensitive); -2 when none is loaded or it has no pages. */
int extmodFindFirstPage(LPCSTR name);

/* Result of the last manager operation. */
int extmodGetLastError(void);

/* A copy of one table entry, for the module list and for tests. */
typedef struct ExtmodEntryInfo {
    char path[EXTMOD_PATH_SIZE];
    char name[EXTMOD_NAME_SIZE];
    DWORD versionHigh;
    DWORD versionLow;
    int candidate;
    HMODULE module;
    int pageCount;
} ExtmodEntryInfo;

/* 0 and a copy of entry index (0 to 15); -1 not initialised, -2 bad index or
 * an entry no file was found for. */
int extmodGetEntry(int index, ExtmodEntryInfo *info);

#endif
