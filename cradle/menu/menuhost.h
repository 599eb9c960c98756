/* menuhost: the settings window's menu bar. The host and plug-ins add items
 * (popup name, item text, command value, owner module) to a menu from any
 * thread; the bar is built from them in one step on the window's thread, and
 * a chosen item's command value and owner are looked up so the command can go
 * to the plug-in that added it.
 *
 * Menus are numbered from 1 (menu id), items of a menu from 1 (item number);
 * the menu command id of item n is 1000 + n. Results: -1 not initialised
 * (menuhostInit: already initialised), -2 bad argument or unknown menu or
 * item, -3 storage failure, -4 the menu bar could not be made. */
#ifndef CRADLE_MENUHOST_H
#define CRADLE_MENUHOST_H

#include <windows.h>

#define MENUHOST_TEXT_SIZE 128
#define MENUHOST_FIRST_COMMAND 1000
#define MENUHOST_SEPARATOR_TEXT "MENUHOST_SEPARATOR"

int menuhostInit(void);
/* Forgets every menu and item. Menu bars stay with their windows, which
 * destroy them. */
int menuhostShutdown(void);

/* A new, empty menu for the window's menu bar: its id. */
int menuhostCreateMenu(HWND window);
/* Stores an item (texts of at most 127 characters): its item number. The
 * text "MENUHOST_SEPARATOR" (any case) makes a separator. */
int menuhostAddItem(int menu, LPCSTR popup, LPCSTR text, int command, HMODULE owner);
int menuhostDeleteItem(int menu, int item);
/* Builds the menu bar from the items (popups in the order of their first
 * item, names compared without regard to case) and attaches it to the window. */
int menuhostDrawMenu(int menu);
/* For command id 1000 + n: the command value of item n, its owner in *owner
 * (null for the host's own items). -2 below 1000 or for an unknown item. */
int menuhostGetItem(int menu, int commandId, HMODULE *owner);

/* Notification 7 with the menu id to every plug-in, so each adds its items;
 * a non-zero answer is logged. Then builds the bar. */
int menuhostCollectAndDraw(int menu);
/* Routes a menu command of the window: a plug-in's item becomes notification
 * 8 with its command value to the owner; a host item is posted to the window
 * as WM_COMMAND of its command value. 0 when routed, -2 when the id is not
 * one of this menu's items. */
int menuhostRouteCommand(int menu, int commandId);

int menuhostGetLastError(void);

#endif
