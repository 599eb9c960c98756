// SIGINT and SIGTERM close the program through the close sequence, without
// the questions of the close command: a handler wakes a watcher thread,
// which posts WM_CLOSE to the main window (at once, or as soon as the window
// exists). Under the service manager the dispatcher takes SIGTERM over as
// its stop control, which ends the same way.
#pragma once

#include <windows.h>

// Installs the handlers and starts the watcher thread (once).
void shellSignalsInstall();
// The main window exists: a signal that came before is acted on now.
void shellSignalsWindowReady(HWND hwnd);
// The main window is being destroyed: later signals find nothing to close.
void shellSignalsWindowGone();
