/* linkmod: static text controls of a dialog shown as hyperlinks: underlined
 * blue text (darker while the pointer is over it), a hand cursor, and a click
 * that opens the link's target: the target given at registration, or else
 * the web addresses and e-mail addresses found in the control's text.
 *
 * A dialog calls linkmodInit when it opens, linkmodAddLink for each link,
 * linkmodCtlColor from its WM_CTLCOLORSTATIC, and linkmodShutdown when it
 * closes. Results: 0 on success; -1 not initialised (linkmodInit: already
 * initialised); -2 no room (16 links) or not a window. User-interface thread
 * only. */
#ifndef COMMON_LINKMOD_H
#define COMMON_LINKMOD_H

#include <windows.h>

#define LINKMOD_MAX_LINKS 16

/* cursors: the module whose cursor resources 110 and 111 (or 133 and 134)
 * are the hover and pressed hands; the standard hand where it has none. */
int linkmodInit(HMODULE cursors);
/* target may be NULL: the control's text then says what to open. */
int linkmodAddLink(HWND control, LPCSTR target);
/* For a registered control: the link's font and colours on dc, a transparent
 * background, and the null brush as the answer; NULL for other controls. */
HBRUSH linkmodCtlColor(HDC dc, HWND control);
int linkmodShutdown(void);

#endif
