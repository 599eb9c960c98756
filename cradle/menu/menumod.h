/* menumod: popup menus drawn by the program (owner-drawn items) with an icon
 * strip, normal and active icons per item, colours of their own and a "Helv"
 * font; the menu's default item is drawn bold. A prepared menu carries one
 * drawing record per item as the item's data; measuring and drawing leave
 * items without such a record alone (-2). Main thread only.
 *
 * Results: 0 on success; -1 not initialised (menumodInit: already
 * initialised), -2 bad argument, unknown item or option, or an item that is
 * not one of this module's. */
#ifndef CRADLE_MENUMOD_H
#define CRADLE_MENUMOD_H

#include <windows.h>

/* Options of menumodSetOption, with the value each takes. */
#define MENUMOD_OPT_BACKGROUND 1   /* COLORREF: item background */
#define MENUMOD_OPT_SELECTION 2    /* COLORREF: fill of the selected item */
#define MENUMOD_OPT_STRIP 3        /* COLORREF: icon strip and separator line */
#define MENUMOD_OPT_GRAYTEXT 4     /* COLORREF: text of grayed items */
#define MENUMOD_OPT_FRAME 5        /* COLORREF: border of the selected item, checked icon frame */
#define MENUMOD_OPT_ACTIVE_ICON 6  /* HICON drawn when selected or checked */
#define MENUMOD_OPT_ICON 7         /* HICON drawn normally */
#define MENUMOD_OPT_FONT 8         /* HFONT: kept, not used for drawing */
#define MENUMOD_OPT_STYLE 9        /* MENUMOD_STYLE_* bits */
#define MENUMOD_OPT_TEXT 10        /* LPCSTR: the text drawn (copied) */

#define MENUMOD_STYLE_STRIP 1  /* an icon strip 24 pixels wide; text indented by 30 */
#define MENUMOD_STYLE_ICONS 2  /* draw the icons */

#define MENUMOD_STRIP_WIDTH 24
#define MENUMOD_TEXT_INDENT 30
#define MENUMOD_SEPARATOR_HEIGHT 4
/* Identifies a drawing record of this module. */
#define MENUMOD_MARK 0x12345678u

int menumodInit(void);
int menumodShutdown(void);

/* Attaches a drawing record with the defaults to every item (submenus too)
 * and makes every item owner-drawn; items prepared before keep theirs. */
int menumodPrepareMenu(HMENU menu);
/* Frees every item's drawing record (submenus too) and destroys the menu. */
int menumodRestoreMenu(HMENU menu);
/* Sets one option of the item with command id item, or of every item of the
 * menu (submenus too) when item is -1. */
int menumodSetOption(HMENU menu, int item, int option, LONG_PTR value);

/* WM_MEASUREITEM and WM_DRAWITEM of a menu item carrying a drawing record. */
int menumodMeasureItem(MEASUREITEMSTRUCT *measure);
int menumodDrawItem(const DRAWITEMSTRUCT *draw);

/* Result of the last operation. */
int menumodGetLastError(void);

#endif
