// The tray icon module: a table of 16 icon entries, a ring of 256 queued
// commands and the 200 ms timer that runs them on the owner window's thread.
#include "tray/traymod.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

enum CommandKind { kSetIcon = 1, kDestroy = 2, kSetMode = 3 };

struct TrayEntry {
    bool inUse;
    bool removing;
    bool blinking;
    bool hidden;
    int phase;    // image of the next blink step: 0 the icon, 1 the blank icon
    int elapsed;  // milliseconds since the last blink step
    int period;
    HWND window;
    UINT callbackMessage;
    HICON icon;
    char *tip;
};

struct TrayCommand {
    bool pending;
    int kind;
    int mode;
    int value;
    HICON icon;
    char *tip;
    int entry;
};

struct TrayState {
    bool initialised;
    bool busy;          // a tick is running
    bool taskbarLost;   // the next tick that finds a taskbar puts every icon back
    HICON blank;
    bool blankOwned;    // made here, not a shared resource
    HWND owner;
    int writeIndex;
    TrayEntry entries[TRAYMOD_MAX_ICONS];
    TrayCommand ring[TRAYMOD_RING_SIZE];
};

TrayState state;
// Serialises every operation and the timer's work on the tables.
std::mutex trayLock;
std::atomic<unsigned> ticks{0};
std::atomic<TraymodNotifyFunction> notifyFunction{nullptr};

BOOL notify(DWORD message, NOTIFYICONDATAA *data) {
    TraymodNotifyFunction fn = notifyFunction.load();
    return fn ? fn(message, data) : Shell_NotifyIconA(message, data);
}

char *copyText(LPCSTR text) {
    if (!text) return nullptr;
    size_t n = std::strlen(text);
    char *copy = static_cast<char *>(std::malloc(n + 1));
    if (copy) std::memcpy(copy, text, n + 1);
    return copy;
}

HICON copyIcon(HICON icon) { return icon ? CopyIcon(icon) : nullptr; }

void destroyIcon(HICON icon) {
    if (icon) DestroyIcon(icon);
}

void clearCommand(TrayCommand &c) {
    destroyIcon(c.icon);
    std::free(c.tip);
    c = TrayCommand{};
}

void clearEntry(TrayEntry &e) {
    destroyIcon(e.icon);
    std::free(e.tip);
    e = TrayEntry{};
}

bool validEntry(int entry) { return entry >= 0 && entry < TRAYMOD_MAX_ICONS; }

// An entry that callers may address: in use and not being removed.
bool liveEntry(int entry) {
    return validEntry(entry) && state.entries[entry].inUse && !state.entries[entry].removing;
}

// Writes a command at the write index, discarding a command still pending there.
void queue(int kind, int entry, int mode, int value, HICON icon, LPCSTR tip) {
    TrayCommand &c = state.ring[state.writeIndex];
    if (c.pending) clearCommand(c);
    c.kind = kind;
    c.entry = entry;
    c.mode = mode;
    c.value = value;
    c.icon = copyIcon(icon);
    c.tip = copyText(tip);
    c.pending = true;
    state.writeIndex = (state.writeIndex + 1) % TRAYMOD_RING_SIZE;
}

void baseRecord(NOTIFYICONDATAA *nid, DWORD size, const TrayEntry &e, int entry) {
    std::memset(nid, 0, sizeof *nid);
    nid->cbSize = size;
    nid->hWnd = e.window;
    nid->uID = static_cast<UINT>(entry);
    nid->uCallbackMessage = e.callbackMessage;
}

// Draws an entry: NIM_MODIFY, else NIM_ADD. 0, -2 for an entry not in use,
// -5 when the shell refused both; a hidden entry is left alone.
int modifyOrAdd(int entry, HICON icon, const char *tip) {
    if (!validEntry(entry) || !state.entries[entry].inUse) return -2;
    const TrayEntry &e = state.entries[entry];
    if (e.hidden) return 0;
    NOTIFYICONDATAA nid;
    baseRecord(&nid, NOTIFYICONDATAA_V1_SIZE, e, entry);
    nid.uFlags = NIF_MESSAGE;
    if (icon) {
        nid.uFlags |= NIF_ICON;
        nid.hIcon = icon;
    }
    if (tip) {
        nid.uFlags |= NIF_TIP;
        std::strncpy(nid.szTip, tip, TRAYMOD_TIP_CHARS);
    }
    if (notify(NIM_MODIFY, &nid) || notify(NIM_ADD, &nid)) return 0;
    state.taskbarLost = true;
    return -5;
}

int removeIcon(int entry) {
    const TrayEntry &e = state.entries[entry];
    NOTIFYICONDATAA nid;
    baseRecord(&nid, NOTIFYICONDATAA_V1_SIZE, e, entry);
    return notify(NIM_DELETE, &nid) ? 0 : -5;
}

void runSetIcon(TrayCommand &c) {
    TrayEntry &e = state.entries[c.entry];
    modifyOrAdd(c.entry, c.icon ? c.icon : e.icon, c.tip ? c.tip : e.tip);
    // The command's copies become the entry's own.
    if (c.icon) {
        destroyIcon(e.icon);
        e.icon = c.icon;
        c.icon = nullptr;
    }
    if (c.tip) {
        std::free(e.tip);
        e.tip = c.tip;
        c.tip = nullptr;
    }
}

void runSetMode(const TrayCommand &c) {
    TrayEntry &e = state.entries[c.entry];
    switch (c.mode) {
    case TRAYMOD_MODE_BLINK:
        e.blinking = true;
        e.elapsed = 0;
        e.period = c.value;
        e.phase = 0;
        break;
    case TRAYMOD_MODE_STEADY:
        e.blinking = false;
        e.elapsed = e.period = e.phase = 0;
        modifyOrAdd(c.entry, e.icon, e.tip);
        break;
    case TRAYMOD_MODE_VISIBLE:
        if (c.value == 0) {
            if (!e.hidden) {
                e.hidden = true;
                if (removeIcon(c.entry) != 0) state.taskbarLost = true;
            }
        } else if (e.hidden) {
            e.hidden = false;
            modifyOrAdd(c.entry, e.icon, e.tip);
        }
        break;
    default:
        break;
    }
}

void runCommand(TrayCommand &c) {
    if (!validEntry(c.entry) || !state.entries[c.entry].inUse) return;
    TrayEntry &e = state.entries[c.entry];
    if (c.kind == kDestroy) {
        if (removeIcon(c.entry) != 0) state.taskbarLost = true;
        clearEntry(e);
        return;
    }
    // Nothing is drawn for an icon that is on its way out: it was removed
    // from the notification area already and must not come back.
    if (e.removing) return;
    if (c.kind == kSetIcon) runSetIcon(c);
    else if (c.kind == kSetMode) runSetMode(c);
}

void blinkStep() {
    for (int i = 0; i < TRAYMOD_MAX_ICONS; ++i) {
        TrayEntry &e = state.entries[i];
        if (!e.inUse || e.removing || !e.blinking) continue;
        if (e.elapsed < e.period) {
            e.elapsed += TRAYMOD_TIMER_PERIOD;
            continue;
        }
        int old = e.phase;
        e.phase = 1 - e.phase;
        if (modifyOrAdd(i, old == 0 ? e.icon : state.blank, e.tip) == 0) e.elapsed = 0;
    }
}

bool taskbarExists() {
    return FindWindowA("Shell_TrayWnd", nullptr) || FindWindowA("ToolbarWindow32", nullptr) ||
           FindWindowA("TrayNotifyWnd", nullptr);
}

void CALLBACK trayTimer(HWND, UINT, UINT_PTR, DWORD) {
    bool taskbar = taskbarExists();
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return;
    if (!taskbar) state.taskbarLost = true;
    if (state.busy) return;
    state.busy = true;
    if (state.taskbarLost && taskbar) {
        state.taskbarLost = false;
        for (int i = 0; i < TRAYMOD_MAX_ICONS; ++i) {
            TrayEntry &e = state.entries[i];
            if (!e.inUse || e.removing || e.hidden) continue;
            e.hidden = true;
            queue(kSetMode, i, TRAYMOD_MODE_VISIBLE, 1, nullptr, nullptr);
        }
    }
    // Oldest first: the slot at the write index is the oldest one still
    // queued, so after a wrap the newest request is still the last applied.
    int start = state.writeIndex;
    for (int n = 0; n < TRAYMOD_RING_SIZE; ++n) {
        TrayCommand &c = state.ring[(start + n) % TRAYMOD_RING_SIZE];
        if (!c.pending) continue;
        runCommand(c);
        clearCommand(c);
    }
    blinkStep();
    state.busy = false;
    ticks.fetch_add(1);
}

// A fully transparent 16 x 16 icon, for a resource module without "BLANK".
HICON makeBlankIcon() {
    static const BYTE maskBits[16 * 2] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    static const DWORD colour[16 * 16] = {};
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmMask = CreateBitmap(16, 16, 1, 1, maskBits);
    ii.hbmColor = CreateBitmap(16, 16, 1, 32, colour);
    HICON icon = (ii.hbmMask && ii.hbmColor) ? CreateIconIndirect(&ii) : nullptr;
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    return icon;
}

}  // namespace

struct TraymodSavedIcon {
    HICON icon;
    char *tip;
};

int traymodInit(HMODULE resourceModule, HWND owner) {
    std::lock_guard<std::mutex> g(trayLock);
    if (state.initialised) return -1;
    state = TrayState{};
    state.blank = static_cast<HICON>(LoadImageA(resourceModule, "BLANK", IMAGE_ICON, 16, 16, LR_SHARED));
    if (!state.blank) {
        state.blank = makeBlankIcon();
        state.blankOwned = state.blank != nullptr;
    }
    state.owner = owner;
    ticks.store(0);
    if (owner && SetTimer(owner, TRAYMOD_TIMER_ID, TRAYMOD_TIMER_PERIOD, trayTimer)) {
        state.initialised = true;
    } else if (state.blankOwned) {
        DestroyIcon(state.blank);
        state.blank = nullptr;
    }
    return 0;
}

int traymodShutdown(void) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    KillTimer(state.owner, TRAYMOD_TIMER_ID);
    for (int i = 0; i < TRAYMOD_MAX_ICONS; ++i) {
        if (!state.entries[i].inUse) continue;
        removeIcon(i);
        clearEntry(state.entries[i]);
    }
    for (TrayCommand &c : state.ring)
        if (c.pending) clearCommand(c);
    if (state.blankOwned) DestroyIcon(state.blank);
    state = TrayState{};
    return 0;
}

int traymodCreate(HWND window, UINT callbackMessage, HICON icon, LPCSTR tip) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!icon) return -2;
    for (int i = 0; i < TRAYMOD_MAX_ICONS; ++i) {
        TrayEntry &e = state.entries[i];
        if (e.inUse || e.removing) continue;
        e = TrayEntry{};
        e.window = window;
        e.callbackMessage = callbackMessage;
        e.inUse = true;
        queue(kSetIcon, i, 0, 0, icon, tip);
        return i;
    }
    return -6;
}

int traymodSetIcon(int entry, HICON icon, LPCSTR tip) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!liveEntry(entry)) return -2;
    queue(kSetIcon, entry, 0, 0, icon, tip);
    return 0;
}

int traymodSetMode(int entry, int mode, int value) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!liveEntry(entry)) return -2;
    if (mode < 1 || mode > 4) return -1;
    queue(kSetMode, entry, mode, value, nullptr, nullptr);
    return 0;
}

int traymodDestroy(int entry) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!liveEntry(entry)) return -2;
    state.entries[entry].removing = true;
    queue(kDestroy, entry, 0, 0, nullptr, nullptr);
    // Gone from the notification area now; an icon never drawn yet has
    // nothing to remove, which is no failure.
    removeIcon(entry);
    return 0;
}

int traymodShowInfoTip(int entry, LPCSTR title, LPCSTR text, UINT timeout, DWORD infoFlags) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!liveEntry(entry) || !title || !text) return -2;
    NOTIFYICONDATAA nid;
    baseRecord(&nid, NOTIFYICONDATAA_V2_SIZE, state.entries[entry], entry);
    nid.uFlags = NIF_INFO;
    std::strncpy(nid.szInfo, text, TRAYMOD_INFO_TEXT_CHARS);
    std::strncpy(nid.szInfoTitle, title, TRAYMOD_INFO_TITLE_CHARS);
    nid.uTimeout = timeout;
    nid.dwInfoFlags = infoFlags;
    if (!notify(NIM_MODIFY, &nid)) {
        nid.cbSize = NOTIFYICONDATAA_V3_SIZE;
        notify(NIM_MODIFY, &nid);
    }
    return 0;
}

int traymodSaveIcon(int entry, TraymodSavedIcon **saved) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!saved || !liveEntry(entry)) return -2;
    auto *copy = static_cast<TraymodSavedIcon *>(std::calloc(1, sizeof(TraymodSavedIcon)));
    if (!copy) return -4;
    const TrayEntry &e = state.entries[entry];
    // Changes still queued are what the icon is about to show, so they are
    // part of what is saved.
    HICON icon = e.icon;
    const char *tip = e.tip;
    for (int n = 0; n < TRAYMOD_RING_SIZE; ++n) {
        const TrayCommand &c = state.ring[(state.writeIndex + n) % TRAYMOD_RING_SIZE];
        if (!c.pending || c.entry != entry || c.kind != kSetIcon) continue;
        if (c.icon) icon = c.icon;
        if (c.tip) tip = c.tip;
    }
    copy->icon = copyIcon(icon);
    copy->tip = copyText(tip);
    *saved = copy;
    return 0;
}

int traymodRestoreIcon(int entry, const TraymodSavedIcon *saved) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!saved || !liveEntry(entry)) return -2;
    queue(kSetIcon, entry, 0, 0, saved->icon, saved->tip);
    return 0;
}

int traymodFreeIcon(TraymodSavedIcon **saved) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    if (!saved || !*saved) return -2;
    destroyIcon((*saved)->icon);
    std::free((*saved)->tip);
    std::free(*saved);
    *saved = nullptr;
    return 0;
}

int traymodTaskbarCreated(void) {
    std::lock_guard<std::mutex> g(trayLock);
    if (!state.initialised) return -1;
    state.taskbarLost = true;
    return 0;
}

int traymodRunning(void) {
    std::lock_guard<std::mutex> g(trayLock);
    return state.initialised ? 1 : 0;
}

int traymodEntryExists(int entry) {
    std::lock_guard<std::mutex> g(trayLock);
    return state.initialised && liveEntry(entry) ? 1 : 0;
}

unsigned traymodTicks(void) { return ticks.load(); }

void traymodSetNotifyFunction(TraymodNotifyFunction fn) { notifyFunction.store(fn); }
