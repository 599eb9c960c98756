// Filling and following the log pages' list views. Every list registered
// here is checked on each timer tick: a list whose window is gone is
// forgotten (window handles are not reused, so a stale handle never names
// another window), and the records its source received since the last look
// are inserted at the top.
#include "logdisplay.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "logrows.h"
#include "logstore.h"

namespace {

struct Display {
    HWND list;
    std::string source;
    int number;
    uint64_t seen;    // records of the source accounted for
    LPARAM nextParam; // item data of the next row: unique in the list, for sorting
};

std::vector<Display> displays;
UINT_PTR timer = 0;

bool isListView(HWND list) {
    char name[32] = "";
    return IsWindow(list) && GetClassNameA(list, name, sizeof name) > 0 && lstrcmpiA(name, WC_LISTVIEWA) == 0;
}

void insertRow(HWND list, int at, const LogstoreEntry &entry, LPARAM param) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = at;
    item.pszText = const_cast<char *>(entry.stamp.c_str());
    item.iImage = logrowsImage(entry.level);
    item.lParam = param;
    int row = ListView_InsertItem(list, &item);
    if (row < 0) return;
    std::string message = logrowsOneLine(entry.text);
    ListView_SetItemText(list, row, 1, message.c_str());
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) { logdisplayRefresh(); }

void stopTimerWhenIdle() {
    if (displays.empty() && timer) {
        KillTimer(nullptr, timer);
        timer = 0;
    }
}

}  // namespace

int logdisplayFill(HWND list, const char *source, int number) {
    if (!source || number < 0 || !isListView(list)) return -2;
    uint64_t seen = 0;
    std::vector<LogstoreEntry> entries;
    int rc = logstoreQuerySince(source, number, &seen, &entries);
    if (rc < 0) return rc;

    // A list filled again starts over.
    displays.erase(std::remove_if(displays.begin(), displays.end(), [list](const Display &d) { return d.list == list; }),
                   displays.end());
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    SendMessageA(list, LVM_SETITEMCOUNT, entries.size(), 0);
    LPARAM param = static_cast<LPARAM>(entries.size());
    for (std::size_t i = 0; i < entries.size() && IsWindow(list); ++i) insertRow(list, static_cast<int>(i), entries[i], param--);
    if (!IsWindow(list)) return rc;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);

    displays.push_back({list, source, number, seen, static_cast<LPARAM>(entries.size()) + 1});
    if (!timer) timer = SetTimer(nullptr, 0, LOGDISPLAY_INTERVAL_MS, onTimer);
    return rc;
}

void logdisplayRefresh() {
    std::vector<LogstoreEntry> fresh;
    // Inserting sends notifications to the page, which may close a list or
    // fill another one: each list is looked up again by its window.
    std::vector<HWND> lists;
    for (const Display &d : displays) lists.push_back(d.list);
    for (HWND list : lists) {
        auto it = std::find_if(displays.begin(), displays.end(), [list](const Display &d) { return d.list == list; });
        if (it == displays.end()) continue;
        if (!IsWindow(list)) {
            displays.erase(it);
            continue;
        }
        if (logstoreQuerySince(it->source.c_str(), it->number, &it->seen, &fresh) <= 0) continue;
        // fresh is newest first: the oldest new record goes in first, each
        // newer one above it.
        LPARAM param = it->nextParam;
        it->nextParam += static_cast<LPARAM>(fresh.size());
        for (auto r = fresh.rbegin(); r != fresh.rend() && IsWindow(list); ++r) insertRow(list, 0, *r, param++);
    }
    stopTimerWhenIdle();
}

void logdisplayShutdown() {
    displays.clear();
    stopTimerWhenIdle();
}

int logdisplayCount() { return static_cast<int>(displays.size()); }
