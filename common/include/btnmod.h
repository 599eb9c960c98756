/* btnmod: push buttons drawn by the module, so that a button can carry an
 * icon beside its text and still look like the desktop's buttons: with the
 * theme library ("UXTHEME.DLL") when it loads with all its entries, in the
 * classic three-dimensional look otherwise. Registered buttons become
 * owner-drawn; the dialog passes their WM_DRAWITEM to btnmodDrawItem. The
 * module also tracks the mouse-over ("hot") state the theme needs.
 *
 * Results: 0 on success; -1 not initialised (btnmodInit: already
 * initialised), -2 not a registered button, -3 a resource could not be had
 * (btnmodRemoveButton: the button is not registered). User-interface thread
 * only. */
#ifndef COMMON_BTNMOD_H
#define COMMON_BTNMOD_H

#include <windows.h>

#define BTNMOD_OPTION_ICON 2       /* value: HICON (owned by the module from now on); NULL removes it */
#define BTNMOD_OPTION_CLEARHOT 3   /* clears the hot state (button NULL: every button) */
#define BTNMOD_OPTION_PLACEMENT 4  /* value: int, size 4 (button NULL: every button) */

#define BTNMOD_ICON_LEFT 1   /* icon at the left, text after it */
#define BTNMOD_ICON_RIGHT 2  /* icon at the right (the default) */

int btnmodInit(void);
int btnmodAddButton(HWND button);
int btnmodSetOption(HWND button, int option, const void *value, int size);
int btnmodDrawItem(const DRAWITEMSTRUCT *item);
int btnmodRemoveButton(HWND button);
int btnmodShutdown(void);

/* 1 when buttons are drawn with the theme library, 0 in the classic look,
 * -1 when not initialised. */
int btnmodIsThemed(void);
/* 1 while the mouse has been over the button since the last clear, 0 if
 * not, -2 when it is not registered. */
int btnmodIsHot(HWND button);

#endif
