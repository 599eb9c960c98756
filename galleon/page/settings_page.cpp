// The Settings page (dialog 10, "Photo"): the server's status with Start and
// Stop, the list of collections with Add (the wizard), Edit (the Edit
// Collection sheet), Delete (marks, carried out on Apply), the View menu and
// the context menu, the Advanced sheet, and a store watcher that refreshes
// the list when the collections change on disk.
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "btnmod.h"
#include "config.h"
#include "edit.h"
#include "listmod.h"
#include "lvsort.h"
#include "pagecommon.h"
#include "pageids.h"
#include "pages.h"
#include "photolog.h"
#include "pwdmod.h"
#include "server.h"
#include "settings_ids.h"
#include "settings_menu.h"
#include "settings_server.h"
#include "store.h"
#include "watch.h"

namespace {

constexpr UINT_PTR kStatusTimer = 1107;
constexpr UINT kStatusTimerMs = 250;
constexpr DWORD kHelpContext = 5000;

// The item value of a row: its number in the list in the low 16 bits, bit 30
// while it is marked for deletion, bit 31 only during a refresh.
constexpr LPARAM kNumberMask = 0xFFFF;
constexpr LPARAM kMarked = LPARAM(1) << 30;
constexpr LPARAM kRefreshing = LPARAM(1) << 31;

// Images of the list (after the three header marks).
enum { IMAGE_OPEN = 3, IMAGE_PROTECTED = 4, IMAGE_MARKED = 5 };

constexpr COLORREF kRunningColour = RGB(0, 128, 0);
constexpr COLORREF kStoppedColour = RGB(255, 0, 0);

enum { COLUMN_NAME, COLUMN_FILES, COLUMN_TYPE, COLUMN_COUNT };

struct SettingsPage {
    HWND dlg = nullptr;
    HWND list = nullptr;
    bool changed = false;
    char lastStatus[256] = "";
    HFONT bold = nullptr;
    WatchParams* watcher = nullptr;
    LvSortContext sort{};
    int nextNumber = 0;
    bool ownsButtons = false;  // this page started btnmod
    bool viewThemed = false;   // the View button is registered with it
};

HWND g_pageWindow = nullptr;

SettingsPage* pageOf(HWND dlg) { return reinterpret_cast<SettingsPage*>(GetWindowLongPtrA(dlg, DWLP_USER)); }

void postFromWatcher(void* window, UINT message, WPARAM command, LPARAM lParam) {
    PostMessageA(static_cast<HWND>(window), message, command, lParam);
}

void markChanged(SettingsPage* p) {
    p->changed = true;
    PropSheet_Changed(GetParent(p->dlg), p->dlg);
}

LPARAM rowValue(const SettingsPage* p, int row) { return pageRowParam(p->list, row); }

void setRowValue(SettingsPage* p, int row, LPARAM value) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = value;
    ListView_SetItem(p->list, &item);
}

void setRowImage(SettingsPage* p, int row, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    ListView_SetItem(p->list, &item);
}

std::string cellText(const SettingsPage* p, int row, int column) {
    char text[256] = "";
    ListView_GetItemText(p->list, row, column, text, sizeof text);
    return text;
}

int selectedRow(const SettingsPage* p) { return ListView_GetNextItem(p->list, -1, LVNI_SELECTED); }

// The selected row when it is not marked for deletion, else -1.
int selectedLiveRow(const SettingsPage* p) {
    int row = selectedRow(p);
    if (row < 0) return -1;
    return (rowValue(p, row) & kMarked) ? -1 : row;
}

void updateButtons(SettingsPage* p) {
    bool live = selectedLiveRow(p) >= 0;
    EnableWindow(GetDlgItem(p->dlg, IDC_SET_EDIT), live);
    EnableWindow(GetDlgItem(p->dlg, IDC_SET_DELETE), live);
}

int rowOfName(const SettingsPage* p, const std::string& name) {
    int n = ListView_GetItemCount(p->list);
    for (int row = 0; row < n; ++row)
        if (strcasecmp(cellText(p, row, COLUMN_NAME).c_str(), name.c_str()) == 0) return row;
    return -1;
}

int rowOfNumber(const SettingsPage* p, int number) {
    int n = ListView_GetItemCount(p->list);
    for (int row = 0; row < n; ++row)
        if ((rowValue(p, row) & kNumberMask) == number) return row;
    return -1;
}

// The type key's text of a collection, "Mixed" when the key is missing.
std::string typeText(const std::string& name) {
    char text[32] = "";
    if (configGetCollectionType(name.c_str(), text, sizeof text) && text[0]) return text;
    return "Mixed";
}

void sizeColumns(SettingsPage* p) {
    for (int c = 0; c < COLUMN_COUNT; ++c) ListView_SetColumnWidth(p->list, c, LVSCW_AUTOSIZE_USEHEADER);
}

void refresh(SettingsPage* p, bool resize) {
    int n = ListView_GetItemCount(p->list);
    for (int row = 0; row < n; ++row) setRowValue(p, row, rowValue(p, row) | kRefreshing);

    std::vector<StoreCollection> collections;
    storeEnumCollections(g_config.collectionsDir, g_config.configPath, &collections);
    for (const StoreCollection& c : collections) {
        int image = pwdmodResourceHasPassword(c.name.c_str()) == 1 ? IMAGE_PROTECTED : IMAGE_OPEN;
        int row = rowOfName(p, c.name);
        if (row < 0) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = ListView_GetItemCount(p->list);
            item.pszText = const_cast<char*>(c.name.c_str());
            item.iImage = image;
            item.lParam = p->nextNumber++ & kNumberMask;
            row = ListView_InsertItem(p->list, &item);
            if (row < 0) continue;
        } else {
            LPARAM value = rowValue(p, row) & ~kRefreshing;
            setRowValue(p, row, value);
            setRowImage(p, row, (value & kMarked) ? IMAGE_MARKED : image);
        }
        char count[32];
        std::snprintf(count, sizeof count, "%lu", static_cast<unsigned long>(c.fileCount));
        ListView_SetItemText(p->list, row, COLUMN_FILES, count);
        std::string type = typeText(c.name);
        ListView_SetItemText(p->list, row, COLUMN_TYPE, const_cast<char*>(type.c_str()));
    }
    for (int row = 0; row < ListView_GetItemCount(p->list);) {
        if (rowValue(p, row) & kRefreshing) {
            ListView_DeleteItem(p->list, row);
            row = 0;
        } else {
            ++row;
        }
    }
    if (resize) sizeColumns(p);
    // A sorted list stays sorted, its header mark true, when rows come and go.
    if (p->sort.column >= 0) ListView_SortItems(p->list, lvsortCompare, reinterpret_cast<LPARAM>(&p->sort));
    updateButtons(p);
}

void setStatusIcon(SettingsPage* p, bool running) {
    HICON icon = settingsSmallIcon(running ? IDI_SERVER_RUNNING : IDI_SERVER_STOPPED);
    SendDlgItemMessageA(p->dlg, IDC_SET_STATUS_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void showStatus(SettingsPage* p, bool always) {
    char text[256] = "";
    serverGetStatusText(text, sizeof text);
    if (!always && std::strcmp(text, p->lastStatus) == 0) return;
    std::snprintf(p->lastStatus, sizeof p->lastStatus, "%s", text);
    SetDlgItemTextA(p->dlg, IDC_SET_STATUS, text);
    setStatusIcon(p, serverIsRunning() == 1);
    InvalidateRect(GetDlgItem(p->dlg, IDC_SET_STATUS), nullptr, TRUE);
}

void selectServerRadio(HWND dlg, bool start) {
    CheckRadioButton(dlg, IDC_SET_START, IDC_SET_STOP, start ? IDC_SET_START : IDC_SET_STOP);
}

// "WideConfig": the host shows the Advanced pages as tabs, so the page's own
// Advanced section goes and the collections move up into its place.
void layoutWide(SettingsPage* p) {
    static const int hidden[] = {IDC_SET_PICTURE_ADVANCED, IDC_SET_ADVANCED_LINE, IDC_SET_ADVANCED_TEXT, IDC_SET_ADVANCED,
                                 IDC_SET_HEADING_ADVANCED};
    for (int id : hidden) ShowWindow(GetDlgItem(p->dlg, id), SW_HIDE);
    auto rectOf = [p](int id) {
        RECT r{};
        HWND w = GetDlgItem(p->dlg, id);
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, p->dlg, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    int shift = rectOf(IDC_SET_HEADING_COLLECTIONS).top - rectOf(IDC_SET_ADVANCED_LINE).top;
    if (shift <= 0) return;
    static const int moved[] = {IDC_SET_HEADING_COLLECTIONS, IDC_SET_PICTURE_COLLECTIONS, IDC_SET_COLLECTIONS_TEXT,
                                IDC_SET_ADD, IDC_SET_EDIT, IDC_SET_DELETE};
    for (int id : moved) {
        RECT r = rectOf(id);
        MoveWindow(GetDlgItem(p->dlg, id), r.left, r.top - shift, r.right - r.left, r.bottom - r.top, FALSE);
    }
    // The list keeps its bottom edge and grows into the space; the View
    // button stays at the foot of the page.
    RECT r = rectOf(IDC_SET_LIST);
    MoveWindow(p->list, r.left, r.top - shift, r.right - r.left, r.bottom - r.top + shift, FALSE);
    InvalidateRect(p->dlg, nullptr, TRUE);
}

void themeViewButton(SettingsPage* p) {
    int rc = btnmodInit();
    // Already running: the host's settings window started the same module.
    if (rc != 0 && rc != -1) {
        photoLog(LOG_CALL_FAILED, "btnmodInit() returned error code %d", rc);
        return;
    }
    p->ownsButtons = rc == 0;
    HWND view = GetDlgItem(p->dlg, IDC_SET_VIEW);
    rc = btnmodAddButton(view);
    if (rc < 0) {
        photoLog(LOG_CALL_FAILED, "btnmodAddButton() returned error code %d", rc);
        return;
    }
    p->viewThemed = true;
    HICON icon = static_cast<HICON>(
        LoadImageA(pageModule(), MAKEINTRESOURCEA(IDI_VIEW_BUTTON), IMAGE_ICON, 16, 16, 0));
    rc = btnmodSetOption(view, BTNMOD_OPTION_ICON, &icon, sizeof icon);
    if (rc < 0) {
        photoLog(LOG_CALL_FAILED, "btnmodSetOption() returned error code %d", rc);
        if (icon) DestroyIcon(icon);
    }
    int placement = BTNMOD_ICON_LEFT;
    rc = btnmodSetOption(view, BTNMOD_OPTION_PLACEMENT, &placement, sizeof placement);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "btnmodSetOption() returned error code %d", rc);
}

void releaseViewButton(SettingsPage* p) {
    if (p->ownsButtons) {
        int rc = btnmodShutdown();
        if (rc < 0) photoLog(LOG_CALL_FAILED, "btnmodShutdown() returned error code %d", rc);
    } else if (p->viewThemed) {
        btnmodRemoveButton(GetDlgItem(p->dlg, IDC_SET_VIEW));
    }
    p->ownsButtons = p->viewThemed = false;
}

void initPage(SettingsPage* p) {
    INITCOMMONCONTROLSEX icc{sizeof icc, 0x8FF};
    if (!InitCommonControlsEx(&icc)) InitCommonControls();
    g_pageWindow = p->dlg;
    p->list = GetDlgItem(p->dlg, IDC_SET_LIST);
    if (g_config.wideConfig) layoutWide(p);
    themeViewButton(p);

    p->bold = pageCreateBoldFont();
    if (p->bold) SendDlgItemMessageA(p->dlg, IDC_SET_STATUS, WM_SETFONT, reinterpret_cast<WPARAM>(p->bold), FALSE);
    const int icons[] = {IDI_COLLECTION_OPEN, IDI_COLLECTION_PROTECTED, IDI_COLLECTION_MARKED};
    pageSetupList(p->list, icons, 3);
    RECT client{};
    GetClientRect(p->list, &client);
    int width = client.right - client.left;
    pageAddColumn(p->list, COLUMN_NAME, "Collection", width / 2);
    pageAddColumn(p->list, COLUMN_FILES, "Files", width * 15 / 100);
    pageAddColumn(p->list, COLUMN_TYPE, "Type", width * 15 / 100);
    lvsortInitContext(&p->sort, p->list);
    refresh(p, true);

    showStatus(p, true);
    // A server that is still starting counts as running: its Start radio.
    selectServerRadio(p->dlg, settingsServerActive());
    EnableWindow(GetDlgItem(p->dlg, IDC_SET_EDIT), FALSE);
    EnableWindow(GetDlgItem(p->dlg, IDC_SET_DELETE), FALSE);

    p->changed = false;
    p->watcher = watchStart(g_config.collectionsDir, postFromWatcher, p->dlg, WM_COMMAND, IDC_SET_REFRESH);
    SetTimer(p->dlg, kStatusTimer, kStatusTimerMs, nullptr);
}

void closePage(SettingsPage* p) {
    KillTimer(p->dlg, kStatusTimer);
    watchStop(p->watcher);
    p->watcher = nullptr;
    SendDlgItemMessageA(p->dlg, IDC_SET_STATUS, WM_SETFONT, 0, FALSE);
    if (p->bold) DeleteObject(p->bold);
    p->bold = nullptr;
    if (g_pageWindow == p->dlg) g_pageWindow = nullptr;
    releaseViewButton(p);
}

// ---- Browser and folders ----

void openCollectionRow(SettingsPage* p, int row) {
    if (row < 0) return;
    std::string name = cellText(p, row, COLUMN_NAME);
    int type = storeTypeCode(cellText(p, row, COLUMN_TYPE).c_str());
    pageShellOpen(p->dlg, pageCollectionUrl(name.c_str(), type));
}

void openAllCollections(SettingsPage* p) {
    char url[64];
    std::snprintf(url, sizeof url, "http://localhost:%d/?list=icons", g_config.port);
    pageShellOpen(p->dlg, url);
}

void openRecycleBin(SettingsPage* p) {
    pageShellOpen(p->dlg, std::string(g_config.collectionsDir) + "/" + STORE_RECYCLE_BIN);
}

// ---- Menus ----

int viewIconOf(int type) {
    if (type == STORE_TYPE_PHOTO) return IDI_MENU_PHOTO;
    if (type == STORE_TYPE_FILE) return IDI_MENU_FILE;
    switch (g_config.mixedListType) {
        case 0:
        case 1:
        case 2: return IDI_MENU_FILE;
        case 3: return IDI_MENU_MIXED_FILMSTRIP;
        default: return 0;
    }
}

void showViewMenu(SettingsPage* p) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    std::vector<SettingsMenuIcon> icons;
    int n = ListView_GetItemCount(p->list);
    for (int row = 0; row < n; ++row) {
        UINT command = IDC_SET_COLLECTION_BASE + static_cast<UINT>(rowValue(p, row) & kNumberMask);
        std::string name = cellText(p, row, COLUMN_NAME);
        AppendMenuA(menu, MF_STRING, command, name.c_str());
        int icon = viewIconOf(storeTypeCode(cellText(p, row, COLUMN_TYPE).c_str()));
        icons.push_back({command, icon, icon});
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDC_SET_ALL_COLLECTIONS, "All Collections");
    AppendMenuA(menu, MF_STRING, IDC_SET_RECYCLE_BIN, "Recycle Bin");
    SetMenuDefaultItem(menu, IDC_SET_ALL_COLLECTIONS, FALSE);
    icons.push_back({IDC_SET_ALL_COLLECTIONS, IDI_MENU_PHOTO, IDI_MENU_PHOTO});
    icons.push_back({IDC_SET_RECYCLE_BIN, IDI_MENU_RECYCLE, IDI_MENU_RECYCLE});

    RECT button{};
    GetWindowRect(GetDlgItem(p->dlg, IDC_SET_VIEW), &button);
    UINT chosen = settingsMenuTrack(p->dlg, menu, icons.data(), static_cast<int>(icons.size()),
                                    POINT{button.left, button.bottom});
    if (chosen) PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

void showContextMenu(SettingsPage* p, POINT at) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    bool live = selectedLiveRow(p) >= 0;
    UINT state = live ? MF_ENABLED : MF_GRAYED;
    UINT preview = live && serverIsRunning() == 1 ? MF_ENABLED : MF_GRAYED;
    AppendMenuA(menu, MF_STRING | preview, IDC_SET_PREVIEW, "Pre&view");
    AppendMenuA(menu, MF_STRING | state, IDC_SET_DELETE, "&Delete");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | state, IDC_SET_EDIT, "&Properties...");
    SetMenuDefaultItem(menu, IDC_SET_EDIT, FALSE);
    const SettingsMenuIcon icons[] = {
        {IDC_SET_PREVIEW, IDI_MENU_PREVIEW, IDI_MENU_PREVIEW_ACTIVE},
        {IDC_SET_DELETE, IDI_MENU_DELETE, IDI_MENU_DELETE_ACTIVE},
        {IDC_SET_EDIT, IDI_MENU_PROPERTIES, IDI_MENU_PROPERTIES_ACTIVE},
    };
    UINT chosen = settingsMenuTrack(p->dlg, menu, icons, 3, at);
    if (chosen) PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

// ---- Collections ----

void addCollection(SettingsPage* p) {
    CollectionRecord record{};
    record.fileList = listCreate();
    if (record.fileList < 0) {
        photoLog(LOG_CALL_FAILED, "listCreate() returned error code %d", record.fileList);
        return;
    }
    if (wizardRunNew(p->dlg, &record) > 0) {
        record.name[sizeof record.name - 1] = 0;
        record.password[sizeof record.password - 1] = 0;
        int rc = storeSaveCollection(g_config.collectionsDir, g_config.configPath, nullptr, record.name,
                                     record.password, record.isPublic != 0, record.type);
        if (rc != 0) photoLog(LOG_CALL_FAILED, "storeSaveCollection() returned error code %d", rc);
        refresh(p, true);
    }
    int rc = listDestroy(record.fileList);
    if (rc != 0) photoLog(LOG_CALL_FAILED, "listDestroy returned error code %d", rc);
}

void editCollection(SettingsPage* p) {
    int row = selectedLiveRow(p);
    if (row < 0) return;
    std::string name = cellText(p, row, COLUMN_NAME);
    char oldName[STORE_NAME_MAX];
    std::snprintf(oldName, sizeof oldName, "%s", name.c_str());
    CollectionRecord record{};
    record.fileList = listCreate();
    if (record.fileList < 0) {
        photoLog(LOG_CALL_FAILED, "listCreate() returned error code %d", record.fileList);
        return;
    }
    editFillRecord(&record, oldName);
    if (editSheetRun(p->dlg, &record)) {
        record.name[sizeof record.name - 1] = 0;
        record.password[sizeof record.password - 1] = 0;
        int rc = storeSaveCollection(g_config.collectionsDir, g_config.configPath, oldName, record.name,
                                     record.password, record.isPublic != 0, record.type);
        if (rc != 0) photoLog(LOG_CALL_FAILED, "storeSaveCollection() returned error code %d", rc);
        refresh(p, true);
    }
    int rc = listDestroy(record.fileList);
    if (rc != 0) photoLog(LOG_CALL_FAILED, "listDestroy returned error code %d", rc);
}

void markSelected(SettingsPage* p) {
    int row = selectedLiveRow(p);
    if (row < 0) return;
    setRowValue(p, row, rowValue(p, row) | kMarked);
    setRowImage(p, row, IMAGE_MARKED);
    markChanged(p);
    EnableWindow(GetDlgItem(p->dlg, IDC_SET_EDIT), FALSE);
    EnableWindow(GetDlgItem(p->dlg, IDC_SET_DELETE), FALSE);
}

void applyDeletions(SettingsPage* p) {
    std::vector<int> marked;
    int n = ListView_GetItemCount(p->list);
    for (int row = 0; row < n; ++row)
        if (rowValue(p, row) & kMarked) marked.push_back(row);
    if (marked.empty()) return;
    const char* s = marked.size() > 1 ? "s" : "";
    char question[512];
    std::snprintf(question, sizeof question,
                  "Are you sure you want to delete selected collection%s? All pictures and files in the collection%s "
                  "will be moved to the Recycle bin.",
                  s, s);
    if (pageMessageBox(p->dlg, question, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        for (int row : marked) {
            std::string name = cellText(p, row, COLUMN_NAME);
            int rc = storeDeleteCollection(g_config.collectionsDir, name.c_str());
            if (rc != 0) photoLog(LOG_CALL_FAILED, "storeDeleteCollection() returned error code %d", rc);
        }
    }
    // Whatever was not deleted is no longer marked.
    for (int row : marked) setRowValue(p, row, rowValue(p, row) & ~kMarked);
    refresh(p, true);
}

void apply(SettingsPage* p) {
    if (!p->changed) return;
    bool stop = IsDlgButtonChecked(p->dlg, IDC_SET_STOP) == BST_CHECKED;
    bool start = IsDlgButtonChecked(p->dlg, IDC_SET_START) == BST_CHECKED;
    if (settingsServerActive() && stop) {
        if (pageMessageBox(p->dlg, "Are you sure you want to stop the Photo server?", MB_YESNO | MB_ICONQUESTION) ==
            IDYES) {
            SetDlgItemTextA(p->dlg, IDC_SET_STATUS, "Stopping...");
            UpdateWindow(GetDlgItem(p->dlg, IDC_SET_STATUS));
            settingsServerStop();
        } else {
            selectServerRadio(p->dlg, true);
        }
        showStatus(p, true);
    } else if (!settingsServerActive() && start) {
        settingsServerStart();
        showStatus(p, true);
    }
    applyDeletions(p);
}

// ---- Messages ----

INT_PTR onCommand(SettingsPage* p, int id, int code) {
    switch (id) {
        case IDC_SET_START:
        case IDC_SET_STOP:
            if (code != BN_CLICKED) return FALSE;
            selectServerRadio(p->dlg, id == IDC_SET_START);
            markChanged(p);
            return TRUE;
        case IDC_SET_ADD: addCollection(p); return TRUE;
        case IDC_SET_EDIT: editCollection(p); return TRUE;
        case IDC_SET_DELETE: markSelected(p); return TRUE;
        case IDC_SET_ADVANCED: advancedSheetRun(p->dlg); return TRUE;
        case IDC_SET_VIEW: showViewMenu(p); return TRUE;
        case IDC_SET_REFRESH: refresh(p, false); return TRUE;
        case IDC_SET_PREVIEW: openCollectionRow(p, selectedLiveRow(p)); return TRUE;
        case IDC_SET_RECYCLE_BIN: openRecycleBin(p); return TRUE;
        case IDC_SET_ALL_COLLECTIONS: openAllCollections(p); return TRUE;
        default:
            if (id >= IDC_SET_COLLECTION_BASE && id <= IDC_SET_COLLECTION_BASE + kNumberMask) {
                openCollectionRow(p, rowOfNumber(p, id - IDC_SET_COLLECTION_BASE));
                return TRUE;
            }
            return FALSE;
    }
}

INT_PTR answer(HWND dlg, LONG_PTR result) {
    SetWindowLongPtrA(dlg, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR onNotify(SettingsPage* p, NMHDR* hdr) {
    if (hdr->hwndFrom == p->list) {
        switch (hdr->code) {
            case NM_CLICK: updateButtons(p); return TRUE;
            case LVN_ITEMCHANGED: updateButtons(p); return TRUE;
            case NM_DBLCLK:
                if (selectedLiveRow(p) >= 0) PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(IDC_SET_EDIT, 0), 0);
                return TRUE;
            case NM_RCLICK: {
                auto* click = reinterpret_cast<NMITEMACTIVATE*>(hdr);
                POINT at = click->ptAction;
                ClientToScreen(p->list, &at);
                updateButtons(p);
                showContextMenu(p, at);
                return TRUE;
            }
            case LVN_COLUMNCLICK:
                lvsortColumnClick(&p->sort, reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem, LVSORT_TEXT, 0);
                return TRUE;
        }
        return FALSE;
    }
    switch (hdr->code) {
        case PSN_APPLY:
            apply(p);
            p->changed = false;
            return answer(p->dlg, PSNRET_NOERROR);
        case PSN_HELP: pageTopicHelp(p->dlg, kHelpContext); return TRUE;
    }
    return FALSE;
}

INT_PTR onColour(SettingsPage* p, HDC dc, HWND control) {
    if (p && control == GetDlgItem(p->dlg, IDC_SET_STATUS)) {
        SetTextColor(dc, serverIsRunning() == 1 ? kRunningColour : kStoppedColour);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    return pageHeadingColour(dc, control);
}

}  // namespace

HWND settingsPageWindow() { return g_pageWindow; }

void settingsPageServerStarted() {
    if (g_pageWindow && IsWindow(g_pageWindow)) {
        selectServerRadio(g_pageWindow, true);
        if (SettingsPage* p = pageOf(g_pageWindow)) showStatus(p, true);
    }
}

ZELEXT_EXPORT INT_PTR CALLBACK zelextSettingsProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    SettingsPage* p = pageOf(dlg);
    switch (message) {
        case WM_INITDIALOG:
            p = new SettingsPage{};
            p->dlg = dlg;
            SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
            initPage(p);
            return TRUE;
        case WM_TIMER:
            if (p && wParam == kStatusTimer) showStatus(p, false);
            return TRUE;
        case WM_CTLCOLORSTATIC: return onColour(p, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_COMMAND: return p ? onCommand(p, LOWORD(wParam), HIWORD(wParam)) : FALSE;
        case WM_NOTIFY: return p ? onNotify(p, reinterpret_cast<NMHDR*>(lParam)) : FALSE;
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            return settingsMenuMeasure(measure) ? TRUE : FALSE;
        }
        case WM_DRAWITEM: {
            auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw && draw->CtlType == ODT_MENU) return settingsMenuDraw(draw) ? TRUE : FALSE;
            return btnmodDrawItem(draw) >= 0 ? TRUE : FALSE;
        }
        case WM_MOUSEMOVE:
            if (p && p->viewThemed) btnmodSetOption(nullptr, BTNMOD_OPTION_CLEARHOT, nullptr, 0);
            return FALSE;
        case WM_HELP: pageControlHelp(dlg, kHelpContext, reinterpret_cast<const HELPINFO*>(lParam)); return TRUE;
        case WM_CLOSE:
        case WM_DESTROY:
            if (!p) return FALSE;
            closePage(p);
            if (message == WM_DESTROY) {
                SetWindowLongPtrA(dlg, DWLP_USER, 0);
                delete p;
            }
            return message == WM_DESTROY ? TRUE : FALSE;
    }
    return FALSE;
}
