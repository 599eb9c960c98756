#include "logslot.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "logstore.h"
#include "zellog.h"

namespace {

constexpr DWORD RETRY_MS = 500;

struct Receiver {
    char path[300] = {};
    HANDLE thread = nullptr;
    HANDLE stop = nullptr;   // manual reset: the thread is to end
    HANDLE owned = nullptr;  // manual reset: the mailslot is ours
    HANDLE slot = INVALID_HANDLE_VALUE;
    std::atomic<bool> stopping{false};
    std::atomic<uint64_t> refused{0};
};

Receiver g;

void store(const unsigned char *bytes, DWORD size) {
    if (logstoreAppend(bytes, size) == -2) g.refused++;
}

// Reads one message into buffer, growing it for a longer one. False when the
// read failed for another reason (time-out, closed mailslot).
bool readMessage(std::vector<unsigned char> &buffer, DWORD *size) {
    for (;;) {
        if (ReadFile(g.slot, buffer.data(), static_cast<DWORD>(buffer.size()), size, nullptr)) return true;
        DWORD next = 0;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
            !GetMailslotInfo(g.slot, nullptr, &next, nullptr, nullptr) || next == MAILSLOT_NO_MESSAGE)
            return false;
        if (next > buffer.size()) buffer.resize(next);
    }
}

bool takeSlot() {
    g.slot = CreateMailslotA(g.path, 0, MAILSLOT_WAIT_FOREVER, nullptr);
    if (g.slot == INVALID_HANDLE_VALUE) return false;
    SetEvent(g.owned);
    return true;
}

DWORD WINAPI receive(LPVOID) {
    while (WaitForSingleObject(g.owned, 0) != WAIT_OBJECT_0 && !takeSlot())
        if (WaitForSingleObject(g.stop, RETRY_MS) != WAIT_TIMEOUT) return 0;
    std::vector<unsigned char> buffer(ZELLOG_MIN_RECORD + ZELLOG_TEXT_BUFFER);
    DWORD size = 0;
    // A stop that began before the mailslot was ours sent no wake message.
    while (!g.stopping && readMessage(buffer, &size)) {
        if (size > 0) store(buffer.data(), size);
    }
    // Stopping: store what is already waiting, without waiting for more.
    SetMailslotInfo(g.slot, 0);
    while (readMessage(buffer, &size))
        if (size > 0) store(buffer.data(), size);
    return 0;
}

// Wakes a read that waits on the mailslot with an empty message.
bool wakeReader() {
    HANDLE writer = CreateFileA(g.path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writer == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    char none = 0;
    bool sent = WriteFile(writer, &none, 0, &written, nullptr);
    CloseHandle(writer);
    return sent;
}

void closeHandles() {
    if (g.stop) CloseHandle(g.stop);
    if (g.owned) CloseHandle(g.owned);
    if (g.thread) CloseHandle(g.thread);
    g.stop = g.owned = g.thread = nullptr;
}

}  // namespace

int logslotStart(const char *name) {
    if (g.thread) return -1;
    if (!name || !*name || std::strchr(name, '/') || std::strchr(name, '\\')) return -2;
    zelextLogSlotPath(name, g.path, sizeof g.path);
    g.stopping = false;
    g.refused = 0;
    g.slot = INVALID_HANDLE_VALUE;
    g.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g.owned = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Owned at once when no other reader holds it, so records sent right
    // after loading are received; otherwise the thread keeps trying.
    if (g.stop && g.owned) {
        takeSlot();
        g.thread = CreateThread(nullptr, 0, receive, nullptr, 0, nullptr);
    }
    if (!g.thread) {
        if (g.slot != INVALID_HANDLE_VALUE) CloseHandle(g.slot);
        g.slot = INVALID_HANDLE_VALUE;
        closeHandles();
        return -3;
    }
    return 0;
}

bool logslotWaitOwned(unsigned timeoutMs) {
    return g.owned && WaitForSingleObject(g.owned, timeoutMs) == WAIT_OBJECT_0;
}

uint64_t logslotRefused() { return g.refused; }

int logslotStop() {
    if (!g.thread) return -1;
    g.stopping = true;
    SetEvent(g.stop);
    // A receiver that owns the mailslot waits in a read: an empty message
    // ends it; should that fail, closing the mailslot ends the read instead.
    if (WaitForSingleObject(g.owned, 0) == WAIT_OBJECT_0 && !wakeReader() && g.slot != INVALID_HANDLE_VALUE)
        CloseHandle(g.slot), g.slot = INVALID_HANDLE_VALUE;
    WaitForSingleObject(g.thread, INFINITE);
    if (g.slot != INVALID_HANDLE_VALUE) CloseHandle(g.slot);
    g.slot = INVALID_HANDLE_VALUE;
    closeHandles();
    return 0;
}
