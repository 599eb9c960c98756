// Pages of the settings window: created on first selection from a copy of
// their template as children of the page frame, notified, applied in list
// order; the frame turns the pages' PSM_* messages into button presses.
#include <cstring>
#include <vector>

#include "listmod.h"
#include "settings/settings_ids.h"
#include "settings/settings_ui.h"
#include "settings/settings_window.h"
#include "settings/tabsort.h"

namespace {

// Style word of a dialog template made into a visible child window: popup,
// caption, system menu, modal frame and their kin are cleared.
constexpr DWORD kChildStyleMask = 0x2F37F77F;
constexpr DWORD kChildStyle = 0x50000000;

// A copy of the page's template with a child window's style; empty when the
// template cannot be found.
std::vector<unsigned char> childTemplate(const PROPSHEETPAGEA &page) {
    HRSRC res = FindResourceA(page.hInstance, page.pszTemplate, RT_DIALOG);
    HGLOBAL data = res ? LoadResource(page.hInstance, res) : nullptr;
    const void *bytes = data ? LockResource(data) : nullptr;
    DWORD size = res ? SizeofResource(page.hInstance, res) : 0;
    if (!bytes || size < 16) return {};
    std::vector<unsigned char> copy(static_cast<const unsigned char *>(bytes),
                                    static_cast<const unsigned char *>(bytes) + size);
    WORD second;
    std::memcpy(&second, copy.data() + 2, 2);
    size_t at = second == 0xFFFF ? 12 : 0;  // extended templates keep the style after help id and ex-style
    DWORD style;
    std::memcpy(&style, copy.data() + at, 4);
    style = (style & kChildStyleMask) | kChildStyle;
    std::memcpy(copy.data() + at, &style, 4);
    return copy;
}

HWND createPage(const PROPSHEETPAGEA &page, HWND frame) {
    std::vector<unsigned char> tpl = childTemplate(page);
    if (tpl.empty()) return nullptr;
    HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    HWND w = CreateDialogIndirectParamA(page.hInstance, reinterpret_cast<LPCDLGTEMPLATEA>(tpl.data()), frame,
                                        page.pfnDlgProc, page.lParam);
    SetCursor(old);
    return w;
}

void showControls(HWND window, bool page) {
    for (int id : {IDC_SW_TITLE, IDC_SW_FRAME, IDC_SW_BAND}) ShowWindow(GetDlgItem(window, id), page ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(window, IDC_SW_CATEGORY_LIST), page ? SW_HIDE : SW_SHOW);
}

void enableHelp(HWND window, int tab) {
    PROPSHEETPAGEA page{};
    bool help = tab >= 0 && tabsortGetPage(tab, &page) == 0 && (page.dwFlags & PSP_HASHELP);
    EnableWindow(GetDlgItem(window, IDC_SW_HELP), help);
}

// List 60: one column named after the category, one row per child entry.
void fillCategoryList(SettingsWindow &w, const PageRecord &category) {
    SendMessageA(w.list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(w.list, LVM_DELETECOLUMN, 0, 0);
    RECT rc;
    GetClientRect(w.list, &rc);
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = LVCFMT_LEFT;
    col.cx = rc.right - rc.left;
    col.pszText = const_cast<char *>(category.text);
    SendMessageA(w.list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    lvsortInitContext(&w.listSort, w.list);
    PageRecord r;
    int row = 0;
    for (int p = 0;; ++p) {
        int id = listGetItemId(w.records, p);
        if (id < 0) break;
        if (!settingsGetRecord(id, r) || r.parent != category.item || !category.item) continue;
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = row++;
        item.pszText = r.text;
        item.iImage = r.image;
        item.lParam = id;
        SendMessageA(w.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void hideOtherPages(SettingsWindow &w, HWND keep) {
    PageRecord r;
    for (int p = 0;; ++p) {
        int id = listGetItemId(w.records, p);
        if (id < 0) break;
        if (settingsGetRecord(id, r) && r.window && r.window != keep) ShowWindow(r.window, SW_HIDE);
    }
}

LRESULT CALLBACK frameProc(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) {
    SettingsWindow &w = settingsWindow();
    switch (msg) {
    case PSM_CHANGED: EnableWindow(GetDlgItem(w.window, IDC_SW_APPLY), TRUE); return 0;
    case PSM_CANCELTOCLOSE:
        EnableWindow(GetDlgItem(w.window, IDC_SW_CANCEL), FALSE);
        SetDlgItemTextA(w.window, IDC_SW_OK, "Close");
        return 0;
    case PSM_APPLY: settingsPressButton(IDC_SW_APPLY); return 0;
    case PSM_PRESSBUTTON:
        switch (static_cast<int>(wParam)) {
        case PSBTN_FINISH:
        case PSBTN_OK: settingsPressButton(IDC_SW_OK); break;
        case PSBTN_APPLYNOW: settingsPressButton(IDC_SW_APPLY); break;
        case PSBTN_CANCEL: settingsPressButton(IDC_SW_CANCEL); break;
        case PSBTN_HELP: settingsPressButton(IDC_SW_HELP); break;
        }
        return 0;
    }
    return CallWindowProcA(w.frameProc, frame, msg, wParam, lParam);
}

}  // namespace

void settingsSubclassFrame(HWND frame) {
    SettingsWindow &w = settingsWindow();
    w.frameProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc)));
}

void settingsPressButton(int id) {
    SettingsWindow &w = settingsWindow();
    SendMessageA(w.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w.window, id)));
}

void settingsSelectRecord(int id) {
    SettingsWindow &w = settingsWindow();
    PageRecord r;
    if (!settingsGetRecord(id, r) || !r.item) return;
    if (w.selected == id) {
        settingsShowRecord(id);
        return;
    }
    SendMessageA(w.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(r.item));
    if (w.selected != id) settingsShowRecord(id);  // the tree sent no notification
}

void settingsShowRecord(int id) {
    SettingsWindow &w = settingsWindow();
    w.selected = id;
    PageRecord r;
    if (!settingsGetRecord(id, r)) {
        hideOtherPages(w, nullptr);
        EnableWindow(GetDlgItem(w.window, IDC_SW_HELP), TRUE);  // Help then opens the contents
        return;
    }
    SetDlgItemTextA(w.window, IDC_SW_TITLE, r.text);
    if (r.tab < 0) {
        fillCategoryList(w, r);
        showControls(w.window, false);
        EnableWindow(GetDlgItem(w.window, IDC_SW_HELP), FALSE);
        hideOtherPages(w, nullptr);
        return;
    }
    if (r.window) {
        enableHelp(w.window, r.tab);
        if (settingsNotifyPage(r.window, PSN_SETACTIVE, 0) == 0) {
            showControls(w.window, true);
            ShowWindow(r.window, SW_SHOW);
        }
        hideOtherPages(w, r.window);
        return;
    }
    PROPSHEETPAGEA page{};
    HWND created = tabsortGetPage(r.tab, &page) == 0 ? createPage(page, w.frame) : nullptr;
    if (created) {
        showControls(w.window, true);
        ShowWindow(created, SW_SHOW);
        enableHelp(w.window, r.tab);
        r.window = created;
        int u = listUpdateItem(w.records, id, &r, sizeof r);
        if (u < 0) settingsLog("listUpdateItem() returned error code %d", u);
    } else {
        showControls(w.window, true);
    }
    hideOtherPages(w, created);
}

bool settingsApplyPages(bool ok) {
    SettingsWindow &w = settingsWindow();
    PageRecord r;
    for (int p = 0;; ++p) {
        int id = listGetItemId(w.records, p);
        if (id < 0) break;
        if (!settingsGetRecord(id, r) || !r.window) continue;
        LONG_PTR answer = settingsNotifyPage(r.window, PSN_APPLY, ok ? TRUE : FALSE);
        if (answer == PSNRET_INVALID) {
            settingsSelectRecord(id);
            return false;
        }
        if (answer == PSNRET_INVALID_NOCHANGEPAGE) return false;
    }
    return true;
}
