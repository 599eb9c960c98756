/* tipsmod: the tip-of-the-day dialog. Tips are the non-empty lines of the
 * "*.tip" files beside the configuration file, then of those in a shared
 * folder (an installed copy's own tips); section "Tips" of that file
 * remembers the next tip ("Last") and whether tips are shown ("ShowTips").
 * The host runs tipsmodInit, tipsmodShowTips and tipsmodShutdown as one
 * sequence on its main thread each time it offers a tip. */
#ifndef CRADLE_TIPSMOD_H
#define CRADLE_TIPSMOD_H

#include <windows.h>

#define TIPSMOD_MAX_TIPS 256
#define TIPSMOD_PIECE_MAX 2047 /* longest tip; a longer line gives several tips */
#define TIPSMOD_PATH_MAX 255

/* Dialog template 100 of the resource module and its controls. */
#define TIPSMOD_DIALOG 100
#define TIPSMOD_AREA 10   /* owner-drawn tip page */
#define TIPSMOD_KEEP 11   /* check box: keep showing tips */
#define TIPSMOD_CLOSE 100
#define TIPSMOD_NEXT 101

/* Reads "ShowTips" and "Last" and loads the tips. 0; -1 already initialised;
 * -2 owner is not a window, module or path missing, or path too long. */
int tipsmodInit(HMODULE module, HWND owner, LPCSTR configPath);
/* While "ShowTips" is 1: the dialog (modal), then "Last" and "ShowTips" are
 * written. 0; -1 not initialised. */
int tipsmodShowTips(void);
/* A second folder of tips, read by the next tipsmodInit after the
 * configuration file's folder, each in its listing order. A file of the same
 * name (case ignored) beside the configuration file takes the place of the
 * shared one. The same folder as the configuration file's counts once. Null
 * or "" removes it; 0; -2 path too long (the folder is removed). */
int tipsmodSetSharedDirectory(LPCSTR directory);
/* Frees the tips. 0; -1 not initialised. */
int tipsmodShutdown(void);

/* For the dialog and tests: number of tips loaded, the tip at index (null
 * when out of range), the current position and show flag. */
int tipsmodGetCount(void);
LPCSTR tipsmodGetTip(int index);
int tipsmodGetPosition(void);
int tipsmodGetShowFlag(void);

#endif
