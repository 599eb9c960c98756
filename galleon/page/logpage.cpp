// The Log page: the server's messages (source "photo"), listed by the
// logging plug-in when one is loaded. The page only prepares the list
// (columns, sort marks and the logging plug-in's record icons) and hands it
// to that plug-in's zelextLogDisplay. Without one, a link leads to the help
// topic about the logging plug-in.
#include <commctrl.h>
#include <prsht.h>

#include <cstring>

#include "advanced_ids.h"
#include "linkmod.h"
#include "lvsort.h"
#include "pagecommon.h"
#include "pagelink.h"
#include "pages.h"

namespace {

typedef int (*LogDisplayFn)(HWND list, LPCSTR source, int number);

// The logging plug-in's icons of its record kinds, image indexes 3 to 9.
constexpr int kLogIcons[] = {106, 111, 108, 110, 109, 112, 107};
constexpr int kShownLevels = 6;  // failures, failed calls and information
constexpr int kTipChars = 2047;
// Posted once the page is up: the logging plug-in fills the list.
constexpr UINT kFillMessage = WM_APP + 1;

struct LogPage {
    HWND list;
    LvSortContext sort;
    LogDisplayFn display;
    HFONT textFont;  // "Arial", for the description
    bool link;       // linkmod runs for the link
};

LogPage* pageOf(HWND dlg) { return reinterpret_cast<LogPage*>(GetWindowLongPtrA(dlg, DWLP_USER)); }

// The first module the host handed over that exports zelextLogDisplay.
HMODULE loggingModule(LogDisplayFn* display) {
    for (int i = 0;; ++i) {
        HMODULE module = galleonEnumModule(i);
        if (!module) return nullptr;
        auto fn = reinterpret_cast<LogDisplayFn>(reinterpret_cast<void*>(GetProcAddress(module, "zelextLogDisplay")));
        if (fn) {
            *display = fn;
            return module;
        }
    }
}

void showRecords(HWND dlg, LogPage* page, HMODULE module) {
    HWND list = page->list;
    if (HIMAGELIST images = pageCreateImageList(nullptr, 0)) {
        for (int id : kLogIcons) {
            HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
            // A missing icon keeps its place, so the later kinds keep their indexes.
            if (!icon || ImageList_AddIcon(images, icon) < 0)
                ImageList_SetImageCount(images, ImageList_GetImageCount(images) + 1);
            if (icon) DestroyIcon(icon);
        }
        ListView_SetImageList(list, images, LVSIL_SMALL);
    }
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_INFOTIP);
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left;
    pageAddColumn(list, 0, "Date", width * 45 / 100);
    pageAddColumn(list, 1, "Message", width * 5);
    lvsortInitContext(&page->sort, list);
    ShowWindow(GetDlgItem(dlg, IDC_LOGPAGE_LINK), SW_HIDE);
    ShowWindow(list, SW_SHOW);
    PostMessageA(dlg, kFillMessage, 0, 0);
}

void showLink(HWND dlg, LogPage* page) {
    HWND link = GetDlgItem(dlg, IDC_LOGPAGE_LINK);
    ShowWindow(page->list, SW_HIDE);
    page->link = linkmodInit(pageModule()) == 0;
    if (page->link) linkmodAddLink(link, nullptr);
    ShowWindow(link, SW_SHOW);
}

void open(HWND dlg, LogPage* page) {
    page->list = GetDlgItem(dlg, IDC_LOGPAGE_LIST);
    page->textFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    if (page->textFont) SendDlgItemMessageA(dlg, IDC_LOGPAGE_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(page->textFont), FALSE);
    if (HMODULE module = loggingModule(&page->display)) showRecords(dlg, page, module);
    else showLink(dlg, page);
}

void fill(LogPage* page) {
    if (!page->display) return;
    char source[64] = "photo";
    page->display(page->list, source, kShownLevels);
}

void infoTip(LogPage* page, NMLVGETINFOTIPA* tip) {
    if (!tip->pszText || tip->cchTextMax <= 0) return;
    char message[kTipChars + 1] = "";
    ListView_GetItemText(page->list, tip->iItem, 1, message, sizeof message);
    std::strncpy(tip->pszText, message, static_cast<size_t>(tip->cchTextMax) - 1);
    tip->pszText[tip->cchTextMax - 1] = '\0';
}

void close(LogPage* page) {
    if (page->link) linkmodShutdown();
    if (page->textFont) DeleteObject(page->textFont);
}

}  // namespace

ZELEXT_EXPORT INT_PTR CALLBACK zelextLogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    LogPage* page = pageOf(dlg);
    switch (message) {
    case WM_INITDIALOG:
        page = new LogPage{};
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        open(dlg, page);
        return TRUE;
    case kFillMessage:
        if (page) fill(page);
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        auto dc = reinterpret_cast<HDC>(wParam);
        auto control = reinterpret_cast<HWND>(lParam);
        if (page && page->link)
            if (HBRUSH brush = linkmodCtlColor(dc, control)) return reinterpret_cast<INT_PTR>(brush);
        if (GetDlgCtrlID(control) == IDC_LOGPAGE_TEXT) {
            // The description keeps its colour, on the page's background.
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        return pageHeadingColour(dc, control);
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LOGPAGE_LINK && HIWORD(wParam) == STN_CLICKED) {
            pageTopicHelp(dlg, HELP_LOGGING_PLUGIN);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (!page) return FALSE;
        if (hdr->hwndFrom == page->list) {
            if (hdr->code == LVN_COLUMNCLICK) {
                int column = reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem;
                lvsortColumnClick(&page->sort, column, column == 0 ? LVSORT_DATETIME : LVSORT_TEXT, 1);
                return TRUE;
            }
            if (hdr->code == LVN_GETINFOTIPA) {
                infoTip(page, reinterpret_cast<NMLVGETINFOTIPA*>(hdr));
                return TRUE;
            }
            return FALSE;
        }
        if (hdr->code == PSN_APPLY) {
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        if (hdr->code == PSN_HELP) {
            pageTopicHelp(dlg, HELP_LOG);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        pageControlHelp(dlg, HELP_LOG, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_DESTROY:
        if (page) close(page);
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        delete page;
        return FALSE;
    }
    return FALSE;
}
