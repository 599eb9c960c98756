// modwin: keeps the controls of a resizable window in place while the user
// resizes it. A registered window's procedure is subclassed: its sizing
// requests (WM_SIZING) keep it at least as large as at registration and let
// only the bottom-right corner be dragged, its size changes (WM_SIZE) move
// and stretch the registered children by the flags each was given, and its
// size grip control is drawn and dragged here.
//
// Results: 0 or a child-list handle on success; -1 not initialised
// (modwinInit: already initialised), -2 not a window or not registered,
// -4 storage failure. User-interface thread only. modwinInit and
// modwinShutdown are declared in pages.h (the plug-in starts and stops the
// module).
#pragma once

#include <windows.h>

#include "pages.h"

enum {
    MODWIN_ERR_NOT_INIT = -1,
    MODWIN_ERR_WINDOW = -2,
    MODWIN_ERR_STORAGE = -4,
};

// modwinSetOption's child list for the options of the window itself.
constexpr int MODWIN_WINDOW = -1;

// Window flags.
constexpr DWORD MODWIN_MINIMUM_SIZE = 0x20;  // never smaller than at registration
constexpr DWORD MODWIN_SIZE_GRIP = 0x80;     // data is the size grip control
// Child flags.
constexpr DWORD MODWIN_GROW_WIDTH = 0x02;         // grows and shrinks with the window's width
constexpr DWORD MODWIN_GROW_HEIGHT = 0x08;        // ... and height
constexpr DWORD MODWIN_KEEP_BOTTOM_RIGHT = 0x10;  // keeps its distance to the right and bottom edges

// Registers a window; the handle of its new child list, -2 when it is not a
// window or is registered already.
int modwinAddWindow(HWND window);
// With MODWIN_WINDOW: the flags of the registered window control (and, with
// MODWIN_SIZE_GRIP, data as its grip control). With a child list: the flags
// of that list's child control.
int modwinSetOption(int childList, HWND control, DWORD flags, LPARAM data);
// Registers a child of the list's window, with flags 0 (it stays where it is).
int modwinAddChildWindow(int childList, HWND control);
// Forgets the window and its children and gives it back its procedure.
int modwinRemoveWindow(HWND window);
