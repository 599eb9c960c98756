// tipmod: tooltips for the controls of a dialog. A window is attached to one
// of 16 slots, which gets a tooltip window and a message hook of its own; the
// hook hands the tooltip the mouse messages of the window's controls, and
// each control added as a tool asks its dialog for its text when the tip
// shows (TTN_GETDISPINFO with the control's handle as the tool id).
// User-interface thread only.
#pragma once

#include <windows.h>

constexpr int TIPMOD_SLOTS = 16;

// Clears the slots; -1 when already started.
int tipmodStart();
// Detaches every attached window; -1 when not started.
int tipmodStop();
// Attaches a window (again: its old tooltip and hook are replaced). The
// slot's number, or -1 not started, -2 not a window, -3 no tooltip window or
// hook, -4 no free slot.
int tipmodAttach(HWND window, HINSTANCE instance);
// Adds a control of an attached window as a tool; 0, -1 not started, -2 not
// a window or its parent is not attached.
int tipmodAddTool(HWND control);
// Removes the window's hook and destroys its tooltip; 0, -1 not started, -2
// not attached.
int tipmodDetach(HWND window);
// The tooltip window of an attached window, or null.
HWND tipmodTooltipOf(HWND window);
