// The UPnP page. It changes only the settings and the service definitions;
// applying saves them and wakes the forwarding worker, which talks to the
// gateways. Edits that are not applied are thrown away (the definitions are
// read again from the file) when the settings window is cancelled.
#include "mainpage.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "advanced.h"
#include "errreport.h"
#include "listimages.h"
#include "lvsort.h"
#include "pagehelp.h"
#include "pageids.h"
#include "plugin.h"
#include "rangetext.h"
#include "routerbox.h"
#include "serviceedit.h"
#include "servicemod.h"
#include "settings.h"

namespace {

constexpr const char *SOURCE = "upnp";
constexpr COLORREF HEADING_COLOUR = RGB(0, 0, 255);

struct Page {
    HWND dlg;
    HWND router;
    HWND services;
    HIMAGELIST images;
    HFONT introFont;
    bool changed;
    LvSortContext sort;
};

Page *pageOf(HWND dlg) { return reinterpret_cast<Page *>(GetWindowLongPtrA(dlg, DWLP_USER)); }

void markChanged(Page *p) {
    p->changed = true;
    PropSheet_Changed(GetParent(p->dlg), p->dlg);
}

int selectedService(Page *p, int *index = nullptr) {
    int item = ListView_GetNextItem(p->services, -1, LVNI_SELECTED);
    if (index) *index = item;
    if (item < 0) return -1;
    LVITEMA it{};
    it.mask = LVIF_PARAM;
    it.iItem = item;
    if (!ListView_GetItem(p->services, &it)) return -1;
    return (int)it.lParam;
}

void enableServiceButtons(Page *p, bool withSelection) {
    EnableWindow(GetDlgItem(p->dlg, IDC_SERVICE_EDIT), withSelection);
    EnableWindow(GetDlgItem(p->dlg, IDC_SERVICE_DELETE), withSelection);
}

void fillServices(Page *p) {
    ListView_DeleteAllItems(p->services);
    char name[128];
    for (int pos = 0;; ++pos) {
        int id = servicemodEnumServices(pos, name, sizeof name);
        if (id < 0) break;
        LVITEMA it{};
        it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        it.iItem = pos;
        it.pszText = name;
        it.iImage = servicemodGetServiceEnable(id) == 1 ? IMAGE_SERVICE_ENABLED : IMAGE_SERVICE_DISABLED;
        it.lParam = id;
        ListView_InsertItem(p->services, &it);
    }
    RECT r{};
    GetClientRect(p->services, &r);
    ListView_SetColumnWidth(p->services, 0, (r.right - r.left) * 95 / 100);
    // A sorted list stays sorted (and its header arrow true) when refilled.
    if (p->sort.column >= 0) ListView_SortItems(p->services, lvsortCompare, reinterpret_cast<LPARAM>(&p->sort));
}

// The router box decides whether services can be edited: only for a chosen
// gateway.
void followRouter(Page *p) {
    bool device = routerBoxHasDevice(p->router);
    EnableWindow(p->services, device);
    EnableWindow(GetDlgItem(p->dlg, IDC_SERVICE_ADD), device);
    enableServiceButtons(p, device && selectedService(p) >= 0);
}

void init(Page *p) {
    p->router = GetDlgItem(p->dlg, IDC_ROUTER);
    p->services = GetDlgItem(p->dlg, IDC_SERVICES);
    p->introFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    if (p->introFont) SendDlgItemMessageA(p->dlg, IDC_PAGE_INTRO, WM_SETFONT, (WPARAM)p->introFont, FALSE);

    const int marks[] = {IDB_SERVICE_DISABLED, IDB_SERVICE_ENABLED};
    p->images = listImagesCreate(marks, 2);
    ListView_SetExtendedListViewStyle(p->services, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ListView_SetImageList(p->services, p->images, LVSIL_SMALL);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char *>("Service");
    column.cx = 100;
    ListView_InsertColumn(p->services, 0, &column);
    lvsortInitContext(&p->sort, p->services);
    fillServices(p);

    UpnpSettings s{};
    settingsGet(&s);
    bool device = routerBoxFill(p->router, s.device);
    EnableWindow(p->services, device);
    EnableWindow(GetDlgItem(p->dlg, IDC_SERVICE_ADD), device);
    enableServiceButtons(p, false);
    p->changed = false;
}

// A click on a service's mark switches the service; the router box waits
// for the apply, so the worker sees the switch with the router it was made for.
void flipService(Page *p, int item) {
    LVITEMA it{};
    it.mask = LVIF_PARAM | LVIF_IMAGE;
    it.iItem = item;
    if (!ListView_GetItem(p->services, &it)) return;
    int id = (int)it.lParam;
    int enabled = servicemodGetServiceEnable(id) == 1 ? 0 : 1;
    int rc = servicemodSetServiceEnable(id, enabled);
    if (rc != 0) {
        REPORT_ERROR(SOURCE, "servicemodSetServiceEnable", rc);
        return;
    }
    it.mask = LVIF_IMAGE;
    it.iImage = enabled ? IMAGE_SERVICE_ENABLED : IMAGE_SERVICE_DISABLED;
    ListView_SetItem(p->services, &it);
    EnableWindow(p->router, FALSE);
    enableServiceButtons(p, true);
    markChanged(p);
}

void clickServices(Page *p, const NMITEMACTIVATE *click) {
    LVHITTESTINFO hit{};
    hit.pt = click->ptAction;
    int item = ListView_HitTest(p->services, &hit);
    if (item < 0 || !(hit.flags & LVHT_ONITEM)) {
        enableServiceButtons(p, false);
        return;
    }
    if (hit.flags & LVHT_ONITEMICON) flipService(p, item);
    else enableServiceButtons(p, true);
}

void editService(Page *p, int serviceId) {
    if (serviceEditorRun(p->dlg, serviceId) != IDOK) return;
    fillServices(p);
    enableServiceButtons(p, false);
    markChanged(p);
}

void deleteService(Page *p) {
    int id = selectedService(p);
    if (id < 0) return;
    char name[128] = "";
    servicemodGetServiceName(id, name, sizeof name);
    char question[256];
    std::snprintf(question, sizeof question, "Are you sure you want to remove service definition %s?", name);
    if (MessageBoxA(p->dlg, question, PAGE_TITLE, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    int rc = servicemodRemoveService(id);
    if (rc != 0) {
        REPORT_ERROR(SOURCE, "servicemodRemoveService", rc);
        return;
    }
    fillServices(p);
    enableServiceButtons(p, false);
    markChanged(p);
}

void apply(Page *p) {
    if (!p->changed) return;
    EnableWindow(p->router, TRUE);
    if (const char *device = routerBoxSelection(p->router)) settingsSetDevice(pluginConfigPath(), device);
    int rc = servicemodSave();
    if (rc != 0) REPORT_ERROR(SOURCE, "servicemodSave", rc);
    pluginWake();
    p->changed = false;
}

// Edits that were not applied are dropped: the file still holds the last
// applied definitions.
void discard(Page *p) {
    if (!p->changed) return;
    int rc = servicemodReload();
    if (rc != 0) REPORT_ERROR(SOURCE, "servicemodReload", rc);
    p->changed = false;
}

INT_PTR onNotify(Page *p, NMHDR *hdr) {
    if (hdr->hwndFrom == p->services) {
        switch (hdr->code) {
        case NM_CLICK: clickServices(p, reinterpret_cast<NMITEMACTIVATE *>(hdr)); return TRUE;
        case NM_DBLCLK: {
            int id = selectedService(p);
            if (id >= 0 && IsWindowEnabled(p->services)) editService(p, id);
            return TRUE;
        }
        case LVN_COLUMNCLICK:
            lvsortColumnClick(&p->sort, reinterpret_cast<NMLISTVIEW *>(hdr)->iSubItem, LVSORT_TEXT, 0);
            return TRUE;
        }
        return FALSE;
    }
    switch (hdr->code) {
    case PSN_APPLY:
        apply(p);
        SetWindowLongPtrA(p->dlg, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_QUERYCANCEL:
        discard(p);
        SetWindowLongPtrA(p->dlg, DWLP_MSGRESULT, FALSE);
        return TRUE;
    case PSN_HELP: pageTopicHelp(p->dlg, PAGE_HELP_MAIN); return TRUE;
    }
    return FALSE;
}

INT_PTR onCommand(Page *p, WORD id, WORD code) {
    switch (id) {
    case IDC_ROUTER:
        if (code != CBN_SELCHANGE) return FALSE;
        followRouter(p);
        markChanged(p);
        return TRUE;
    case IDC_SERVICE_ADD: editService(p, -1); return TRUE;
    case IDC_SERVICE_EDIT: {
        int selected = selectedService(p);
        if (selected >= 0) editService(p, selected);
        return TRUE;
    }
    case IDC_SERVICE_DELETE: deleteService(p); return TRUE;
    case IDC_ADVANCED:
        if (advancedSheetRun(p->dlg)) markChanged(p);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

ZELEXT_EXPORT INT_PTR CALLBACK zelextSettingsProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    Page *p = pageOf(dlg);
    switch (msg) {
    case WM_INITDIALOG:
        p = new Page{};
        p->dlg = dlg;
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
        init(p);
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id < 400 || id > 499) return FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, HEADING_COLOUR);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_NOTIFY: return p ? onNotify(p, reinterpret_cast<NMHDR *>(lParam)) : FALSE;
    case WM_COMMAND: return p ? onCommand(p, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    case WM_HELP:
        pageControlHelp(dlg, PAGE_HELP_MAIN, reinterpret_cast<const HELPINFO *>(lParam));
        return TRUE;
    case WM_DESTROY:
        if (!p) return FALSE;
        // A settings window that closes without applying is a cancel, whether
        // or not the page was asked first.
        discard(p);
        routerBoxClear(p->router);
        ListView_SetImageList(p->services, nullptr, LVSIL_SMALL);
        if (p->images) ImageList_Destroy(p->images);
        if (p->introFont) DeleteObject(p->introFont);
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        delete p;
        return TRUE;
    }
    return FALSE;
}
