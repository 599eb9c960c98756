// HtmlHelpA's work, exported to the "hhctrl.ocx" module that carries the
// entry point programs look up at run time.
#pragma once

#include "handles.h"

#include <windows.h>

namespace platform::ui {

PLATFORM_INTERNAL HWND helpHtmlHelp(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);

}  // namespace platform::ui
