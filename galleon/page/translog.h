// The transaction log window: the access log's newest lines in a resizable,
// modeless window owned by the desktop. At most one exists; it outlives the
// page that opened it until the user closes it (transactionLogClose in
// pages.h destroys it when the plug-in stops).
#pragma once

#include <windows.h>

// Shows the window, bringing an open one to the top, and hands its list box
// to the access log. The window, or null if it could not be made.
HWND transactionLogShow();
// The open window, or null.
HWND transactionLogWindow();
