// Add Photos and Files: the record's list of publish items, filled from the
// file open dialog and from files dropped on the page.
#include "wizard_pages.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "listmod.h"
#include "lvsort.h"
#include "pagecommon.h"
#include "pageids.h"
#include "photolog.h"
#include "publish.h"
#include "wizard_ids.h"

namespace {

constexpr DWORD RESULT_BUFFER = 16384;
constexpr int FILE_IMAGE = 3;  // IDI_FILE, after the three sort marks
const char FILTER[] = "JPEG Files\0*.jpg;*.jpeg\0All Files\0*.*\0";

// The filter the user chose last, for the next dialog of any run.
DWORD g_filterIndex = 1;

struct FilesPage {
    CollectionRecord* record = nullptr;
    PageFonts fonts;
    LvSortContext sort{};
    std::string dialogDir;  // where the next file dialog opens
};

HWND listOf(HWND dlg) { return GetDlgItem(dlg, IDC_WIZ_FILES_LIST); }

bool getItem(int list, int id, PublishItem* item) {
    if (listGetItem(list, id, item, sizeof *item) != sizeof *item) return false;
    item->sourcePath[MAX_PATH - 1] = item->caption[MAX_PATH - 1] = 0;
    return true;
}

// The file system tells names apart by case, so only the same path is the
// same file.
bool alreadyListed(int list, const char* path) {
    PublishItem item;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(list, pos);
        if (id < 0) return false;
        if (getItem(list, id, &item) && std::strcmp(item.sourcePath, path) == 0) return true;
    }
}

// A file chosen or dropped: a regular file not yet in the list becomes a
// publish item (folders and missing paths are passed over).
void addFile(FilesPage* page, const char* path) {
    if (!path || !*path || std::strlen(path) >= MAX_PATH) return;
    DWORD attrs = GetFileAttributesA(path);
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (alreadyListed(page->record->fileList, path)) return;
    PublishItem item;
    publishInitItem(&item, path);
    int rc = listAddItem(page->record->fileList, &item, sizeof item);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "listAddItem() returned error code %d", rc);
}

void updateButtons(HWND dlg, const FilesPage* page) {
    bool any = listGetCount(page->record->fileList) > 0;
    DWORD flags = any ? PSWIZB_NEXT : 0;
    if (page->record->pageCounter > 0) flags |= PSWIZB_BACK;
    wizardSetButtons(dlg, flags);
}

void refresh(HWND dlg, FilesPage* page) {
    HWND list = listOf(dlg);
    ListView_DeleteAllItems(list);
    int fileList = page->record->fileList;
    PublishItem item;
    int rows = 0;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(fileList, pos);
        if (id < 0) break;
        if (!getItem(fileList, id, &item)) continue;
        LVITEMA row{};
        row.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        row.iItem = rows;
        row.pszText = item.sourcePath;
        row.lParam = id;
        row.iImage = FILE_IMAGE;
        if (ListView_InsertItem(list, &row) >= 0) ++rows;
    }
    // Rows come back in the order the user sorted them by.
    if (page->sort.column >= 0) ListView_SortItems(list, lvsortCompare, reinterpret_cast<LPARAM>(&page->sort));
    char count[64] = "";
    if (rows > 0) std::snprintf(count, sizeof count, "%u item%s selected in your collection", rows, rows == 1 ? "" : "s");
    SetDlgItemTextA(dlg, IDC_WIZ_FILES_COUNT, count);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_FILES_REMOVE), FALSE);
    updateButtons(dlg, page);
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void addFromDialog(HWND dlg, FilesPage* page) {
    std::vector<char> buffer(RESULT_BUFFER, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = FILTER;
    ofn.nFilterIndex = g_filterIndex;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = RESULT_BUFFER;
    ofn.lpstrInitialDir = page->dialogDir.empty() ? nullptr : page->dialogDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_NOTESTFILECREATE | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return;
    g_filterIndex = ofn.nFilterIndex;
    buffer.back() = buffer[RESULT_BUFFER - 2] = 0;
    std::string first = buffer.data();
    const char* next = buffer.data() + first.size() + 1;
    if (!*next) {
        // One file: its full path. The next dialog opens in its folder.
        page->dialogDir = directoryOf(first);
        addFile(page, first.c_str());
    } else {
        page->dialogDir = first;
        std::string dir = first;
        if (dir.empty() || dir.back() != '/') dir += '/';
        for (; *next; next += std::strlen(next) + 1) addFile(page, (dir + next).c_str());
    }
    refresh(dlg, page);
}

void addDropped(HWND dlg, FilesPage* page, HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH] = "";
        UINT length = DragQueryFileA(drop, i, path, sizeof path);
        if (length == 0 || length >= sizeof path) continue;
        addFile(page, path);
        refresh(dlg, page);
    }
    DragFinish(drop);
}

std::vector<int> selectedIds(HWND list) {
    std::vector<int> ids;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        ids.push_back(static_cast<int>(pageRowParam(list, row)));
    return ids;
}

void removeSelected(HWND dlg, FilesPage* page) {
    std::vector<int> ids = selectedIds(listOf(dlg));
    if (ids.empty()) return;
    int fileList = page->record->fileList;
    char question[MAX_PATH + 256];
    if (ids.size() == 1) {
        PublishItem item;
        if (!getItem(fileList, ids[0], &item)) return;
        std::snprintf(question, sizeof question, "Are you sure you want to remove %s from the %s collection?",
                      item.sourcePath, page->record->name);
    } else {
        std::snprintf(question, sizeof question,
                      "Are you sure you want to remove the selected files from the %s collection?", page->record->name);
    }
    if (pageMessageBox(dlg, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    for (int id : ids) {
        int rc = listDeleteItem(fileList, id);
        if (rc < 0) photoLog(LOG_CALL_FAILED, "listRemoveItem returned error code %d", rc);
    }
    refresh(dlg, page);
}

void open(HWND dlg, FilesPage* page) {
    page->fonts.title(dlg, IDC_WIZ_TITLE);
    DragAcceptFiles(dlg, TRUE);
    // The first dialog opens at the root of the system's drive.
    char system[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(system, sizeof system);
    std::string root = length > 0 && length < sizeof system ? system : "/";
    size_t slash = root.find('/');
    page->dialogDir = slash == std::string::npos ? root : root.substr(0, slash + 1);

    HWND list = listOf(dlg);
    const int icons[] = {IDI_FILE};
    pageSetupList(list, icons, 1);
    RECT client{};
    GetClientRect(list, &client);
    pageAddColumn(list, 0, "File", client.right - client.left - GetSystemMetrics(SM_CXVSCROLL) - 1);
    lvsortInitContext(&page->sort, list);
    EnableWindow(GetDlgItem(dlg, IDC_WIZ_FILES_REMOVE), FALSE);
    refresh(dlg, page);
}

BOOL listNotification(HWND dlg, FilesPage* page, const NMHDR* hdr) {
    switch (hdr->code) {
        case NM_CLICK:
        case LVN_ITEMCHANGED:
            EnableWindow(GetDlgItem(dlg, IDC_WIZ_FILES_REMOVE), ListView_GetSelectedCount(hdr->hwndFrom) > 0);
            return TRUE;
        case LVN_COLUMNCLICK:
            lvsortColumnClick(&page->sort, reinterpret_cast<const NMLISTVIEW*>(hdr)->iSubItem, LVSORT_TEXT, 1);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK wizardFilesPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<FilesPage*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        page = new FilesPage;
        page->record = wizardRecordOf(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        if (page->record) open(dlg, page);
        return TRUE;
    }
    if (message == WM_DESTROY && page) {
        delete page;
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        return FALSE;
    }
    if (!page || !page->record) return FALSE;
    INT_PTR result = 0;
    if (wizardCommonMessage(dlg, message, wParam, lParam, WIZ_HELP_FILES, &result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            if (LOWORD(wParam) == IDC_WIZ_FILES_ADD) addFromDialog(dlg, page);
            else if (LOWORD(wParam) == IDC_WIZ_FILES_REMOVE) removeSelected(dlg, page);
            else return FALSE;
            return TRUE;
        case WM_DROPFILES:
            addDropped(dlg, page, reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (hdr->idFrom == IDC_WIZ_FILES_LIST) return listNotification(dlg, page, hdr);
            if (hdr->code == PSN_SETACTIVE) {
                updateButtons(dlg, page);
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (wizardIsForward(hdr->code) || hdr->code == PSN_WIZBACK) {
                page->record->pageCounter += hdr->code == PSN_WIZBACK ? -1 : 1;
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            return FALSE;
        }
    }
    return FALSE;
}
