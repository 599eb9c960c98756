/* HTML help: HtmlHelpA of the module "hhctrl.ocx", which programs load at
 * run time (LoadLibraryA, GetProcAddress). Help files are the suite's help
 * archives (docs/ARCHITECTURE.md, "Help files"); pages open in the user's
 * browser and text pop-ups show beside the pointer. */
#ifndef PLATFORM_WIN_HTMLHELP_H
#define PLATFORM_WIN_HTMLHELP_H

#include "types.h"
#include "handles.h"

#define HH_DISPLAY_TOPIC 0x0000
#define HH_HELP_FINDER 0x0000
#define HH_DISPLAY_TOC 0x0001
#define HH_DISPLAY_INDEX 0x0002
#define HH_DISPLAY_SEARCH 0x0003
#define HH_DISPLAY_TEXT_POPUP 0x000E
#define HH_HELP_CONTEXT 0x000F
#define HH_TP_HELP_CONTEXTMENU 0x0010
#define HH_TP_HELP_WM_HELP 0x0011
#define HH_CLOSE_ALL 0x0012

typedef struct tagHH_POPUP {
    int cbStruct;
    HINSTANCE hinst;       /* with idString: a string resource of this module */
    UINT idString;         /* topic number in the text file named after "::/" */
    LPCSTR pszText;        /* the text itself when idString is 0 */
    POINT pt;              /* screen position of the pop-up's top centre */
    COLORREF clrForeground; /* -1: the tooltip colours */
    COLORREF clrBackground;
    RECT rcMargins;        /* -1 each: default margins */
    LPCSTR pszFont;        /* "face,points[,charset][,BOLD ITALIC UNDERLINE]" */
} HH_POPUP;

typedef HWND(WINAPI *PFN_HtmlHelpA)(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);

WIN_EXTERN_C_BEGIN

/* pszFile: "file.hlp", optionally "::/topic" (a page, or a text file of
 * pop-ups) and ">window" (ignored). Returns a non-null handle on success,
 * NULL when the file, map entry or topic is missing. */
WINBASEAPI HWND WINAPI HtmlHelpA(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);

WIN_EXTERN_C_END

#endif
