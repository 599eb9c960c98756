// The host entry dialog: one host or network address typed into an IP
// address control. The caller passes a varmod variable list with "TITLE"
// (the caption), "DESCRIPTION" and "VALUE" (the address shown at first);
// after OK the entered address is its "RESULT".
#pragma once

#include <windows.h>

// 1 after OK (with "RESULT" set), 0 after Cancel or closing.
INT_PTR hostEntryRun(HWND owner, int variables);

// Four decimal numbers from 0 to 255 separated by dots: the only form of
// address the host access module can match.
bool hostEntryIsAddress(const char* text);
