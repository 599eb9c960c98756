// WM_SIZING for top-level windows the user resizes. Qt hears of a resize
// only once the window system has made it, so a resize that the program did
// not ask for (the user dragging a border of the desktop's frame) is turned
// into WM_SIZING after the fact: the dragged edge is read from the old and
// new geometry, and a rectangle the procedure changes is applied at once.
#pragma once

#include <windows.h>

class QEvent;
class QWidget;

namespace platform::ui {

// A top-level window's frame was placed by the program (CreateWindowEx,
// SetWindowPos, MoveWindow): its client area takes the new size at once, and
// resizes to that size are not the user's.
void sizingPlaced(QWidget *frame);

// Resize and move events of a top-level window's frame.
void sizingFrameEvent(QWidget *frame, QEvent *event);

// While WM_SIZING is being sent for hwnd: the window's rectangle from before
// the resize (GetWindowRect answers it, as the window had not been resized
// yet when the user began), and true.
bool sizingRectBefore(HWND hwnd, RECT *rect);

}  // namespace platform::ui
