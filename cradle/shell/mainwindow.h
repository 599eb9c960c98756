// The host's hidden main window: start-up of all modules on WM_CREATE, the
// tray menu and tray icon callbacks, the commands other parts post to it, the
// close sequence and the shut-down of all modules on WM_DESTROY.
#pragma once

#include <windows.h>

// Command ids of the main window (WM_COMMAND, masked with 0xFFF0).
constexpr int SHELL_CMD_CLOSE = 100;
constexpr int SHELL_CMD_TITLE = 120;
constexpr int SHELL_CMD_PROPERTIES = 140;
constexpr int SHELL_CMD_HELP = 180;
constexpr int SHELL_CMD_STRING = 240;
constexpr int SHELL_CMD_WHATSTHIS = 260;
constexpr UINT SHELL_TRAY_CALLBACK = 2029;
constexpr UINT_PTR SHELL_CLOSE_TIMER = 2;
constexpr UINT SHELL_CLOSE_GRACE_MS = 500;
constexpr int SHELL_HOST_VERSION = 201;  // 2.01, in hundredths

// The window procedure of the main window.
LRESULT CALLBACK shellWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers the window class (class name of the branding module) and creates
// the hidden main window; null (logged) on failure.
HWND shellCreateMainWindow(HINSTANCE instance);

// Posts WM_COMMAND 240 with a new global atom of text to window; false when
// the atom could not be made or the post failed (the atom is then deleted).
bool shellPostString(HWND window, const char *text);

// "ASKCLOSE": 10 close, 20 do not close, 30 closed with its close box.
int shellAskClose(HWND owner);
// "TASKBAR" notice after the settings window closed.
void shellTaskbarNotice(HWND owner);
