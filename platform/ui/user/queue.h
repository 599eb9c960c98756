// Per-thread message queues and the loop that waits on them. On the
// user-interface thread the wait runs Qt's event loop, so widget events,
// posted messages, timers and messages sent from other threads are all
// handled while a Win32 loop (GetMessageA, a modal dialog, a menu) waits.
#pragma once

#include <windows.h>

#include <functional>

namespace platform::ui {

// One pass of retrieval with the filters of GetMessageA/PeekMessageA.
// wait: block until a message is there. Returns false if none was found
// (only when !wait).
bool queueRetrieve(MSG *msg, HWND hwnd, UINT min, UINT max, UINT remove, bool wait);

// Runs a modal loop on the calling thread until done() is true: messages are
// retrieved, given to filter (which returns true when it handled one) and
// otherwise translated and dispatched. A WM_QUIT met on the way ends the loop
// and is posted again for the outer loop, as Windows does.
void runModalLoop(const std::function<bool()> &done, const std::function<bool(MSG &)> &filter = {});

// Gives the calling thread its message queue now. A thread that creates a
// window has one from then on, so other threads can post to the window before
// its message loop first runs.
void queueAttach();

// True while the calling thread retrieves messages in a Win32 loop (not in a
// Qt-only nested loop); keyboard input then goes through the queue.
bool queuePumping();

// Queues a keyboard message for the calling thread (from widget events).
void queuePostInput(const MSG &msg);

// Removes a window's timers and posted messages (the window is destroyed).
void queueForgetWindow(HWND hwnd);

}  // namespace platform::ui
