/* traymod: the host's icons in the notification area. Any thread may create
 * an icon, change its image and tooltip, make it blink, hide or show it, show
 * a balloon or remove it; every change except balloons (and the immediate
 * removal of a destroyed icon) is queued as a tray command and carried out by
 * a 200 ms timer on the thread of the owner window given to traymodInit. The
 * same timer animates blinking icons and puts every icon back once the
 * taskbar has been re-created.
 *
 * Results: 0 (or an entry index) on success; -1 not initialised (traymodInit:
 * already initialised; traymodSetMode: a mode outside 1 to 4), -2 bad entry,
 * an entry not in use or being removed, or a missing required argument; -6
 * every entry taken. The module copies every icon and tooltip it is given. */
#ifndef CRADLE_TRAYMOD_H
#define CRADLE_TRAYMOD_H

#include <windows.h>
#include <shellapi.h>

#define TRAYMOD_MAX_ICONS 16
#define TRAYMOD_RING_SIZE 256
#define TRAYMOD_TIMER_ID 457
#define TRAYMOD_TIMER_PERIOD 200
#define TRAYMOD_TIP_CHARS 63
#define TRAYMOD_INFO_TEXT_CHARS 255
#define TRAYMOD_INFO_TITLE_CHARS 63

/* Modes of traymodSetMode. */
#define TRAYMOD_MODE_BLINK 1      /* value: blink period in milliseconds */
#define TRAYMOD_MODE_STEADY 2     /* stop blinking, the icon showing */
#define TRAYMOD_MODE_VISIBLE 4    /* value 0 hides the icon, any other shows it */

/* A copy of an icon and its tooltip, made by traymodSaveIcon. */
typedef struct TraymodSavedIcon TraymodSavedIcon;

/* Loads the 16 x 16 icon "BLANK" of resourceModule (a transparent icon when
 * the module has none) and starts timer 457 on owner, which must belong to
 * the calling thread. The module is initialised only when the timer started;
 * the result is 0 either way (-1 when already initialised). */
int traymodInit(HMODULE resourceModule, HWND owner);
/* Stops the timer, removes every icon from the notification area and frees
 * everything, including commands that never ran. */
int traymodShutdown(void);

/* Takes the first free entry for a new icon (shown from the next tick). */
int traymodCreate(HWND window, UINT callbackMessage, HICON icon, LPCSTR tip);
/* Queues a new image and/or tooltip; null leaves that part as it is. */
int traymodSetIcon(int entry, HICON icon, LPCSTR tip);
int traymodSetMode(int entry, int mode, int value);
/* Removes the icon at once; the entry is free after the next tick. */
int traymodDestroy(int entry);
/* Shows a balloon at the icon at once (text cut to 255, title to 63
 * characters); 0 whether or not the shell accepted it. */
int traymodShowInfoTip(int entry, LPCSTR title, LPCSTR text, UINT timeout, DWORD infoFlags);

/* Saved copies of an entry's icon and tooltip. */
int traymodSaveIcon(int entry, TraymodSavedIcon **saved);
int traymodRestoreIcon(int entry, const TraymodSavedIcon *saved);
int traymodFreeIcon(TraymodSavedIcon **saved);

/* A taskbar was (re-)created (the registered message "TaskbarCreated"
 * reached the owner window): the next tick puts every visible icon back. */
int traymodTaskbarCreated(void);

/* 1 while the module runs, else 0. */
int traymodRunning(void);
/* Whether the entry is in use and not being removed (1), else 0. */
int traymodEntryExists(int entry);

/* Timer ticks completed since traymodInit (diagnostics and tests). */
unsigned traymodTicks(void);
/* The notification-area call the module makes; null restores
 * Shell_NotifyIconA. Tests put a recorder here. */
typedef BOOL (*TraymodNotifyFunction)(DWORD message, PNOTIFYICONDATAA data);
void traymodSetNotifyFunction(TraymodNotifyFunction fn);

#endif
