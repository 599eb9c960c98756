// The store watcher: a thread that waits for file-name and directory-name
// changes anywhere below a directory and reports each one, so a page that
// shows the collections (or one collection's files) can refresh itself.
#pragma once

#include <windows.h>

// Called on the watcher thread for every change, with the values given at
// start (the pages pass their window, WM_COMMAND and the refresh command and
// post them on).
typedef void (*WatchNotify)(void* window, UINT message, WPARAM command, LPARAM lParam);

struct WatchParams;

// Starts watching a directory and its whole subtree. Returns the watcher, or
// null when its event or thread cannot be had.
WatchParams* watchStart(const char* dir, WatchNotify notify, void* window, UINT message, WPARAM command);

// Stops the watcher and waits for its thread; safe on null.
void watchStop(WatchParams* watcher);
