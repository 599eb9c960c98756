// Qt input events as Win32 messages. One application-wide event filter sees
// the input of every widget that backs a window:
// - keys go through the thread's queue while a Win32 loop runs, so
//   TranslateAcceleratorA and IsDialogMessageA see them; the key reaches the
//   widget again when the message arrives at the default procedure;
// - mouse input of a subclassed control is sent to its procedure first and
//   reaches the widget only if the procedure passes it on to the default one;
// - windows of registered classes get all their input, painting and sizing
//   as messages (their widget draws nothing of its own).
#pragma once

#include <windows.h>

class QWidget;

namespace platform::ui {

// Installs the filter (once, on the user-interface thread).
void inputInstall();

// The character of a queued key-down (for TranslateMessage).
bool inputCharOf(const MSG &msg, WPARAM *ch);

// Shift, Ctrl and Alt as they were for a queued key message (FSHIFT,
// FCONTROL, FALT bits); falls back to the current state.
BYTE inputModifiersOf(const MSG &msg);

// Called by the default procedures for input messages: hands the Qt event
// behind the message to the widget. Returns true if there was one.
bool inputPassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The virtual-key code of a Qt key (0 for keys without one).
WPARAM inputVirtualKey(int qtKey);

// WM_HELP (F1) to a window, with its HELPINFO.
void sendHelp(HWND hwnd);

// The pointer left a window's widget: true if it was waiting for that
// (TrackMouseEvent with TME_LEAVE), which it then no longer is.
bool trackMouseLeft(HWND hwnd);

// WM_SETCURSOR to the window under the pointer.
void cursorPointerMoved(HWND hwnd);

// The plain widget of a registered (application) class.
QWidget *createHostWidget(HWND hwnd, QWidget *parent);

}  // namespace platform::ui
