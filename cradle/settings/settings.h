// The settings window: opened by the main window's properties command.
#pragma once

// Opens the settings window modally (password check, tab list, window, the
// "must re-initialize" loop); requestedPage n >= 1 selects the page with the
// global page number n - 1. Returns 0, or a negative code when it could not open.
int settingsOpen(int requestedPage);
