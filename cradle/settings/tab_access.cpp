// Tab access dialog (102): which pages novice mode lists.
#include <commctrl.h>

#include <cstring>
#include <string>
#include <strings.h>

#include "extmod/extmod.h"
#include "lvsort.h"
#include "settings/host_page.h"
#include "settings/settings_ids.h"
#include "settings/settings_ui.h"
#include "settings/tabsort.h"
#include "shell/shell.h"

namespace {

constexpr int kColumnTab = 0, kColumnDescription = 1, kColumnDisplay = 2;

struct TabAccess {
    HWND list = nullptr;
    HIMAGELIST images = nullptr;
    LvSortContext sort{};
};

TabAccess &dialog() {
    static TabAccess d;
    return d;
}

// Pop-up topics of the dialog's controls: 5800 + control id.
const DWORD kHelpTopics[] = {
    IDC_TA_LIST, 5810, IDC_TA_YES, 5820, IDC_TA_NO, 5821, IDC_TA_OK, 5900, IDC_TA_CANCEL, 5901, IDC_TA_RESET, 5902, 0, 0,
};

bool isHostKey(const char *key) {
    return strcasecmp(key, "cradle-Settings") == 0 || strcasecmp(key, "cradle-About") == 0;
}

std::string rowKey(int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(dialog().list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
    char key[TABSORT_KEY_SIZE] = "";
    tabsortGetKey(static_cast<int>(item.lParam), key, sizeof key);
    return key;
}

std::string rowText(int row, int column) {
    char text[256] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(dialog().list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void setDisplay(int row, bool yes) {
    LVITEMA item{};
    item.iSubItem = kColumnDisplay;
    item.pszText = const_cast<char *>(yes ? "Yes" : "No");
    SendMessageA(dialog().list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int rowCount() { return static_cast<int>(SendMessageA(dialog().list, LVM_GETITEMCOUNT, 0, 0)); }

int nextSelected(int after) {
    return static_cast<int>(SendMessageA(dialog().list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

void insertColumn(int index, const char *title, int width, int format) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<char *>(title);
    col.iSubItem = index;
    SendMessageA(dialog().list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

void addBitmap(HIMAGELIST images, LPCSTR name) {
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(shellState().branding, name, IMAGE_BITMAP, 0, 0, 0));
    if (!bmp) return;
    ImageList_AddMasked(images, bmp, RGB(255, 0, 255));
    DeleteObject(bmp);
}

void addRows(const char *config) {
    ShellState &s = shellState();
    int order = tabsortLoad("TabSort");
    if (order < 0) {
        settingsLog("tabsortLoad() returned error code %d", order);
        return;
    }
    char key[TABSORT_KEY_SIZE];
    int row = 0;
    for (int p = 0;; ++p) {
        int tab = tabsortGetOrdered(order, p, key, 0);
        if (tab < 0) break;
        const char *dash = std::strchr(key, '-');
        int number = -1;
        tabsortGetPageNumber(tab, &number);
        char description[512] = "";
        if (number >= 0) extmodGetPageString(number, "Comments", description, sizeof description);
        else std::snprintf(description, sizeof description, "%s", s.title);
        bool display = isHostKey(key) || GetPrivateProfileIntA("Novice", key, 1, config) != 0;
        int image = -1;
        if (HICON icon = settingsTabIcon(tab)) image = ImageList_AddIcon(dialog().images, icon);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<char *>(dash ? dash + 1 : key);
        item.lParam = tab;
        item.iImage = image < 0 ? 0 : image;
        int at = static_cast<int>(SendMessageA(dialog().list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) continue;
        LVITEMA sub{};
        sub.iSubItem = kColumnDescription;
        sub.pszText = description;
        SendMessageA(dialog().list, LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&sub));
        setDisplay(at, display);
        ++row;
    }
    int r = tabsortDestroy(order);
    if (r < 0) settingsLog("tabsortDestroy() returned error code %d", r);
}

void init(HWND dlg) {
    TabAccess &d = dialog();
    d = TabAccess{};
    d.list = GetDlgItem(dlg, IDC_TA_LIST);
    SendMessageA(d.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    RECT rc;
    GetClientRect(d.list, &rc);
    int width = rc.right - rc.left;
    insertColumn(kColumnTab, "Tab", width / 4, LVCFMT_LEFT);
    insertColumn(kColumnDescription, "Description", width * 45 / 100, LVCFMT_LEFT);
    insertColumn(kColumnDisplay, "Display", width / 4, LVCFMT_CENTER);
    d.images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    addBitmap(d.images, MAKEINTRESOURCEA(IDB_LIST_DEFAULT));
    addBitmap(d.images, MAKEINTRESOURCEA(IDB_LIST_ASCENDING));
    addBitmap(d.images, MAKEINTRESOURCEA(IDB_LIST_DESCENDING));
    if (HICON blank = static_cast<HICON>(LoadImageA(shellState().branding, "BLANK", IMAGE_ICON, 16, 16, LR_SHARED)))
        ImageList_AddIcon(d.images, blank);
    if (HICON online = static_cast<HICON>(LoadImageA(shellState().branding, "ONLINE", IMAGE_ICON, 16, 16, LR_SHARED)))
        ImageList_AddIcon(d.images, online);
    SendMessageA(d.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(d.images));
    lvsortInitContext(&d.sort, d.list);
    addRows(shellState().paths.config);
}

// Radios follow the first selected row; the host's own tabs cannot be hidden.
void updateRadios(HWND dlg) {
    int row = nextSelected(-1);
    bool enable = row >= 0 && !isHostKey(rowKey(row).c_str());
    bool yes = row >= 0 && rowText(row, kColumnDisplay) == "Yes";
    CheckDlgButton(dlg, IDC_TA_YES, row >= 0 && yes ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_TA_NO, row >= 0 && !yes ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dlg, IDC_TA_YES), enable);
    EnableWindow(GetDlgItem(dlg, IDC_TA_NO), enable);
}

void setSelected(bool yes) {
    for (int row = nextSelected(-1); row >= 0; row = nextSelected(row))
        if (!isHostKey(rowKey(row).c_str())) setDisplay(row, yes);
}

void reset(HWND dlg) {
    if (MessageBoxA(dlg, "Are you sure you want to reset the tab access to the default setting?", shellState().title,
                    MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    for (int row = 0; row < rowCount(); ++row) {
        std::string key = rowKey(row);
        setDisplay(row, isHostKey(key.c_str()) ||
                            GetPrivateProfileIntA("Default-Novice", key.c_str(), 1, shellState().paths.config) != 0);
    }
    updateRadios(dlg);
}

void save() {
    for (int row = 0; row < rowCount(); ++row) {
        std::string key = rowKey(row);
        if (key.empty()) continue;
        WritePrivateProfileStringA("Novice", key.c_str(), rowText(row, kColumnDisplay) == "Yes" ? "1" : "0",
                                   shellState().paths.config);
    }
}

INT_PTR CALLBACK tabAccessProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: init(dlg); return TRUE;
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<const NMHDR *>(lParam);
        if (hdr->idFrom != IDC_TA_LIST) return FALSE;
        if (hdr->code == LVN_ITEMCHANGED) {
            updateRadios(dlg);
        } else if (hdr->code == NM_DBLCLK) {
            auto *act = reinterpret_cast<const NMITEMACTIVATE *>(lParam);
            int row = act->iItem >= 0 ? act->iItem : nextSelected(-1);
            if (row >= 0 && !isHostKey(rowKey(row).c_str())) {
                setDisplay(row, rowText(row, kColumnDisplay) != "Yes");
                updateRadios(dlg);
            }
        } else if (hdr->code == LVN_COLUMNCLICK) {
            lvsortColumnClick(&dialog().sort, reinterpret_cast<const NMLISTVIEW *>(lParam)->iSubItem, LVSORT_TEXT, 0);
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TA_YES: setSelected(true); return TRUE;
        case IDC_TA_NO: setSelected(false); return TRUE;
        case IDC_TA_RESET: reset(dlg); return TRUE;
        case IDC_TA_OK:
            save();
            EndDialog(dlg, 1);
            return TRUE;
        case IDC_TA_CANCEL:
        case IDCANCEL: EndDialog(dlg, 0); return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        return settingsHeadingColor(reinterpret_cast<HDC>(wParam), GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
    case WM_HELP: settingsControlHelp(reinterpret_cast<const HELPINFO *>(lParam), kHelpTopics); return TRUE;
    case WM_DESTROY:
        SendMessageA(dialog().list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        if (dialog().images) ImageList_Destroy(dialog().images);
        dialog() = TabAccess{};
        return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR settingsTabAccessDialog(HWND owner) {
    return DialogBoxParamA(shellState().branding, MAKEINTRESOURCEA(IDD_TAB_ACCESS), owner, tabAccessProc, 0);
}
