// The tab list: master records, section lines and the orders built from them.
#include "settings/tabsort.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <strings.h>

#include "extmod/extmod.h"
#include "listmod.h"

namespace {

struct TabRecord {
    char key[TABSORT_KEY_SIZE];
    char title[TABSORT_TITLE_SIZE];
    PROPSHEETPAGEA page;
    int pageNumber;
    int item;
};

struct Line {
    char text[TABSORT_KEY_SIZE];
};

struct TabsortState {
    bool initialised = false;
    bool ownsListModule = false;
    int master = -1;
    std::set<int> lists;  // lists made by this module and not yet destroyed
    std::string configPath;
};

TabsortState &state() {
    static TabsortState s;
    return s;
}

void copyText(char *out, size_t size, const char *in) {
    std::snprintf(out, size, "%s", in ? in : "");
}

bool getRecord(int item, TabRecord &r) {
    return item >= 0 && listGetItem(state().master, item, &r, sizeof r) == static_cast<int>(sizeof r);
}

bool getLine(int list, int position, Line &line) {
    int id = listGetItemId(list, position);
    return id >= 0 && listGetItem(list, id, &line, sizeof line) == static_cast<int>(sizeof line);
}

int addRecord(int list, const char *key, const char *title, const PROPSHEETPAGEA *page, int pageNumber) {
    TabRecord r{};
    copyText(r.key, sizeof r.key, key);
    copyText(r.title, sizeof r.title, title);
    if (page) r.page = *page;
    r.pageNumber = pageNumber;
    r.item = -1;
    int id = listAddItem(list, &r, sizeof r);
    if (id < 0) return id == -2 ? -2 : -4;
    r.item = id;
    listUpdateItem(list, id, &r, sizeof r);
    return id;
}

int newList() {
    int list = listCreate();
    if (list < 0) return -4;
    state().lists.insert(list);
    return list;
}

// Master records of the plug-ins' pages, in page-number order; pages whose
// title cannot be read are left out.
void addPluginPages() {
    for (int n = 0; n < 16; ++n) {
        char title[TABSORT_TITLE_SIZE] = "";
        if (extmodGetPageTitle(n, title, sizeof title) <= 0 || !title[0]) continue;
        char owner[EXTMOD_NAME_SIZE] = "";
        if (extmodGetPageString(n, "InternalName", owner, sizeof owner) < 0) continue;
        PROPSHEETPAGEA page{};
        if (extmodGetPage(&page, n) != 0) continue;
        char key[TABSORT_KEY_SIZE];
        std::snprintf(key, sizeof key, "%s-%s", owner, title);
        addRecord(state().master, key, title, &page, n);
    }
}

bool listed(const std::string &key, int lines) {
    Line line;
    for (int p = 0; getLine(lines, p, line); ++p)
        if (strcasecmp(line.text, key.c_str()) == 0) return true;
    return false;
}

}  // namespace

int tabsortInit(LPCSTR configPath) {
    TabsortState &s = state();
    if (s.initialised) return -1;
    if (!configPath) return -2;
    int r = listInit();
    if (r != 0 && r != -1) return -4;
    s.ownsListModule = r == 0;
    s.master = listCreate();
    if (s.master < 0) {
        if (s.ownsListModule) listShutdown();
        return -4;
    }
    s.configPath = configPath;
    s.initialised = true;
    addPluginPages();
    return 0;
}

int tabsortAdd(int list, LPCSTR key, const PROPSHEETPAGEA *page) {
    TabsortState &s = state();
    if (!s.initialised) return -1;
    if (!key || !page) return -2;
    if (list == TABSORT_MASTER) list = s.master;
    else if (!s.lists.count(list)) return -2;
    const char *title = page->pszTitle && !IS_INTRESOURCE(page->pszTitle) ? page->pszTitle : "";
    return addRecord(list, key, title, page, -1);
}

int tabsortLoad(LPCSTR section) {
    TabsortState &s = state();
    if (!s.initialised) return -1;
    if (!section) return -2;
    char buffer[TABSORT_SECTION_SIZE];
    DWORD n = GetPrivateProfileSectionA(section, buffer, sizeof buffer, s.configPath.c_str());
    int list = newList();
    if (list < 0) return list;
    // Lines end with a NUL; the first empty one ends the section.
    for (DWORD at = 0; at < n && buffer[at];) {
        size_t len = std::strlen(buffer + at);
        Line line{};
        copyText(line.text, sizeof line.text, buffer + at);
        if (listAddItem(list, &line, sizeof line) < 0) {
            tabsortDestroy(list);
            return -4;
        }
        at += static_cast<DWORD>(len) + 1;
    }
    return list;
}

int tabsortGetOrdered(int lines, int position, LPSTR key, int flag) {
    TabsortState &s = state();
    if (!s.initialised) return -1;
    if (!s.lists.count(lines) || position < 0) return -2;
    std::set<int> taken;
    int at = 0;
    auto take = [&](const TabRecord &r) {
        taken.insert(r.item);
        if (at++ != position) return false;
        if (key) copyText(key, TABSORT_KEY_SIZE, r.key);
        return true;
    };
    Line line;
    TabRecord r;
    for (int p = 0; getLine(lines, p, line); ++p) {
        for (int m = 0;; ++m) {
            int id = listGetItemId(s.master, m);
            if (id < 0 || !getRecord(id, r)) break;
            if (strcasecmp(r.key, line.text) == 0 && !taken.count(r.item) && take(r)) return r.item;
        }
    }
    if (flag == 0) {
        for (int m = 0;; ++m) {
            int id = listGetItemId(s.master, m);
            if (id < 0 || !getRecord(id, r)) break;
            if (!taken.count(r.item) && take(r)) return r.item;
        }
    }
    return -5;
}

int tabsortGetUncategorised(void) {
    TabsortState &s = state();
    if (!s.initialised) return -1;
    // Every key any category names.
    int categories = tabsortLoad("Categories");
    if (categories < 0) return categories;
    int named = newList();
    if (named < 0) {
        tabsortDestroy(categories);
        return named;
    }
    Line category;
    for (int c = 0; getLine(categories, c, category); ++c) {
        char section[TABSORT_KEY_SIZE + 16];
        std::snprintf(section, sizeof section, "Category-%s", category.text);
        int keys = tabsortLoad(section);
        if (keys < 0) continue;
        Line k;
        for (int p = 0; getLine(keys, p, k); ++p) listAddItem(named, &k, sizeof k);
        tabsortDestroy(keys);
    }
    tabsortDestroy(categories);
    int result = newList();
    if (result >= 0) {
        TabRecord r;
        for (int m = 0;; ++m) {
            int id = listGetItemId(s.master, m);
            if (id < 0 || !getRecord(id, r)) break;
            if (listed(r.key, named)) continue;
            Line out{};
            copyText(out.text, sizeof out.text, r.key);
            if (listAddItem(result, &out, sizeof out) < 0) {
                tabsortDestroy(result);
                result = -4;
                break;
            }
        }
    }
    tabsortDestroy(named);
    return result;
}

int tabsortFindPage(int pageNumber) {
    TabsortState &s = state();
    if (!s.initialised) return -1;
    TabRecord r;
    for (int m = 0;; ++m) {
        int id = listGetItemId(s.master, m);
        if (id < 0 || !getRecord(id, r)) break;
        if (r.pageNumber == pageNumber && pageNumber >= 0) return r.item;
    }
    return -2;
}

int tabsortGetPage(int item, PROPSHEETPAGEA *page) {
    if (!state().initialised) return -1;
    TabRecord r;
    if (!page || !getRecord(item, r)) return -2;
    *page = r.page;
    return 0;
}

int tabsortGetTitle(int item, LPSTR buffer, int size) {
    if (!state().initialised) return -1;
    TabRecord r;
    if (!buffer || size <= 0 || !getRecord(item, r)) return -2;
    copyText(buffer, static_cast<size_t>(size), r.title);
    return static_cast<int>(std::strlen(buffer));
}

int tabsortGetKey(int item, LPSTR buffer, int size) {
    if (!state().initialised) return -1;
    TabRecord r;
    if (!buffer || size <= 0 || !getRecord(item, r)) return -2;
    copyText(buffer, static_cast<size_t>(size), r.key);
    return static_cast<int>(std::strlen(buffer));
}

int tabsortGetPageNumber(int item, int *pageNumber) {
    if (!state().initialised) return -1;
    TabRecord r;
    if (!pageNumber || !getRecord(item, r)) return -2;
    *pageNumber = r.pageNumber;
    return 0;
}

HMODULE tabsortGetModule(int item) {
    if (!state().initialised) return nullptr;
    TabRecord r;
    if (!getRecord(item, r) || r.pageNumber < 0) return nullptr;
    return extmodGetPageModule(r.pageNumber);
}

int tabsortGetLine(int list, int position, LPSTR buffer, int size) {
    if (!state().initialised) return -1;
    if (!state().lists.count(list) || !buffer || size <= 0) return -2;
    Line line;
    if (!getLine(list, position, line)) return -5;
    copyText(buffer, static_cast<size_t>(size), line.text);
    return static_cast<int>(std::strlen(buffer));
}

int tabsortDestroy(int list) {
    TabsortState &s = state();
    if (!s.initialised) return -1;
    if (!s.lists.erase(list)) return -2;
    return listDestroy(list) == 0 ? 0 : -2;
}

int tabsortShutdown(void) {
    TabsortState &s = state();
    if (!s.initialised) return -1;
    for (int list : s.lists) listDestroy(list);
    s.lists.clear();
    listDestroy(s.master);
    s.master = -1;
    if (s.ownsListModule) listShutdown();
    s.ownsListModule = false;
    s.initialised = false;
    return 0;
}
