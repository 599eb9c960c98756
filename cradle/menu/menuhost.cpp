// The menu host: menus and their items in the list module, the menu bar built
// from them, and the lookup that routes a chosen item to its owner.
#include "menu/menuhost.h"

#include "extmod/extmod.h"
#include "listmod.h"
#include "zelext.h"
#include "zellog.h"

#include <atomic>
#include <mutex>
#include <cstring>
#include <strings.h>
#include <string>
#include <vector>

namespace {

struct MenuRecord {
    HWND window;
    HMENU bar;
    int items;     // list of ItemRecord
    int lastItem;  // the number of the item added last
};

struct ItemRecord {
    int number;  // from 1, in the order of adding, never reused within the menu
    char popup[MENUHOST_TEXT_SIZE];
    char text[MENUHOST_TEXT_SIZE];
    int command;
    HMODULE owner;
};

std::atomic<int> menus{-1};  // list of MenuRecord; -1 while not initialised
std::atomic<int> lastError{0};
// Serialises changes of menu records (item numbering, the bar handle).
std::mutex recordLock;

int result(int r) {
    lastError.store(r);
    return r;
}

// List ids start at 0; menu ids start at 1.
int toListId(int number) { return number - 1; }
int toNumber(int listId) { return listId + 1; }

// The list id of the item with this number, or -1.
int itemListId(int items, int number, ItemRecord *item) {
    int count = listGetCount(items);
    for (int pos = 0; pos < count; ++pos) {
        int id = listGetItemId(items, pos);
        if (id >= 0 && listGetItem(items, id, item, sizeof *item) == sizeof *item && item->number == number) return id;
    }
    return -1;
}

bool getMenu(int menu, MenuRecord *record) {
    int list = menus.load();
    return list >= 0 && menu >= 1 && listGetItem(list, toListId(menu), record, sizeof *record) == sizeof *record;
}

// The menu and the item behind menu command id 1000 + n.
bool findItem(int menu, int commandId, MenuRecord *record, ItemRecord *item) {
    if (commandId <= MENUHOST_FIRST_COMMAND || !getMenu(menu, record)) return false;
    return itemListId(record->items, commandId - MENUHOST_FIRST_COMMAND, item) >= 0;
}

bool isSeparator(const char *text) { return strcasecmp(text, MENUHOST_SEPARATOR_TEXT) == 0; }

}  // namespace

int menuhostInit(void) {
    if (menus.load() >= 0) return result(-1);
    int r = listInit();
    if (r != 0 && r != -1) return result(-3);
    int list = listCreate();
    if (list < 0) return result(-3);
    int expected = -1;
    if (!menus.compare_exchange_strong(expected, list)) {
        listDestroy(list);
        return result(-1);
    }
    return result(0);
}

int menuhostShutdown(void) {
    int list = menus.exchange(-1);
    if (list < 0) return result(-1);
    MenuRecord record;
    while (listTakeItem(list, -1, &record, sizeof record) == sizeof record) listDestroy(record.items);
    listDestroy(list);
    return result(0);
}

int menuhostCreateMenu(HWND window) {
    int list = menus.load();
    if (list < 0) return result(-1);
    int items = listCreate();
    if (items < 0) return result(-3);
    MenuRecord record{window, nullptr, items, 0};
    int id = listAddItem(list, &record, sizeof record);
    if (id < 0) {
        listDestroy(items);
        return result(-3);
    }
    return result(toNumber(id));
}

int menuhostAddItem(int menu, LPCSTR popup, LPCSTR text, int command, HMODULE owner) {
    if (menus.load() < 0) return result(-1);
    if (!popup || !text || std::strlen(popup) >= MENUHOST_TEXT_SIZE || std::strlen(text) >= MENUHOST_TEXT_SIZE)
        return result(-2);
    std::lock_guard<std::mutex> g(recordLock);
    MenuRecord record;
    if (!getMenu(menu, &record)) return result(-2);
    ItemRecord item{};
    item.number = record.lastItem + 1;
    std::strcpy(item.popup, popup);
    std::strcpy(item.text, text);
    item.command = command;
    item.owner = owner;
    int id = listAddItem(record.items, &item, sizeof item);
    if (id < 0) return result(-3);
    record.lastItem = item.number;
    if (listUpdateItem(menus.load(), toListId(menu), &record, sizeof record) != 0) {
        listDeleteItem(record.items, id);
        return result(-3);
    }
    return result(item.number);
}

int menuhostDeleteItem(int menu, int item) {
    if (menus.load() < 0) return result(-1);
    MenuRecord record;
    ItemRecord found;
    if (!getMenu(menu, &record) || item < 1) return result(-2);
    int id = itemListId(record.items, item, &found);
    if (id < 0 || listDeleteItem(record.items, id) != 0) return result(-2);
    return result(0);
}

int menuhostDrawMenu(int menu) {
    if (menus.load() < 0) return result(-1);
    std::lock_guard<std::mutex> g(recordLock);
    MenuRecord record;
    if (!getMenu(menu, &record)) return result(-2);

    // One copy of the items, in the order they were added.
    std::vector<std::pair<int, ItemRecord>> items;
    int count = listGetCount(record.items);
    for (int pos = 0; pos < count; ++pos) {
        int id = listGetItemId(record.items, pos);
        ItemRecord item;
        if (id >= 0 && listGetItem(record.items, id, &item, sizeof item) == sizeof item)
            items.emplace_back(item.number, item);
    }
    std::vector<std::string> popups;
    for (const auto &[number, item] : items) {
        bool known = false;
        for (const std::string &name : popups) known |= strcasecmp(name.c_str(), item.popup) == 0;
        if (!known) popups.emplace_back(item.popup);
    }

    HMENU bar = CreateMenu();
    if (!bar) return result(-4);
    for (const std::string &name : popups) {
        HMENU popup = CreatePopupMenu();
        if (!popup) continue;  // that popup is left out; the rest is still built
        for (const auto &[number, item] : items) {
            if (strcasecmp(name.c_str(), item.popup) != 0) continue;
            if (isSeparator(item.text)) AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
            else AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(MENUHOST_FIRST_COMMAND + number), item.text);
        }
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), name.c_str());
    }
    // The new bar goes in before the old one is destroyed, so the window
    // never holds a destroyed menu.
    HMENU old = record.bar;
    SetMenu(record.window, bar);
    DrawMenuBar(record.window);
    if (old && old != bar) DestroyMenu(old);
    record.bar = bar;
    if (listUpdateItem(menus.load(), toListId(menu), &record, sizeof record) != 0) return result(-3);
    return result(0);
}

int menuhostGetItem(int menu, int commandId, HMODULE *owner) {
    if (menus.load() < 0) return result(-1);
    MenuRecord record;
    ItemRecord item;
    if (!findItem(menu, commandId, &record, &item)) return result(-2);
    if (owner) *owner = item.owner;
    return result(item.command);
}

int menuhostCollectAndDraw(int menu) {
    MenuRecord record;
    if (menus.load() < 0) return result(-1);
    if (!getMenu(menu, &record)) return result(-2);
    // extmodNotify answers the value itself when no plug-in was called.
    int r = extmodNotify(EXT_NOTIFY_MENU_BAR, menu);
    if (r != 0 && r != menu) zelextLog("cradle", ZELLOG_ERROR, "extmodNotify() returned error code %d", r);
    return menuhostDrawMenu(menu);
}

int menuhostRouteCommand(int menu, int commandId) {
    if (menus.load() < 0) return result(-1);
    MenuRecord record;
    ItemRecord item;
    if (!findItem(menu, commandId, &record, &item)) return result(-2);
    if (item.owner) {
        extmodNotifyModule(item.owner, EXT_NOTIFY_MENU_COMMAND, item.command);
    } else {
        HWND control = GetDlgItem(record.window, item.command);
        PostMessageA(record.window, WM_COMMAND, MAKEWPARAM(item.command, item.command),
                     reinterpret_cast<LPARAM>(control));
    }
    return result(0);
}

int menuhostGetLastError(void) { return lastError.load(); }
