// The settings window: building it, its notifications, buttons and menu.
#include "settings/settings_window.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "btnmod.h"
#include "extmod/extmod.h"
#include "hhelpmod.h"
#include "win/htmlhelp.h"
#include "listmod.h"
#include "menu/menuhost.h"
#include "menu/menumod.h"
#include "settings/host_page.h"
#include "settings/settings_ids.h"
#include "settings/settings_tree.h"
#include "settings/settings_ui.h"
#include "settings/tabsort.h"
#include "settings/tipsmod.h"
#include "shell/shell.h"
#include "zellog.h"

namespace {

constexpr UINT_PTR kTipTimer = 220;

void logCode(const char *format, int code) { zelextLog("cradle", 5, format, code); }

HICON loadIcon(HMODULE module, LPCSTR name, int size) {
    return module ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, LR_SHARED)) : nullptr;
}

// An image by name: the branding module first, then the program's own.
HICON brandedIcon(LPCSTR name, int size) {
    HICON icon = loadIcon(shellState().branding, name, size);
    return icon ? icon : loadIcon(GetModuleHandleA(nullptr), name, size);
}

void addBitmap(HIMAGELIST images, int id) {
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageA(shellState().branding, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    if (!bmp) bmp = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    if (bmp) {
        ImageList_AddMasked(images, bmp, RGB(255, 0, 255));
        DeleteObject(bmp);
    } else {
        // Keep the image numbers: a blank stands in for a missing bitmap.
        HICON blank = brandedIcon("BLANK", 16);
        if (blank) ImageList_AddIcon(images, blank);
    }
}

// Image of a page: its icon as the tab list knows it; 0 (the default image)
// without one.
int pageImage(SettingsWindow &w, int tab) {
    HICON icon = settingsTabIcon(tab);
    if (!icon) return 0;
    int image = ImageList_AddIcon(w.images, icon);
    return image < 0 ? 0 : image;
}

int categoryImage(SettingsWindow &w, const std::string &name) {
    HICON icon = brandedIcon(("CAT" + name).c_str(), 16);
    if (!icon) return 0;
    int image = ImageList_AddIcon(w.images, icon);
    return image < 0 ? 0 : image;
}

HTREEITEM insertItem(SettingsWindow &w, HTREEITEM parent, const char *text, int image, int record) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent ? parent : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    ins.item.pszText = const_cast<char *>(text);
    ins.item.iImage = image;
    ins.item.iSelectedImage = image;
    ins.item.lParam = record;
    return reinterpret_cast<HTREEITEM>(SendMessageA(w.tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

// The tree from the plan; returns the record of the entry to select first.
int buildTree(SettingsWindow &w) {
    ShellState &shell = shellState();
    TreeOptions options;
    options.expert = shell.switches.expertMode != 0;
    if (w.requestedPage >= 1) options.requestedItem = tabsortFindPage(w.requestedPage - 1);
    std::vector<TreeEntry> plan = settingsPlanTree(shell.paths.config, options);
    std::vector<int> records(plan.size(), -1);
    std::vector<HTREEITEM> items(plan.size(), nullptr);
    for (size_t i = 0; i < plan.size(); ++i) {
        const TreeEntry &e = plan[i];
        PageRecord r{};
        std::snprintf(r.text, sizeof r.text, "%s", e.text.c_str());
        r.parent = e.parent >= 0 ? items[static_cast<size_t>(e.parent)] : nullptr;
        r.tab = e.tab;
        r.image = e.tab >= 0 ? pageImage(w, e.tab) : categoryImage(w, e.category);
        int id = listAddItem(w.records, &r, sizeof r);
        if (id < 0) {
            logCode("listAddItem() returned error code %d", id);
            continue;
        }
        records[i] = id;
        r.item = insertItem(w, r.parent, r.text, r.image, id);
        items[i] = r.item;
        int u = listUpdateItem(w.records, id, &r, sizeof r);
        if (u < 0) logCode("listUpdateItem() returned error code %d", u);
    }
    for (HTREEITEM item : items)
        if (item) SendMessageA(w.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    int first = settingsFirstSelection(plan, options);
    return first >= 0 ? records[static_cast<size_t>(first)] : -1;
}

void buildMenu(SettingsWindow &w) {
    int r = menuhostInit();
    if (r < 0) {
        logCode("menuhostInit() returned error code %d", r);
        return;
    }
    w.menuHost = true;
    w.menu = menuhostCreateMenu(w.window);
    if (w.menu < 0) {
        logCode("menuhostCreateMenu() returned error code %d", w.menu);
        return;
    }
    menuhostAddItem(w.menu, "&File", "&Close Properties", IDM_SW_CLOSE, nullptr);
    menuhostAddItem(w.menu, "&Help", "&Contents && Index", IDM_SW_CONTENTS, nullptr);
    menuhostAddItem(w.menu, "&Help", "Ti&p of the Day", IDM_SW_TIP, nullptr);
    char address[512];
    if (LoadStringA(shellState().branding, IDS_SUPPORT_ADDRESS, address, sizeof address) > 0)
        menuhostAddItem(w.menu, "&Help", "Online &Support", IDM_SW_SUPPORT, nullptr);
    int n = extmodNotify(EXT_NOTIFY_MENU_BAR, w.menu);
    if (n != 0) logCode("extmodNotify() returned error code %d", n);
    menuhostAddItem(w.menu, "&Help", MENUHOST_SEPARATOR_TEXT, 0, nullptr);
    menuhostAddItem(w.menu, "&Help", "&About", IDM_SW_ABOUT, nullptr);
    r = menuhostDrawMenu(w.menu);
    if (r < 0) logCode("menuhostDrawMenu() returned error code %d", r);
}

void setupHelpButton(SettingsWindow &w) {
    HWND help = GetDlgItem(w.window, IDC_SW_HELP);
    int r = btnmodAddButton(help);
    if (r < 0) {
        logCode("btnmodAddButton() returned error code %d", r);
        return;
    }
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETTINGS_HELP), IMAGE_ICON, 16, 16, 0));
    if (!icon) {
        logCode("LoadImage() returned error code %d", static_cast<int>(GetLastError()));
        return;
    }
    r = btnmodSetOption(help, BTNMOD_OPTION_ICON, &icon, sizeof icon);
    if (r < 0) logCode("btnmodSetOption() returned error code %d", r);
    int placement = BTNMOD_ICON_LEFT;
    r = btnmodSetOption(help, BTNMOD_OPTION_PLACEMENT, &placement, sizeof placement);
    if (r < 0) logCode("btnmodSetOption() returned error code %d", r);
}

// The caption rectangle flies between the notification area (the bottom
// right corner of the work area) and the window, where animation is on.
void animate(HWND window, bool opening) {
    ANIMATIONINFO info{sizeof info, 0};
    if (!SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0) || !info.iMinAnimate) return;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT tray{work.right - 32, work.bottom - 24, work.right, work.bottom};
    RECT win;
    GetWindowRect(window, &win);
    if (opening) DrawAnimatedRects(window, IDANI_CAPTION, &tray, &win);
    else DrawAnimatedRects(window, IDANI_CAPTION, &win, &tray);
}

// The menu bar takes its room from the client area: the window grows until the
// buttons at the bottom fit again.
void fitMenuBar(HWND window) {
    RECT ok, client, win;
    HWND button = GetDlgItem(window, IDC_SW_OK);
    if (!button || !GetWindowRect(button, &ok)) return;
    POINT bottom{0, ok.bottom};
    ScreenToClient(window, &bottom);
    GetClientRect(window, &client);
    RECT margin{0, 0, 0, 7};
    MapDialogRect(window, &margin);
    int missing = bottom.y + margin.bottom - client.bottom;
    if (missing <= 0) return;
    GetWindowRect(window, &win);
    SetWindowPos(window, nullptr, 0, 0, win.right - win.left, win.bottom - win.top + missing,
                 SWP_NOMOVE | SWP_NOZORDER);
}

void centre(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    int cx = r.right - r.left, cy = r.bottom - r.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - cx) / 2, (GetSystemMetrics(SM_CYSCREEN) - cy) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER);
}

void initWindow(HWND hwnd, int requestedPage) {
    SettingsWindow &w = settingsWindow();
    ShellState &shell = shellState();
    w = SettingsWindow{};
    w.window = hwnd;
    w.requestedPage = requestedPage;
    w.tree = GetDlgItem(hwnd, IDC_SW_TREE);
    w.frame = GetDlgItem(hwnd, IDC_SW_FRAME);
    w.list = GetDlgItem(hwnd, IDC_SW_CATEGORY_LIST);

    if (HICON icon = brandedIcon("ONLINEICON", 32)) SendMessageA(hwnd, WM_SETICON, 1, reinterpret_cast<LPARAM>(icon));
    shell.settingsWindow = hwnd;
    centre(hwnd);
    SetForegroundWindow(hwnd);

    EnableWindow(GetDlgItem(hwnd, IDC_SW_APPLY), FALSE);
    w.titleFont = CreateFontA(14, 0, 0, 0, 700, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    w.sloganFont = CreateFontA(10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "SmallFonts");
    SendDlgItemMessageA(hwnd, IDC_SW_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(w.titleFont), FALSE);
    SendDlgItemMessageA(hwnd, IDC_SW_SLOGAN, WM_SETFONT, reinterpret_cast<WPARAM>(w.sloganFont), FALSE);
    settingsSubclassFrame(w.frame);

    w.records = listCreate();
    if (w.records < 0) logCode("listCreate() returned error code %d", w.records);

    buildMenu(w);
    fitMenuBar(hwnd);
    centre(hwnd);
    setupHelpButton(w);

    SetWindowTextA(hwnd, shell.title);
    w.images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    addBitmap(w.images, IDB_LIST_DEFAULT);
    addBitmap(w.images, IDB_LIST_ASCENDING);
    addBitmap(w.images, IDB_LIST_DESCENDING);
    SendMessageA(w.tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(w.images));
    SendMessageA(w.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(w.images));
    SendMessageA(w.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    lvsortInitContext(&w.listSort, w.list);

    int first = w.records >= 0 ? buildTree(w) : -1;
    if (first >= 0) settingsSelectRecord(first);
    else settingsShowRecord(-1);

    animate(hwnd, true);
    PostMessageA(hwnd, WM_TIMER, kTipTimer, 0);
}

void showTips(HWND hwnd) {
    ShellState &shell = shellState();
    int r = tipsmodInit(shell.branding, hwnd, shell.paths.config);
    if (r < 0) {
        logCode("tipsmodInit() returned error code %d", r);
        return;
    }
    r = tipsmodShowTips();
    if (r < 0) logCode("tipsmodShowTips() returned error code %d", r);
    r = tipsmodShutdown();
    if (r < 0) logCode("tipsmodShutdown() returned error code %d", r);
}

// The record whose tab is this key, -1 if the tree has none.
int findRecordByKey(const char *wanted) {
    SettingsWindow &w = settingsWindow();
    PageRecord r;
    char key[TABSORT_KEY_SIZE];
    for (int p = 0;; ++p) {
        int id = listGetItemId(w.records, p);
        if (id < 0) return -1;
        if (settingsGetRecord(id, r) && r.tab >= 0 && tabsortGetKey(r.tab, key, sizeof key) > 0 &&
            std::strcmp(key, wanted) == 0)
            return id;
    }
}

void showHelpContents(HWND hwnd) {
    if (hhelpmodAvailable()) hhelpmodHtmlHelp(hwnd, shellState().paths.defaultHelp, HH_DISPLAY_TOC, 0);
}

void openSupport(HWND hwnd) {
    char address[512];
    if (LoadStringA(shellState().branding, IDS_SUPPORT_ADDRESS, address, sizeof address) <= 0) return;
    // A plain file name is a page beside the program.
    std::string target = address;
    if (target.find("://") == std::string::npos && target[0] != '/')
        target = std::string(shellState().paths.programDir) + target;
    ShellExecuteA(hwnd, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void command(HWND hwnd, int id) {
    SettingsWindow &w = settingsWindow();
    switch (id) {
    case IDC_SW_OK:
        if (settingsApplyPages(true)) EndDialog(hwnd, 1);
        return;
    case IDC_SW_APPLY:
        if (settingsApplyPages(false)) EnableWindow(GetDlgItem(hwnd, IDC_SW_APPLY), FALSE);
        return;
    case IDC_SW_CANCEL:
    case IDCANCEL:
        EndDialog(hwnd, 0);
        return;
    case IDC_SW_HELP: {
        PageRecord r;
        if (w.selected >= 0 && settingsGetRecord(w.selected, r)) {
            if (r.window) settingsNotifyPage(r.window, PSN_HELP, 0);
        } else {
            showHelpContents(hwnd);
        }
        return;
    }
    case IDM_SW_CONTENTS: showHelpContents(hwnd); return;
    case IDM_SW_ABOUT: {
        int about = findRecordByKey("cradle-About");
        if (about >= 0) settingsSelectRecord(about);
        else DialogBoxParamA(shellState().branding, "ABOUT", hwnd, aboutPageProc, 0);
        return;
    }
    case IDM_SW_TIP: showTips(hwnd); return;
    case IDM_SW_SUPPORT: openSupport(hwnd); return;
    default:
        if (w.menu >= 0 && id >= MENUHOST_FIRST_COMMAND) menuhostRouteCommand(w.menu, id);
        return;
    }
}

void notify(HWND hwnd, const NMHDR *hdr) {
    SettingsWindow &w = settingsWindow();
    if (hdr->idFrom == IDC_SW_TREE && hdr->code == TVN_SELCHANGEDA) {
        auto *tv = reinterpret_cast<const NMTREEVIEWA *>(hdr);
        settingsShowRecord(static_cast<int>(tv->itemNew.lParam));
    } else if (hdr->idFrom == IDC_SW_TREE && hdr->code == TVN_GETINFOTIPA) {
        auto *tip = reinterpret_cast<NMTVGETINFOTIPA *>(const_cast<NMHDR *>(hdr));
        PageRecord r;
        int number = -1;
        if (tip->pszText && tip->cchTextMax > 0 && settingsGetRecord(static_cast<int>(tip->lParam), r) && r.window &&
            r.tab >= 0 && tabsortGetPageNumber(r.tab, &number) == 0 && number >= 0) {
            auto *text = reinterpret_cast<const char *>(GetWindowLongPtrA(r.window, GWLP_USERDATA));
            if (text) std::snprintf(tip->pszText, static_cast<size_t>(tip->cchTextMax), "%s", text);
        }
    } else if (hdr->idFrom == IDC_SW_CATEGORY_LIST && hdr->code == NM_DBLCLK) {
        int row = static_cast<int>(SendMessageA(w.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (row < 0) return;
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (SendMessageA(w.list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) settingsSelectRecord(static_cast<int>(item.lParam));
    } else if (hdr->idFrom == IDC_SW_CATEGORY_LIST && hdr->code == LVN_COLUMNCLICK) {
        auto *lv = reinterpret_cast<const NMLISTVIEW *>(hdr);
        lvsortColumnClick(&w.listSort, lv->iSubItem, LVSORT_TEXT, 0);
    }
    (void)hwnd;
}

void destroyWindow(HWND hwnd) {
    SettingsWindow &w = settingsWindow();
    if (w.titleFont) DeleteObject(w.titleFont);
    if (w.sloganFont) DeleteObject(w.sloganFont);
    SendMessageA(w.tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    SendMessageA(w.list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    if (w.images) ImageList_Destroy(w.images);
    PageRecord r;
    for (int p = 0; w.records >= 0; ++p) {
        int id = listGetItemId(w.records, p);
        if (id < 0) break;
        if (settingsGetRecord(id, r) && r.window && IsWindow(r.window)) DestroyWindow(r.window);
    }
    if (w.records >= 0) {
        int d = listDestroy(w.records);
        if (d < 0) logCode("listDestroy(2) returned error code %d", d);
    }
    animate(hwnd, false);
    if (w.menuHost) {
        int m = menuhostShutdown();
        if (m < 0) logCode("menuhostShutdown() returned error code %d", m);
    }
    if (shellState().settingsWindow == hwnd) shellState().settingsWindow = nullptr;
    w = SettingsWindow{};
}

INT_PTR CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: initWindow(hwnd, static_cast<int>(lParam)); return FALSE;
    case WM_NOTIFY: notify(hwnd, reinterpret_cast<const NMHDR *>(lParam)); return TRUE;
    case WM_COMMAND: command(hwnd, LOWORD(wParam)); return TRUE;
    case WM_TIMER:
        if (wParam == kTipTimer) showTips(hwnd);
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (id == IDC_SW_TITLE) {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        return settingsHeadingColor(dc, id);
    }
    case WM_DRAWITEM: {
        auto *di = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (di->CtlType == ODT_MENU) return menumodDrawItem(di) >= 0;
        return btnmodDrawItem(di) >= 0;
    }
    case WM_MEASUREITEM: return menumodMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)) >= 0;
    case WM_MOUSEMOVE: btnmodSetOption(nullptr, BTNMOD_OPTION_CLEARHOT, nullptr, 0); return FALSE;
    case WM_CLOSE: EndDialog(hwnd, 0); return TRUE;
    case WM_DESTROY: destroyWindow(hwnd); return FALSE;
    }
    return FALSE;
}

}  // namespace

SettingsWindow &settingsWindow() {
    static SettingsWindow w;
    return w;
}

bool settingsGetRecord(int id, PageRecord &record) {
    SettingsWindow &w = settingsWindow();
    return id >= 0 && w.records >= 0 && listGetItem(w.records, id, &record, sizeof record) == static_cast<int>(sizeof record);
}

INT_PTR settingsRunWindow(HWND owner, int requestedPage) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS_WINDOW), owner, windowProc,
                           requestedPage);
}
