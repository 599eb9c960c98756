// The Log page. The records are the logging plug-in's to list: the page only
// prepares the list (columns, sort marks, the plug-in's record icons) and
// calls its zelextLogDisplay.
#include "logpage.h"

#include <commctrl.h>

#include <cstring>

#include "linkmod.h"
#include "listimages.h"
#include "lvsort.h"
#include "pagehelp.h"
#include "pageids.h"
#include "plugin.h"
#include "zelext.h"

namespace {

typedef int (*LogDisplayFn)(HWND list, LPCSTR source, int number);

// Icons of the logging plug-in for its record kinds, as image indexes 3 to 9.
constexpr int LOG_ICONS[] = {106, 111, 108, 110, 109, 112, 107};
constexpr int INFO_TIP_CHARS = 2047;

struct LogPage {
    HWND list;
    HIMAGELIST images;
    LvSortContext sort;
    bool link;
};

HMODULE loggingModule(LogDisplayFn *display) {
    for (int i = 0;; ++i) {
        HMODULE module = pluginEnumModule(i);
        if (!module) return nullptr;
        auto fn = reinterpret_cast<LogDisplayFn>(reinterpret_cast<void *>(GetProcAddress(module, "zelextLogDisplay")));
        if (fn) {
            *display = fn;
            return module;
        }
    }
}

void showRecords(LogPage *p, HWND dlg, HMODULE module, LogDisplayFn display) {
    p->images = listImagesCreate(nullptr, 0);
    for (int id : LOG_ICONS) {
        HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
        if (!icon || ImageList_AddIcon(p->images, icon) < 0) ImageList_SetImageCount(p->images, ImageList_GetImageCount(p->images) + 1);
    }
    ListView_SetExtendedListViewStyle(p->list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    ListView_SetImageList(p->list, p->images, LVSIL_SMALL);
    RECT r{};
    GetClientRect(p->list, &r);
    int width = r.right - r.left;
    const char *titles[] = {"Date", "Message"};
    int widths[] = {width * 45 / 100, width * 50 / 100};  // room for a vertical scroll bar
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char *>(titles[i]);
        column.cx = widths[i];
        column.iSubItem = i;
        ListView_InsertColumn(p->list, i, &column);
    }
    lvsortInitContext(&p->sort, p->list);
    ShowWindow(p->list, SW_SHOW);
    ShowWindow(GetDlgItem(dlg, IDC_LOG_LINK), SW_HIDE);
    display(p->list, "upnp", 6);
}

void showLink(LogPage *p, HWND dlg) {
    HWND link = GetDlgItem(dlg, IDC_LOG_LINK);
    ShowWindow(p->list, SW_HIDE);
    ShowWindow(link, SW_SHOW);
    // The link's target is the help topic about the logging plug-in, opened
    // on the click (STN_CLICKED) rather than by the link module.
    p->link = linkmodInit(pluginModule()) == 0;
    if (p->link) linkmodAddLink(link, nullptr);
}

}  // namespace

INT_PTR CALLBACK logPageProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto *p = reinterpret_cast<LogPage *>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        p = new LogPage{};
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
        p->list = GetDlgItem(dlg, IDC_LOG_LIST);
        LogDisplayFn display = nullptr;
        if (HMODULE module = loggingModule(&display)) showRecords(p, dlg, module, display);
        else showLink(p, dlg);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        if (p && p->link) {
            HBRUSH brush = linkmodCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            if (brush) return reinterpret_cast<INT_PTR>(brush);
        }
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LOG_LINK && HIWORD(wParam) == STN_CLICKED) {
            pageLoggingPluginHelp(dlg);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<NMHDR *>(lParam);
        if (p && hdr->hwndFrom == p->list) {
            if (hdr->code == LVN_COLUMNCLICK) {
                int column = reinterpret_cast<NMLISTVIEW *>(hdr)->iSubItem;
                lvsortColumnClick(&p->sort, column, column == 0 ? LVSORT_DATETIME : LVSORT_TEXT, 0);
                return TRUE;
            }
            if (hdr->code == LVN_GETINFOTIPA) {
                // The row's whole message, which the column may cut.
                auto *tip = reinterpret_cast<NMLVGETINFOTIPA *>(hdr);
                static char message[INFO_TIP_CHARS + 1];
                ListView_GetItemText(p->list, tip->iItem, 1, message, sizeof message);
                if (tip->pszText && tip->cchTextMax > 0) {
                    std::strncpy(tip->pszText, message, (size_t)tip->cchTextMax - 1);
                    tip->pszText[tip->cchTextMax - 1] = '\0';
                }
                return TRUE;
            }
            return FALSE;
        }
        if (hdr->code == PSN_HELP) {
            pageTopicHelp(dlg, PAGE_HELP_LOG);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        pageControlHelp(dlg, PAGE_HELP_LOG, reinterpret_cast<const HELPINFO *>(lParam));
        return TRUE;
    case WM_DESTROY:
        if (!p) return FALSE;
        if (p->link) linkmodShutdown();
        if (p->images) {
            ListView_SetImageList(p->list, nullptr, LVSIL_SMALL);
            ImageList_Destroy(p->images);
        }
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        delete p;
        return FALSE;
    }
    return FALSE;
}
