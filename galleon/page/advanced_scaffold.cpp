// Scaffold until the Options, Security and Log group lands: delete this file then.
#include "pages.h"

ZELEXT_EXPORT INT_PTR CALLBACK zelextOptionsProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
ZELEXT_EXPORT INT_PTR CALLBACK zelextSecurityProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
ZELEXT_EXPORT INT_PTR CALLBACK zelextLogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR advancedSheetRun(HWND) { return 0; }
int modwinInit() { return 0; }
int modwinShutdown() { return 0; }
void transactionLogClose() {}
