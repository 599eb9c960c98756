// Images and looks shared by the host's dialogs.
#include "shell/look.h"

#include "shell/shell.h"

HICON shellLoadIcon(LPCSTR name, int size) {
    const ShellState &s = shellState();
    for (HINSTANCE module : {s.branding, s.program}) {
        if (!module) continue;
        HANDLE icon = LoadImageA(module, name, IMAGE_ICON, size, size, LR_SHARED);
        if (icon) return static_cast<HICON>(icon);
    }
    return nullptr;
}

void shellSetDialogIcon(HWND dlg) {
    constexpr WPARAM kBigIcon = 1;  // WM_SETICON's large-icon slot
    if (HICON icon = shellLoadIcon("ONLINEICON", 32))
        SendMessageA(dlg, WM_SETICON, kBigIcon, reinterpret_cast<LPARAM>(icon));
}

INT_PTR shellHeadingColour(WPARAM dc, LPARAM control) {
    int id = GetDlgCtrlID(reinterpret_cast<HWND>(control));
    if (id < 400 || id > 499) return 0;
    HDC hdc = reinterpret_cast<HDC>(dc);
    SetTextColor(hdc, RGB(0, 0, 255));
    SetBkMode(hdc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
}

HFONT shellBoldFont() {
    static HFONT font = CreateFontA(-8 * 96 / 72, 0, 0, 0, 600, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Helv");
    return font;
}
