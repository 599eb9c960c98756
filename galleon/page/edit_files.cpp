// The Files page of the Edit Collection sheet: the collection's files, files
// dropped on the page (copied in on Apply, with "Confirm Overwrite" and "Copy
// Failure" questions), files marked for deletion (moved to the Recycle Bin
// with their thumbnails on Apply), the photo editor on a file, the add-files
// wizard, and a store watcher that refreshes the list when the collection's
// folder changes.
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <strings.h>
#include <vector>

#include "config.h"
#include "edit.h"
#include "images_probe.h"
#include "listmod.h"
#include "lvsort.h"
#include "msgdialog.h"
#include "pagecommon.h"
#include "pageids.h"
#include "photolog.h"
#include "publish.h"
#include "settings_ids.h"
#include "settings_menu.h"
#include "store.h"
#include "thumb.h"
#include "watch.h"

namespace {

constexpr DWORD kHelpContext = 4000;
// The posted refresh of the list from the record's file list.
constexpr UINT kRefreshMessage = WM_APP + 37;

enum { IMAGE_PRESENT = 3, IMAGE_MARKED = 4 };
enum { COLUMN_FILE, COLUMN_SIZE, COLUMN_COUNT };

struct FilesPage {
    HWND dlg = nullptr;
    HWND list = nullptr;
    CollectionRecord* record = nullptr;
    char name[STORE_NAME_MAX] = "";  // the collection's folder while the sheet is open
    std::string dir;                 // Collections/<name>
    WatchParams* watcher = nullptr;
    bool changed = false;
    bool refreshPosted = false;
    LvSortContext sort{};
};

FilesPage* filesPageOf(HWND dlg) { return reinterpret_cast<FilesPage*>(GetWindowLongPtrA(dlg, DWLP_USER)); }

void postFromWatcher(void* window, UINT message, WPARAM command, LPARAM lParam) {
    PostMessageA(static_cast<HWND>(window), message, command, lParam);
}

const char* baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// ---- The record's file list ----

std::vector<std::string> itemPaths(const FilesPage* p) {
    std::vector<std::string> paths;
    PublishItem item;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(p->record->fileList, pos);
        if (id < 0 || listGetItem(p->record->fileList, id, &item, sizeof item) < 0) break;
        item.sourcePath[MAX_PATH - 1] = 0;
        paths.push_back(item.sourcePath);
    }
    return paths;
}

int itemIdOf(const FilesPage* p, const char* path) {
    PublishItem item;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(p->record->fileList, pos);
        if (id < 0 || listGetItem(p->record->fileList, id, &item, sizeof item) < 0) return -1;
        item.sourcePath[MAX_PATH - 1] = 0;
        if (std::strcmp(item.sourcePath, path) == 0) return id;
    }
}

void removeItem(FilesPage* p, const char* path) {
    int id = itemIdOf(p, path);
    if (id >= 0) listDeleteItem(p->record->fileList, id);
}

int addItem(FilesPage* p, const char* path) {
    PublishItem item;
    publishInitItem(&item, path);
    int rc = listAddItem(p->record->fileList, &item, sizeof item);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "listAddItem() returned error code %d", rc);
    return rc;
}

bool inCollection(const FilesPage* p, const char* path) {
    size_t n = p->dir.size();
    return strncasecmp(path, p->dir.c_str(), n) == 0 && path[n] == '/';
}

// ---- Rows ----

const char* rowPath(const FilesPage* p, int row) {
    LPARAM value = pageRowParam(p->list, row);
    return value == -1 ? nullptr : reinterpret_cast<const char*>(value);
}

int rowImage(const FilesPage* p, int row) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    return ListView_GetItem(p->list, &item) ? item.iImage : -1;
}

void setRowImage(FilesPage* p, int row, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    ListView_SetItem(p->list, &item);
}

void deleteRow(FilesPage* p, int row) {
    char* path = const_cast<char*>(rowPath(p, row));
    ListView_DeleteItem(p->list, row);
    std::free(path);
}

void setRowPath(FilesPage* p, int row, const std::string& path) {
    char* old = const_cast<char*>(rowPath(p, row));
    LVITEMA item{};
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = row;
    item.lParam = reinterpret_cast<LPARAM>(strdup(path.c_str()));
    item.pszText = const_cast<char*>(baseName(path.c_str()));
    ListView_SetItem(p->list, &item);
    std::free(old);
}

int rowOfPath(const FilesPage* p, const std::string& path) {
    int n = ListView_GetItemCount(p->list);
    for (int row = 0; row < n; ++row) {
        const char* at = rowPath(p, row);
        if (at && path == at) return row;
    }
    return -1;
}

std::string sizeCell(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return "";
    return editSizeText(data.nFileSizeLow);
}

void updateButtons(FilesPage* p) {
    bool present = false;
    for (int row = ListView_GetNextItem(p->list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(p->list, row, LVNI_SELECTED))
        if (rowImage(p, row) == IMAGE_PRESENT) present = true;
    EnableWindow(GetDlgItem(p->dlg, IDC_FILES_DELETE), present);
    EnableWindow(GetDlgItem(p->dlg, IDC_FILES_EDIT), present);
}

// The rows follow the record's file list: new paths get a row, rows whose
// path left the list go.
void refreshRows(FilesPage* p) {
    p->refreshPosted = false;
    std::vector<std::string> paths = itemPaths(p);
    for (const std::string& path : paths) {
        if (rowOfPath(p, path) >= 0) continue;
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = ListView_GetItemCount(p->list);
        item.pszText = const_cast<char*>(baseName(path.c_str()));
        item.iImage = IMAGE_PRESENT;
        item.lParam = reinterpret_cast<LPARAM>(strdup(path.c_str()));
        int row = ListView_InsertItem(p->list, &item);
        if (row < 0) {
            std::free(reinterpret_cast<char*>(item.lParam));
            continue;
        }
        std::string size = sizeCell(path.c_str());
        ListView_SetItemText(p->list, row, COLUMN_SIZE, const_cast<char*>(size.c_str()));
    }
    std::set<std::string> listed(paths.begin(), paths.end());
    for (int row = 0; row < ListView_GetItemCount(p->list);) {
        const char* path = rowPath(p, row);
        if (!path || !listed.count(path)) {
            deleteRow(p, row);
            row = 0;
        } else {
            ++row;
        }
    }
    for (int c = 0; c < COLUMN_COUNT; ++c) ListView_SetColumnWidth(p->list, c, LVSCW_AUTOSIZE_USEHEADER);
    if (p->sort.column >= 0) ListView_SortItems(p->list, lvsortCompare, reinterpret_cast<LPARAM>(&p->sort));
    updateButtons(p);
}

void postRefresh(FilesPage* p) {
    if (p->refreshPosted) return;
    p->refreshPosted = true;
    PostMessageA(p->dlg, kRefreshMessage, 0, 0);
}

// Command 104: the folder changed. The list is read again from the folder;
// dropped files not yet copied in stay in it.
void reloadFromFolder(FilesPage* p) {
    std::vector<std::string> pending;
    for (const std::string& path : itemPaths(p))
        if (!inCollection(p, path.c_str())) pending.push_back(path);
    for (int id; (id = listGetItemId(p->record->fileList, 0)) >= 0;)
        if (listDeleteItem(p->record->fileList, id) < 0) break;
    editCollectFiles(p->name, p->record->fileList);
    for (const std::string& path : pending) addItem(p, path.c_str());
    postRefresh(p);
}

void markChanged(FilesPage* p) {
    p->changed = true;
    PropSheet_Changed(GetParent(p->dlg), p->dlg);
}

// ---- Commands ----

void addFiles(FilesPage* p) {
    CollectionRecord copy = *p->record;
    std::snprintf(copy.name, sizeof copy.name, "%s", p->name);
    copy.pageCounter = 0;
    copy.fileList = listCreate();
    if (copy.fileList < 0) {
        photoLog(LOG_CALL_FAILED, "listCreate() returned error code %d", copy.fileList);
        return;
    }
    wizardRunAddFiles(p->dlg, &copy);
    int rc = listDestroy(copy.fileList);
    if (rc != 0) photoLog(LOG_CALL_FAILED, "listDestroy returned error code %d", rc);
    PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(IDC_FILES_REFRESH, 0), 0);
}

void markSelected(FilesPage* p) {
    bool any = false;
    for (int row = ListView_GetNextItem(p->list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(p->list, row, LVNI_SELECTED)) {
        setRowImage(p, row, IMAGE_MARKED);
        any = true;
    }
    if (!any) return;
    markChanged(p);
    EnableWindow(GetDlgItem(p->dlg, IDC_FILES_DELETE), FALSE);
    EnableWindow(GetDlgItem(p->dlg, IDC_FILES_EDIT), FALSE);
}

// The photo editor on one file of the collection, then the file takes the
// caption as its name and, for a photo, the rotation and flips chosen.
void editFile(FilesPage* p, const std::string& source) {
    int list = listCreate();
    if (list < 0) {
        photoLog(LOG_CALL_FAILED, "listCreate() returned error code %d", list);
        return;
    }
    PublishItem item;
    publishInitItem(&item, source.c_str());
    int rc = listAddItem(list, &item, sizeof item);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "listAddItem() returned error code %d", rc);
    int id = listGetItemId(list, 0);
    if (id >= 0 && wizardPhotoEditor(p->dlg, list) == 1 && listGetItem(list, id, &item, sizeof item) >= 0) {
        PageWaitCursor wait;
        item.caption[MAX_PATH - 1] = 0;
        const char* base = baseName(source.c_str());
        const char* dot = std::strrchr(base, '.');
        std::string dest = p->dir + "/" + item.caption + (dot ? dot : "");
        bool same = strcasecmp(dest.c_str(), source.c_str()) == 0;
        int w = 0, h = 0;
        if (imageProbe(source.c_str(), &w, &h) == PROBE_JPEG) {
            bool reduce = p->record->reduceQuality != 0;
            int maxW = reduce ? g_config.maxImageX : 0, maxH = reduce ? g_config.maxImageY : 0;
            bool turned = item.rotation % 4 != 0 || item.flipHorizontal || item.flipVertical;
            bool tooLarge = reduce && ((maxW > 0 && w > maxW) || (maxH > 0 && h > maxH));
            // Nothing to change: the photo stays as it is.
            if (same && !turned && !tooLarge) {
                listDestroy(list);
                return;
            }
            if (publishTransformPhoto(source.c_str(), dest.c_str(), item.flipHorizontal, item.flipVertical,
                                      item.rotation % 4, maxW, maxH) == 0) {
                if (!same) {
                    char oldThumb[MAX_PATH];
                    DeleteFileA(source.c_str());
                    if (thumbPath(source.c_str(), oldThumb, sizeof oldThumb) == 0) DeleteFileA(oldThumb);
                }
                if (thumbMake(dest.c_str(), THUMB_BOX, THUMB_BOX, nullptr, nullptr) == 0)
                    photoLog(LOG_CALL_FAILED, "Unable to create thumbnail for photo %s in collection %s",
                             baseName(dest.c_str()), p->name);
            } else {
                photoLog(LOG_CALL_FAILED, "Unable to edit photo %s in collection %s", base, p->name);
            }
        } else if (!same) {
            if (!MoveFileExA(source.c_str(), dest.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
                photoLog(LOG_CALL_FAILED, "Unable to rename file %s in collection %s", base, p->name);
        }
    }
    rc = listDestroy(list);
    if (rc != 0) photoLog(LOG_CALL_FAILED, "listDestroy() returned error code %d", rc);
}

void editSelected(FilesPage* p) {
    std::vector<std::string> files;
    for (int row = ListView_GetNextItem(p->list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(p->list, row, LVNI_SELECTED)) {
        const char* path = rowPath(p, row);
        // Dropped files are not in the collection yet: nothing to edit there.
        if (path && rowImage(p, row) == IMAGE_PRESENT && inCollection(p, path)) files.push_back(path);
    }
    for (const std::string& file : files) editFile(p, file);
    if (!files.empty()) PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(IDC_FILES_REFRESH, 0), 0);
}

void dropFiles(FilesPage* p, HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    bool added = false;
    std::vector<std::string> listed = itemPaths(p);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH] = "";
        if (!DragQueryFileA(drop, i, path, sizeof path)) continue;
        DWORD attrs = GetFileAttributesA(path);
        if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) continue;
        bool known = false;
        for (const std::string& at : listed) known = known || at == path;
        if (known) continue;
        if (addItem(p, path) >= 0) {
            listed.push_back(path);
            added = true;
        }
    }
    DragFinish(drop);
    if (added) markChanged(p);
    refreshRows(p);
}

void showContextMenu(FilesPage* p, POINT at) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    bool selected = ListView_GetSelectedCount(p->list) > 0;
    bool present = false;
    for (int row = ListView_GetNextItem(p->list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(p->list, row, LVNI_SELECTED))
        present = present || rowImage(p, row) == IMAGE_PRESENT;
    AppendMenuA(menu, MF_STRING | (selected ? MF_ENABLED : MF_GRAYED), IDC_FILES_EDIT, "&Properties...");
    AppendMenuA(menu, MF_STRING | (present ? MF_ENABLED : MF_GRAYED), IDC_FILES_DELETE, "&Delete");
    SetMenuDefaultItem(menu, IDC_FILES_EDIT, FALSE);
    const SettingsMenuIcon icons[] = {
        {IDC_FILES_EDIT, IDI_MENU_PROPERTIES, IDI_MENU_PROPERTIES_ACTIVE},
        {IDC_FILES_DELETE, IDI_MENU_DELETE, IDI_MENU_DELETE_ACTIVE},
    };
    UINT chosen = settingsMenuTrack(p->dlg, menu, icons, 2, at);
    if (chosen) PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

// ---- Apply ----

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

LONG_PTR apply(FilesPage* p) {
    if (!p->changed) {
        PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(IDC_FILES_REFRESH, 0), 0);
        return PSNRET_NOERROR;
    }
    PageWaitCursor wait;
    int marked = 0;
    int n = ListView_GetItemCount(p->list);
    for (int row = 0; row < n; ++row) marked += rowImage(p, row) == IMAGE_MARKED ? 1 : 0;
    if (marked > 0) {
        const char* question =
            marked == 1
                ? "Are you sure you want to delete this file from your collection and move it to the Recycle Bin? "
                : "Are you sure you want to delete the selected files from your collection and move them to the "
                  "Recycle Bin?";
        if (pageMessageBox(p->dlg, question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            for (int row = 0; row < n; ++row)
                if (rowImage(p, row) == IMAGE_MARKED) setRowImage(p, row, IMAGE_PRESENT);
            updateButtons(p);
            return PSNRET_NOERROR;
        }
    }
    bool overwriteAll = false, askFailures = true;
    for (int row = 0; row < ListView_GetItemCount(p->list);) {
        const char* at = rowPath(p, row);
        if (!at) {
            ++row;
            continue;
        }
        std::string path = at;
        bool isMarked = rowImage(p, row) == IMAGE_MARKED;
        if (inCollection(p, path.c_str())) {
            if (isMarked) {
                int w, h;
                int rc = imageProbe(path.c_str(), &w, &h) != PROBE_NONE
                             ? storeDeletePhoto(g_config.collectionsDir, path.c_str())
                             : storeMoveToRecycleBin(g_config.collectionsDir, path.c_str());
                if (rc == 0) {
                    removeItem(p, path.c_str());
                    deleteRow(p, row);
                    continue;
                }
                photoLog(LOG_CALL_FAILED, "Unable to move file %s of collection %s to the Recycle Bin",
                         baseName(path.c_str()), p->name);
            }
            ++row;
            continue;
        }
        // A dropped file: marked ones are forgotten, the others copied in.
        if (isMarked) {
            removeItem(p, path.c_str());
            deleteRow(p, row);
            continue;
        }
        const char* name = baseName(path.c_str());
        std::string dest = p->dir + "/" + name;
        bool copied = !overwriteAll && CopyFileA(path.c_str(), dest.c_str(), TRUE);
        if (!copied) {
            bool overwrite = overwriteAll || !exists(dest);
            if (!overwrite) {
                int a = msgDialogRun(p->dlg, "Confirm Overwrite",
                                     "The file %s already exists in this collection. Do you want to overwrite the file?",
                                     name);
                if (a != MSGDIALOG_YES && a != MSGDIALOG_YES_TO_ALL && a != MSGDIALOG_NO)
                    return PSNRET_INVALID_NOCHANGEPAGE;
                if (a == MSGDIALOG_NO) {
                    removeItem(p, path.c_str());
                    deleteRow(p, row);
                    continue;
                }
                if (a == MSGDIALOG_YES_TO_ALL) overwriteAll = true;
            }
            copied = CopyFileA(path.c_str(), dest.c_str(), FALSE);
            if (!copied && askFailures) {
                int a = msgDialogRun(p->dlg, "Copy Failure",
                                     "The file %s could not be copied to your collection. Do you want to continue?", name);
                if (a != MSGDIALOG_YES && a != MSGDIALOG_YES_TO_ALL && a != MSGDIALOG_NO)
                    return PSNRET_INVALID_NOCHANGEPAGE;
                if (a == MSGDIALOG_YES_TO_ALL) askFailures = false, overwriteAll = true;
            }
        }
        if (copied) {
            int w, h;
            if (imageProbe(dest.c_str(), &w, &h) == PROBE_JPEG) thumbMake(dest.c_str(), THUMB_BOX, THUMB_BOX, nullptr, nullptr);
            removeItem(p, path.c_str());
            // An overwritten file already has its row: the dropped one goes.
            if (rowOfPath(p, dest) >= 0) {
                deleteRow(p, row);
                continue;
            }
            if (itemIdOf(p, dest.c_str()) < 0) addItem(p, dest.c_str());
            setRowPath(p, row, dest);
        }
        ++row;
    }
    p->changed = false;
    PostMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(IDC_FILES_REFRESH, 0), 0);
    return PSNRET_NOERROR;
}

// ---- Opening and closing ----

void openPage(FilesPage* p) {
    std::snprintf(p->name, sizeof p->name, "%s", p->record->name);
    p->dir = std::string(g_config.collectionsDir) + "/" + p->name;
    p->list = GetDlgItem(p->dlg, IDC_FILES_LIST);
    p->watcher = watchStart(p->dir.c_str(), postFromWatcher, p->dlg, WM_COMMAND, IDC_FILES_REFRESH);
    DragAcceptFiles(p->dlg, TRUE);
    const int icons[] = {IDI_FILE, IDI_FILE_MARKED};
    pageSetupList(p->list, icons, 2);
    RECT client{};
    GetClientRect(p->list, &client);
    int width = client.right - client.left;
    pageAddColumn(p->list, COLUMN_FILE, "File", width * 6 / 10);
    pageAddColumn(p->list, COLUMN_SIZE, "Size", width * 3 / 10);
    lvsortInitContext(&p->sort, p->list);
    refreshRows(p);
    p->changed = false;
}

void closePage(FilesPage* p) {
    watchStop(p->watcher);
    p->watcher = nullptr;
    DragAcceptFiles(p->dlg, FALSE);
    while (ListView_GetItemCount(p->list) > 0) deleteRow(p, 0);
}

INT_PTR answer(HWND dlg, LONG_PTR result) {
    SetWindowLongPtrA(dlg, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR onNotify(FilesPage* p, NMHDR* hdr) {
    if (hdr->hwndFrom == p->list) {
        switch (hdr->code) {
            case NM_CLICK:
            case LVN_ITEMCHANGED: updateButtons(p); return TRUE;
            case NM_RCLICK: {
                POINT at = reinterpret_cast<NMITEMACTIVATE*>(hdr)->ptAction;
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
        case PSN_APPLY: return answer(p->dlg, apply(p));
        case PSN_HELP: pageTopicHelp(p->dlg, kHelpContext); return TRUE;
    }
    return FALSE;
}

INT_PTR onCommand(FilesPage* p, int id) {
    switch (id) {
        case IDC_FILES_ADD: addFiles(p); return TRUE;
        case IDC_FILES_DELETE: markSelected(p); return TRUE;
        case IDC_FILES_EXPLORER: pageShellOpen(p->dlg, p->dir); return TRUE;
        case IDC_FILES_EDIT: editSelected(p); return TRUE;
        case IDC_FILES_REFRESH: reloadFromFolder(p); return TRUE;
    }
    return FALSE;
}

}  // namespace

std::string editSizeText(unsigned long size) {
    size &= 0xFFFFFFFFul;
    struct Unit {
        double divisor;
        const char *real, *whole;
    };
    static const Unit units[] = {
        {1024.0 * 1024.0 * 1024.0, "%1.1lf GB", "%u GB"},
        {1024.0 * 1024.0, "%1.1lf MB", "%u MB"},
        {1024.0, "%1.1lf KB", "%u KB"},
    };
    char text[64];
    for (const Unit& u : units) {
        double value = static_cast<double>(size) / u.divisor;
        if (value <= 1.0) continue;
        std::snprintf(text, sizeof text, u.real, value);
        size_t len = std::strlen(text);
        // "2.0 KB" reads "2 KB".
        if (len >= 4 && text[len - 4] == '0') std::snprintf(text, sizeof text, u.whole, static_cast<unsigned>(value));
        return text;
    }
    std::snprintf(text, sizeof text, "%1.0lf  B", static_cast<double>(size));
    return text;
}

INT_PTR CALLBACK editFilesProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    FilesPage* p = filesPageOf(dlg);
    switch (message) {
        case WM_INITDIALOG: {
            auto* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
            auto* record = psp ? reinterpret_cast<CollectionRecord*>(psp->lParam) : nullptr;
            if (!record) return TRUE;
            p = new FilesPage{};
            p->dlg = dlg;
            p->record = record;
            SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
            openPage(p);
            return TRUE;
        }
        case kRefreshMessage:
            if (p) refreshRows(p);
            return TRUE;
        case WM_DROPFILES:
            if (p) dropFiles(p, reinterpret_cast<HDROP>(wParam));
            else DragFinish(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_COMMAND: return p ? onCommand(p, LOWORD(wParam)) : FALSE;
        case WM_NOTIFY: return p ? onNotify(p, reinterpret_cast<NMHDR*>(lParam)) : FALSE;
        case WM_MEASUREITEM: return settingsMenuMeasure(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_DRAWITEM: return settingsMenuDraw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_CTLCOLORSTATIC:
            return pageHeadingColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_HELP: pageControlHelp(dlg, kHelpContext, reinterpret_cast<const HELPINFO*>(lParam)); return TRUE;
        case WM_DESTROY:
            if (!p) return FALSE;
            closePage(p);
            SetWindowLongPtrA(dlg, DWLP_USER, 0);
            delete p;
            return TRUE;
    }
    return FALSE;
}
