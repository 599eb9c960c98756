// "hhctrl.ocx": the HTML help module that programs load at run time and ask
// for HtmlHelpA; the work is done by the user-interface library.
#include "help/htmlhelp.h"

#include "win/htmlhelp.h"

extern "C" WINBASEAPI HWND WINAPI HtmlHelpA(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData) {
    return platform::ui::helpHtmlHelp(hwndCaller, pszFile, uCommand, dwData);
}
