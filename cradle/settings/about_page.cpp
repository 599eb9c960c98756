// The "ABOUT" page: program name and version, links to the support page and
// the program's folders, and the list of loaded plug-ins.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "extmod/extmod.h"
#include "linkmod.h"
#include "settings/settings_ids.h"
#include "settings/settings_ui.h"
#include "settings/settings_window.h"
#include "shell/shell.h"

namespace {

struct AboutPage {
    HFONT bold = nullptr;
    HFONT text = nullptr;
    bool links = false;
};

AboutPage &about() {
    static AboutPage a;
    return a;
}

// Pop-up topics of the page's controls (5600 + control id); the contact
// lines share one.
const DWORD kHelpTopics[] = {
    IDC_AB_MODULES, 5610, IDC_AB_WEB, 5620, IDC_AB_LINK1, 5621, IDC_AB_LINK2, 5630, IDC_AB_PHONE, 5631,
    IDC_AB_CONTACT1, 5641, IDC_AB_CONTACT2, 5641, IDC_AB_CONTACT3, 5641, 0, 0,
};

// Product version of a module file; false when it has none.
bool productVersion(const char *path, DWORD &ms, DWORD &ls) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (!size) return false;
    std::string data(size, '\0');
    if (!GetFileVersionInfoA(path, 0, size, data.data())) return false;
    VS_FIXEDFILEINFO *info = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&info), &len) || !info || len < sizeof *info)
        return false;
    ms = info->dwProductVersionMS;
    ls = info->dwProductVersionLS;
    return true;
}

void setTitle(HWND page) {
    ShellState &s = shellState();
    char program[MAX_PATH] = "";
    DWORD ms = 0, ls = 0;
    // The program file first; the branding module carries the suite's version too.
    if (!(GetModuleFileNameA(nullptr, program, sizeof program) && productVersion(program, ms, ls)))
        productVersion(s.paths.branding, ms, ls);
    char title[384];
    std::snprintf(title, sizeof title, "%s v%d.%d.%d.%d", s.title, static_cast<int>(HIWORD(ms)),
                  static_cast<int>(LOWORD(ms)), static_cast<int>(HIWORD(ls)), static_cast<int>(LOWORD(ls)));
    SetDlgItemTextA(page, IDC_AB_TITLE, title);
}

void addLink(HWND page, int id, const char *target) {
    HWND control = GetDlgItem(page, id);
    if (!control) return;
    int r = linkmodAddLink(control, target);
    if (r < 0) settingsLog("linkmodAddLink() returned error code %d", r);
}

void setupLinks(HWND page) {
    ShellState &s = shellState();
    int r = linkmodInit(GetModuleHandleA(nullptr));
    if (r < 0) {
        settingsLog("linkmodInit() returned error code %d", r);
        return;
    }
    about().links = true;
    char address[512];
    std::string support;
    if (LoadStringA(s.branding, IDS_SUPPORT_ADDRESS, address, sizeof address) > 0) {
        support = address;
        if (support.find("://") == std::string::npos && support[0] != '/') support = s.paths.programDir + support;
    }
    addLink(page, IDC_AB_WEB, support.empty() ? nullptr : support.c_str());
    addLink(page, IDC_AB_LINK1, s.paths.programDir);
    addLink(page, IDC_AB_LINK2, s.paths.extDir);
    for (int id : {IDC_AB_CONTACT1, IDC_AB_CONTACT2, IDC_AB_CONTACT3}) {
        char text[256] = "";
        GetDlgItemTextA(page, id, text, sizeof text);
        if (std::strchr(text, '@') || std::strchr(text, '/')) addLink(page, id, nullptr);
    }
    char phone[256] = "";
    GetDlgItemTextA(page, IDC_AB_PHONE, phone, sizeof phone);
    if (phone[0]) {
        std::string target = std::string("callto://") + phone;
        addLink(page, IDC_AB_PHONE, target.c_str());
    }
}

void init(HWND page) {
    AboutPage &a = about();
    a = AboutPage{};
    a.bold = CreateFontA(8, 0, 0, 0, 600, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH, "Helv");
    a.text = CreateFontA(9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    SendDlgItemMessageA(page, IDC_AB_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(a.bold), FALSE);
    SendDlgItemMessageA(page, IDC_AB_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(a.bold), FALSE);
    SendDlgItemMessageA(page, IDC_AB_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(a.text), FALSE);
    setTitle(page);
    setupLinks(page);
    HWND list = GetDlgItem(page, IDC_AB_MODULES);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int r = extmodFillModuleList(list);
    if (r < 0) settingsLog("extmodFillModuleList() returned error code %d", r);
}

void destroy() {
    AboutPage &a = about();
    if (a.links) linkmodShutdown();
    if (a.bold) DeleteObject(a.bold);
    if (a.text) DeleteObject(a.text);
    a = AboutPage{};
}

}  // namespace

INT_PTR CALLBACK aboutPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: init(page); return TRUE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (about().links)
            if (HBRUSH brush = linkmodCtlColor(dc, control)) return reinterpret_cast<INT_PTR>(brush);
        return settingsHeadingColor(dc, GetDlgCtrlID(control));
    }
    case WM_COMMAND:
        // Shown as its own dialog (no About entry in the tree): closing ends it.
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(page, 0);
        return TRUE;
    case WM_HELP: settingsControlHelp(reinterpret_cast<const HELPINFO *>(lParam), kHelpTopics); return TRUE;
    case WM_DESTROY: destroy(); return FALSE;
    }
    return FALSE;
}
