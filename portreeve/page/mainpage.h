// The "UPnP" page of the host's settings window: the router to configure and
// the list of services. zelextSettingsProc is its dialog procedure.
#pragma once
#include <windows.h>

#include "zelext.h"

ZELEXT_EXPORT INT_PTR CALLBACK zelextSettingsProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
