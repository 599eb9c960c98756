// Images and looks shared by the host's dialogs: icons by name from the
// branding module (else the program's own resources), the window icon of the
// small dialogs, blue section headings and the bold "Helv" text.
#pragma once

#include <windows.h>

// The icon of that name at size x size, first from the branding module, then
// from the program; shared (never destroyed). Null when neither has it.
HICON shellLoadIcon(LPCSTR name, int size);

// Gives a dialog the window icon "ONLINEICON" (32 x 32).
void shellSetDialogIcon(HWND dlg);

// Answers WM_CTLCOLORSTATIC for section headings (static ids 400 to 499):
// blue text on a transparent background. Returns the brush to answer with,
// or 0 when the control is not a heading (the dialog then answers FALSE).
INT_PTR shellHeadingColour(WPARAM dc, LPARAM control);

// The "Helv" font of height 8 and weight 600 that bold dialog texts use;
// created once, kept for the process.
HFONT shellBoldFont();
