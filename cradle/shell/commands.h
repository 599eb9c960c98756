// The commands of the main window and its tray icon callback.
#pragma once

#include <windows.h>

// Close (id 100): password and confirmation when configured, then the
// service stop or WM_CLOSE.
void shellCloseCommand(HWND hwnd);
// Properties (id 140): the settings window, page n - 1 when n >= 1.
void shellPropertiesCommand(HWND hwnd, int page);
// Help (id 180): the table of contents of the default help file.
void shellHelpCommand(HWND hwnd);
// What's this (id 260): the text pop-up of the program beside the pointer.
void shellWhatsThisCommand(HWND hwnd);
// Command-line string (id 240): notification 4 to every plug-in, then the
// atom is deleted.
void shellStringCommand(ATOM atom);
// Tray icon callback (message 2029) with its mouse or balloon event.
void shellTrayCallback(HWND hwnd, UINT event);
// Presses a button of the settings window when it is open.
void shellPressSettingsButton(int id);
