// listmod: singly linked lists of byte records in a fixed table of 1024 slots.
#include "listmod.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "listmod_alloc.h"

void *(*listmodAllocate)(std::size_t size) = std::malloc;

namespace {

struct ListNode {
    int id;
    int size;
    unsigned char *data;
    ListNode *next;
};

struct ListSlot {
    int count;  // -1 marks a free slot
    ListNode *head;
};

ListSlot g_slots[MAX_LISTS];
bool g_initialised = false;
int g_nextId = 0;
// One named, re-entrant mutex per process, shared by every copy of this
// module: its name holds the process id. Opened once and kept open.
HANDLE g_lock = nullptr;

bool openLock() {
    if (g_lock) return true;
    char name[64];
    std::snprintf(name, sizeof name, "listmodThreadMutex%x", (unsigned)GetCurrentProcessId());
    g_lock = CreateMutexA(nullptr, FALSE, name);
    return g_lock != nullptr;
}

// Holds the module lock for one operation and checks the module state (and the
// list handle, when one is given).
class Guard {
public:
    Guard() {
        if (g_lock) {
            WaitForSingleObject(g_lock, INFINITE);
            held_ = true;
        }
    }
    ~Guard() {
        if (held_) ReleaseMutex(g_lock);
    }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;

    // 0 when the module is initialised and the handle names a list in use.
    int check(int list = -1, bool needList = false) const {
        if (!held_ || !g_initialised) return -1;
        if (needList && (list < 0 || list >= MAX_LISTS || g_slots[list].count < 0)) return -2;
        return 0;
    }

private:
    bool held_ = false;
};

void freeNode(ListNode *node) {
    std::free(node->data);
    std::free(node);
}

void destroySlot(ListSlot &slot) {
    ListNode *node = slot.head;
    while (node) {
        ListNode *next = node->next;
        freeNode(node);
        node = next;
    }
    slot.head = nullptr;
    slot.count = -1;
}

ListNode *findNode(const ListSlot &slot, int id) {
    for (ListNode *node = slot.head; node; node = node->next)
        if (node->id == id) return node;
    return nullptr;
}

// Unlinks the node with the id (the first node for id -1 when firstOnRequest).
ListNode *unlinkNode(ListSlot &slot, int id, bool firstOnRequest) {
    ListNode **link = &slot.head;
    while (*link) {
        ListNode *node = *link;
        if (node->id == id || (firstOnRequest && id == -1)) {
            *link = node->next;
            node->next = nullptr;
            slot.count--;
            return node;
        }
        link = &node->next;
    }
    return nullptr;
}

}  // namespace

int listInit(void) {
    if (!openLock()) return -1;
    Guard guard;
    if (g_initialised) return -1;
    for (ListSlot &slot : g_slots) {
        slot.count = -1;
        slot.head = nullptr;
    }
    g_nextId = 0;
    g_initialised = true;
    return 0;
}

int listShutdown(void) {
    Guard guard;
    if (int rc = guard.check()) return rc;
    for (ListSlot &slot : g_slots)
        if (slot.count >= 0) destroySlot(slot);
    g_initialised = false;
    return 0;
}

int listCreate(void) {
    Guard guard;
    if (int rc = guard.check()) return rc;
    for (int i = 0; i < MAX_LISTS; ++i) {
        if (g_slots[i].count < 0) {
            g_slots[i].count = 0;
            g_slots[i].head = nullptr;
            return i;
        }
    }
    return -3;
}

int listDestroy(int list) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    destroySlot(g_slots[list]);
    return 0;
}

int listAddItem(int list, const void *data, int size) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    if (!data || size < 1) return -2;
    auto *node = static_cast<ListNode *>(listmodAllocate(sizeof(ListNode)));
    if (!node) return -4;
    auto *block = static_cast<unsigned char *>(listmodAllocate(static_cast<std::size_t>(size)));
    if (!block) {
        std::free(node);
        return -4;
    }
    std::memcpy(block, data, static_cast<std::size_t>(size));
    if (g_nextId < 0) g_nextId = 0;
    node->id = g_nextId;
    // Wraps to a negative value after 2^31 additions; the next call restarts at 0.
    g_nextId = static_cast<int>(static_cast<unsigned>(g_nextId) + 1u);
    node->size = size;
    node->data = block;
    node->next = nullptr;
    ListSlot &slot = g_slots[list];
    ListNode **link = &slot.head;
    while (*link) link = &(*link)->next;
    *link = node;
    slot.count++;
    return node->id;
}

int listDeleteItem(int list, int id) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    ListNode *node = unlinkNode(g_slots[list], id, false);
    if (!node) return -5;
    freeNode(node);
    return 0;
}

int listUpdateItem(int list, int id, const void *data, int size) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    if (!data || size < 1) return -2;
    ListNode *node = findNode(g_slots[list], id);
    if (!node) return -5;
    auto *block = static_cast<unsigned char *>(listmodAllocate(static_cast<std::size_t>(size)));
    if (!block) return -4;
    std::memcpy(block, data, static_cast<std::size_t>(size));
    std::free(node->data);
    node->data = block;
    node->size = size;
    return 0;
}

int listGetItemId(int list, int position) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    if (position < 0) return -5;
    ListNode *node = g_slots[list].head;
    for (int i = 0; node && i < position; ++i) node = node->next;
    return node ? node->id : -5;
}

int listGetItemSize(int list, int id) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    ListNode *node = findNode(g_slots[list], id);
    return node ? node->size : -5;
}

int listGetItem(int list, int id, void *buffer, int size) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    ListNode *node = findNode(g_slots[list], id);
    if (!node) return -5;
    // A missing buffer or a negative size receives nothing.
    int n = (buffer && size > 0) ? (size < node->size ? size : node->size) : 0;
    if (n > 0) std::memcpy(buffer, node->data, static_cast<std::size_t>(n));
    return n;
}

int listTakeItem(int list, int id, void *buffer, int size) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    ListNode *node = unlinkNode(g_slots[list], id, true);
    if (!node) return -5;
    int n = (buffer && size > 0) ? (size < node->size ? size : node->size) : 0;
    if (n > 0) std::memcpy(buffer, node->data, static_cast<std::size_t>(n));
    freeNode(node);
    return n;
}

int listGetCount(int list) {
    Guard guard;
    if (int rc = guard.check(list, true)) return rc;
    return g_slots[list].count;
}
