// The settings window: opened by the main window's properties command.
#pragma once

// Opens the settings window modally (password check, tab list, window, the
// "must re-initialize" loop); requestedPage n >= 1 selects the page with the
// global page number n - 1. 0 when the window was shown and closed; 1 when it
// was not shown (already open, password not given) or is about to reopen
// (re-initialisation), so that no "TASKBAR" notice follows.
int settingsOpen(int requestedPage);
