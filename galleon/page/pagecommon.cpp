#include "pagecommon.h"

#include <shellapi.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "config.h"
#include "pageids.h"
#include "store.h"

namespace {

constexpr COLORREF KEY_COLOUR = RGB(255, 0, 255);
constexpr COLORREF HEADING_COLOUR = RGB(0, 0, 255);

void addBitmap(HIMAGELIST list, int id) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(pageModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    if (!bitmap) return;
    ImageList_AddMasked(list, bitmap, KEY_COLOUR);
    DeleteObject(bitmap);
}

bool writeHelpResource(const char* path) {
    HMODULE self = pageModule();
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(IDH_GALLEON_HELP), "HELP");
    HGLOBAL data = found ? LoadResource(self, found) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    DWORD size = found ? SizeofResource(self, found) : 0;
    if (!bytes || !size) return false;
    std::string temp = std::string(path) + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (ok) ok = std::rename(temp.c_str(), path) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok;
}

}  // namespace

HMODULE pageModule() { return g_galleonModule; }

HFONT pageCreateBoldFont() {
    return CreateFontA(-8, 0, 0, 0, 600, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Helv");
}

HIMAGELIST pageCreateImageList(const int* iconIds, int count) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3 + count, 0);
    if (!list) return nullptr;
    for (int id : {IDB_SORT_BLANK, IDB_SORT_UP, IDB_SORT_DOWN}) addBitmap(list, id);
    for (int i = 0; i < count; ++i) {
        HICON icon = static_cast<HICON>(LoadImageA(pageModule(), MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, 16, 16, 0));
        ImageList_AddIcon(list, icon);
        if (icon) DestroyIcon(icon);
    }
    return list;
}

void pageSetupList(HWND list, const int* iconIds, int count) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    if (HIMAGELIST images = pageCreateImageList(iconIds, count)) ListView_SetImageList(list, images, LVSIL_SMALL);
}

void pageAddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title);
    column.cx = width;
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

LPARAM pageRowParam(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !ListView_GetItem(list, &item)) return -1;
    return item.lParam;
}

INT_PTR pageHeadingColour(HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    if (id < 400 || id > 499) return 0;
    SetTextColor(dc, HEADING_COLOUR);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

const char* pageHelpFile() {
    const char* path = g_config.helpPath;
    struct stat st {};
    if (!path[0]) return nullptr;
    if (stat(path, &st) == 0 || writeHelpResource(path)) return path;
    return nullptr;
}

void pageTopicHelp(HWND window, DWORD context) {
    if (const char* file = pageHelpFile()) WinHelpA(window, file, HELP_CONTEXT, context);
}

void pageControlHelp(HWND window, DWORD base, const HELPINFO* info) {
    if (!info || info->iContextType != HELPINFO_WINDOW) return;
    HWND control = reinterpret_cast<HWND>(info->hItemHandle);
    if (const char* file = pageHelpFile())
        WinHelpA(control ? control : window, file, HELP_CONTEXTPOPUP, base + (DWORD)info->iCtrlId);
}

int pageMessageBox(HWND owner, const char* text, UINT type) { return MessageBoxA(owner, text, "photo", type); }

std::string pageFormEncode(const char* name) {
    static const char HEX[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p && out.size() < 32; ++p) {
        if (std::isalnum(*p) || *p == '-' || *p == '.' || *p == '_') out += static_cast<char>(*p);
        else if (*p == ' ') out += '+';
        else {
            out += '%';
            out += HEX[*p >> 4];
            out += HEX[*p & 15];
        }
    }
    return out.empty() ? std::string(name) : out;
}

std::string pageCollectionUrl(const char* name, int type, bool mixedByOption) {
    static const char* const SORTED = "&sortcol=name&sortdir=asc";
    std::string url = "http://localhost:" + std::to_string(g_config.port) + "/" + pageFormEncode(name) + "/";
    int view = type == STORE_TYPE_PHOTO ? 3 : type == STORE_TYPE_FILE ? 2 : mixedByOption ? g_config.mixedListType : 0;
    switch (view) {
        case 1: return url + "?list=list";
        case 2: return url + "?list=details" + SORTED;
        case 3: return url + "?list=filmstrip" + SORTED;
        default: return url + "?list=icons";
    }
}

void pageShellOpen(HWND owner, const std::string& target) {
    ShellExecuteA(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

PageWaitCursor::PageWaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
PageWaitCursor::~PageWaitCursor() { SetCursor(previous_ ? previous_ : LoadCursorA(nullptr, IDC_ARROW)); }
