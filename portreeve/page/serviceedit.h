// The service editor ("Add Service"): name, enabled flag and port ranges of
// a new or an existing service.
#pragma once
#include <windows.h>

// Runs the editor modally; serviceId -1 adds a service. Returns IDOK when
// anything was stored (also when an OK stored part of the ranges and the
// editor was cancelled after), IDCANCEL otherwise.
INT_PTR serviceEditorRun(HWND owner, int serviceId);
