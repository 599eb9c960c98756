// Helpers the settings window, its pages and dialogs share.
#include "settings/settings_ui.h"

#include "settings/host_page.h"
#include "settings/settings_window.h"
#include "settings/tabsort.h"
#include "shell/shell.h"
#include "zellog.h"

INT_PTR settingsHeadingColor(HDC dc, int id) {
    if (id < 400 || id > 499) return 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

LONG_PTR settingsNotifyPage(HWND page, UINT code, LPARAM value) {
    PSHNOTIFY n{};
    n.hdr.hwndFrom = settingsWindow().window;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.lParam = value;
    SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
    return GetWindowLongPtrA(page, DWLP_MSGRESULT);
}

void settingsLog(const char *format, int code) { zelextLog("cradle", 5, format, code); }

BOOL settingsControlHelp(const HELPINFO *info, const DWORD *pairs) {
    if (!info || info->iContextType != HELPINFO_WINDOW || !info->hItemHandle) return FALSE;
    // The topics ship with the client's own help file, whatever [help] File names.
    return WinHelpA(static_cast<HWND>(info->hItemHandle), shellState().paths.defaultHelp, HELP_WM_HELP,
                    reinterpret_cast<ULONG_PTR>(pairs));
}

HICON settingsTabIcon(int tab) {
    PROPSHEETPAGEA page{};
    if (tabsortGetPage(tab, &page) != 0) return nullptr;
    auto load = [](HMODULE module, LPCSTR name) {
        return module && name ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, LR_SHARED)) : nullptr;
    };
    HICON icon = nullptr;
    if (page.dwFlags & PSP_USEICONID) {
        icon = load(page.hInstance, page.pszIcon);
        if (!icon) icon = load(GetModuleHandleA(nullptr), page.pszIcon);
    } else if (page.dwFlags & PSP_USEHICON) {
        icon = page.hIcon;
    }
    if (!icon) {
        HMODULE owner = tabsortGetModule(tab);
        icon = load(owner, "tabiconfullcolor");
        if (!icon) icon = load(owner, "tabicon");
    }
    return icon;
}
