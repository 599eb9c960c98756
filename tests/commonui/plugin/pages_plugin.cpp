// A plug-in with two settings pages for the manager's page operations: page 0
// hands out an icon of its own, page 1 none. Its page procedure fills edit 10
// and counts the pages it initialised (tpPagesInitialised), so tests see
// whether it ran.
#include <windows.h>
#include <prsht.h>

#include <cstdint>
#include <vector>

#include "zelext.h"

namespace {

bool g_initialised = false;
HMODULE g_self = nullptr;
int g_pagesInitialised = 0;
HICON g_icon = nullptr;

INT_PTR CALLBACK pageProc(HWND page, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        ++g_pagesInitialised;
        SetDlgItemTextA(page, 10, "set by the plug-in");
        return TRUE;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == PSN_APPLY) {
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    return FALSE;
}

HICON makeIcon() {
    std::vector<uint32_t> pixels(16 * 16, 0xFF00C000);
    std::vector<uint8_t> mask(16 * 2 * 16, 0);
    HBITMAP color = CreateBitmap(16, 16, 1, 32, pixels.data());
    HBITMAP bits = CreateBitmap(16, 16, 1, 1, mask.data());
    ICONINFO info{TRUE, 0, 0, bits, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    DeleteObject(bits);
    return icon;
}

}  // namespace

ZELEXT_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}

ZELEXT_EXPORT int zelextInitEx(ExtInitInfo *) {
    if (g_initialised) return -1;
    g_initialised = true;
    return 0;
}

ZELEXT_EXPORT int zelextShutdown() {
    if (!g_initialised) return -1;
    g_initialised = false;
    if (g_icon) DestroyIcon(g_icon);
    g_icon = nullptr;
    return 0;
}

ZELEXT_EXPORT HMODULE zelextGetModuleHandle() { return g_self; }
ZELEXT_EXPORT int zelextGetDlgCount() { return 2; }
// The high word is not part of the template id.
ZELEXT_EXPORT int zelextGetEntryPointDlg(int page) { return page >= 0 && page < 2 ? 0x10000 | (100 + page) : -2; }
ZELEXT_EXPORT HICON zelextGetEntryPointIcon(int page, int) {
    if (page != 0) return nullptr;
    if (!g_icon) g_icon = makeIcon();
    return g_icon;
}
ZELEXT_EXPORT DLGPROC zelextGetEntryPointProc(int page) { return page >= 0 && page < 2 ? pageProc : nullptr; }
ZELEXT_EXPORT int tpPagesInitialised() { return g_pagesInitialised; }
