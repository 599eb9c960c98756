// The Advanced sheet and its Settings page. The page writes section "upnp"
// when the sheet is applied, and the values take effect in memory at once.
#include "advanced.h"

#include <commctrl.h>

#include <cstdio>

#include "logpage.h"
#include "pagehelp.h"
#include "pageids.h"
#include "plugin.h"
#include "settings.h"

namespace {

constexpr COLORREF HEADING_COLOUR = RGB(0, 0, 255);

struct SettingsPage {
    bool changed;
};

bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

// While the mappings are removed at exit, whether they persist means nothing.
void followRemove(HWND dlg) {
    bool remove = checked(dlg, IDC_REMOVE_ON_EXIT);
    if (remove) CheckDlgButton(dlg, IDC_PERSISTENT, BST_UNCHECKED);
    EnableWindow(GetDlgItem(dlg, IDC_PERSISTENT), !remove);
}

void writeKey(const char *key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(UPNP_SECTION, key, text, pluginConfigPath());
}

void applySettings(HWND dlg) {
    UpnpSettings s{};
    settingsGet(&s);
    s.persistentForwarding = checked(dlg, IDC_PERSISTENT) ? 1 : 0;
    s.removeForwardingOnClose = checked(dlg, IDC_REMOVE_ON_EXIT) ? 1 : 0;
    s.configureAllDevices = checked(dlg, IDC_CONFIGURE_ALL) ? 1 : 0;
    writeKey("PersistentForwarding", s.persistentForwarding);
    writeKey("RemoveForwardingOnClose", s.removeForwardingOnClose);
    writeKey("ConfigureAllDevices", s.configureAllDevices);
    settingsSet(s);
}

INT_PTR CALLBACK settingsPageProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto *page = reinterpret_cast<SettingsPage *>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        auto *psp = reinterpret_cast<PROPSHEETPAGEA *>(lParam);
        page = reinterpret_cast<SettingsPage *>(psp->lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        UpnpSettings s{};
        settingsGet(&s);
        CheckDlgButton(dlg, IDC_CONFIGURE_ALL, s.configureAllDevices == 1 ? BST_CHECKED : 0);
        CheckDlgButton(dlg, IDC_REMOVE_ON_EXIT, s.removeForwardingOnClose == 1 ? BST_CHECKED : 0);
        CheckDlgButton(dlg, IDC_PERSISTENT, s.persistentForwarding == 1 ? BST_CHECKED : 0);
        EnableWindow(GetDlgItem(dlg, IDC_PERSISTENT), s.removeForwardingOnClose != 1);
        page->changed = false;
        return TRUE;
    }
    case WM_COMMAND:
        if (!page || HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_REMOVE_ON_EXIT: followRemove(dlg); [[fallthrough]];
        case IDC_CONFIGURE_ALL:
        case IDC_PERSISTENT:
            page->changed = true;
            PropSheet_Changed(GetParent(dlg), dlg);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id < 400 || id > 499) return FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, HEADING_COLOUR);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<NMHDR *>(lParam);
        if (hdr->code == PSN_APPLY) {
            if (page && page->changed) applySettings(dlg);
            if (page) page->changed = false;
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        if (hdr->code == PSN_HELP) {
            pageTopicHelp(dlg, PAGE_HELP_SETTINGS);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        pageControlHelp(dlg, PAGE_HELP_SETTINGS, reinterpret_cast<const HELPINFO *>(lParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool advancedSheetRun(HWND owner) {
    SettingsPage settings{};
    PROPSHEETPAGEA pages[2]{};
    pages[0].dwSize = sizeof pages[0];
    pages[0].dwFlags = PSP_USEICONID | PSP_HASHELP;
    pages[0].hInstance = pluginModule();
    pages[0].pszTemplate = MAKEINTRESOURCEA(IDD_ADV_SETTINGS);
    pages[0].pszIcon = MAKEINTRESOURCEA(IDI_ADV_SETTINGS);
    pages[0].pfnDlgProc = settingsPageProc;
    pages[0].lParam = reinterpret_cast<LPARAM>(&settings);
    pages[1].dwSize = sizeof pages[1];
    pages[1].dwFlags = PSP_USEICONID | PSP_HASHELP;
    pages[1].hInstance = pluginModule();
    pages[1].pszTemplate = MAKEINTRESOURCEA(IDD_ADV_LOG);
    pages[1].pszIcon = MAKEINTRESOURCEA(IDI_ADV_LOG);
    pages[1].pfnDlgProc = logPageProc;

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = pluginModule();
    header.pszCaption = "Advanced...";
    header.nPages = 2;
    header.ppsp = pages;
    return PropertySheetA(&header) > 0;
}
