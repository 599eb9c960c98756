// Windows other processes of the same user can address. A top-level window
// of an application class (registered with a module handle, not a tool
// window) gets a Unix socket in the user's window directory
// ($XDG_RUNTIME_DIR/windows, else /tmp/windows-<uid>; mode 0700, ours),
// named "<class hash>-<pid>-<handle>". FindWindowA with a class name looks
// there when no window of this process matches, and PostMessageA to the
// handle it returns delivers the message through that socket. Both ends
// check the peer with SO_PEERCRED: another user's process is never found nor
// obeyed. A socket whose process is gone (nobody listens) is removed.
#pragma once

#include <windows.h>

#include <string>

namespace platform::ui {

// Makes a new top-level window addressable (when its class qualifies).
void remoteRegister(HWND hwnd, const std::string &className, HINSTANCE classInstance, DWORD exStyle);
// Withdraws it (the window is destroyed).
void remoteUnregister(HWND hwnd);

// A window of another process of this user with that class name (case
// ignored) and, when title is not null, that exact title; null if none.
// The handle stays valid for this process and is the same for repeated finds.
HWND remoteFind(const char *className, const char *title);

// Posts to a window found by remoteFind. -1 when hwnd is not such a handle;
// else TRUE when the other process queued the message, FALSE (last error
// set) when it is gone, refused the message or is not the user's.
int remotePost(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace platform::ui
