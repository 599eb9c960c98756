// Log client: formats records, queues them while no reader exists, and sends
// them one per datagram to the log mailslot.
#include "zellog.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

struct PendingRecord {
    DWORD size;  // 45 + n
    unsigned char bytes[1];
};

char g_slotPath[256] = "//./mailslot/" ZELLOG_DEFAULT_SLOT;
HANDLE g_stopEvent = nullptr;
HANDLE g_queueLock = nullptr;  // auto-reset event, signalled = free
HANDLE g_writerThread = nullptr;
bool g_writerRunning = false;  // guarded by the queue lock
PendingRecord *g_pending[MAX_PENDING_RECORDS];
int g_pendingCount = 0;

// Guards the creation and closing of the two handles themselves, which the
// queue lock cannot do.
std::mutex g_handleGuard;

const char *slotPath() { return g_slotPath; }

void takeLock() { WaitForSingleObject(g_queueLock, INFINITE); }
void releaseLock() { SetEvent(g_queueLock); }

HANDLE openSlot() {
    return CreateFileA(slotPath(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes every queued record in order. A written record is freed and its
// entry left empty, so a failure part-way keeps the unwritten ones in order
// and never sends a record twice. Called with the queue lock held.
bool flushQueue(HANDLE slot) {
    for (int i = 0; i < g_pendingCount; ++i) {
        PendingRecord *record = g_pending[i];
        if (!record) continue;
        DWORD written = 0;
        if (!WriteFile(slot, record->bytes, record->size, &written, nullptr) || written != record->size)
            return false;
        std::free(record);
        g_pending[i] = nullptr;
    }
    g_pendingCount = 0;
    return true;
}

DWORD WINAPI writerThread(LPVOID) {
    for (;;) {
        if (WaitForSingleObject(g_stopEvent, 100) != WAIT_TIMEOUT) return 0;
        takeLock();
        if (g_pendingCount == 0) {
            g_writerRunning = false;
            releaseLock();
            return 0;
        }
        HANDLE slot = openSlot();
        if (slot == INVALID_HANDLE_VALUE) {
            releaseLock();
            continue;
        }
        flushQueue(slot);
        g_writerRunning = false;
        releaseLock();
        CloseHandle(slot);
        return 0;
    }
}

// Starts the writer thread unless one is running. A writer that has ended is
// replaced, so records queued after it ended still reach a reader that
// appears later without waiting for another message. Called with the queue
// lock held.
void startWriter() {
    if (g_writerRunning) return;
    if (g_writerThread) {
        // It has given up the lock for good and is about to end.
        WaitForSingleObject(g_writerThread, INFINITE);
        CloseHandle(g_writerThread);
        g_writerThread = nullptr;
    }
    g_writerThread = CreateThread(nullptr, 0, writerThread, nullptr, 0, nullptr);
    g_writerRunning = g_writerThread != nullptr;
}

void formatStamp(char *field) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    zellogFormatStamp(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, field);
}

PendingRecord *makeRecord(const char *source, int level, const char *text, std::size_t n) {
    std::size_t size = ZELLOG_MIN_RECORD + n;
    auto *record = static_cast<PendingRecord *>(std::calloc(1, offsetof(PendingRecord, bytes) + size));
    if (!record) return nullptr;
    record->size = static_cast<DWORD>(size);
    unsigned char *bytes = record->bytes;
    int32_t stored = (level >= 0 && level <= 6) ? level : 0;
    // Little-endian on every target this suite builds for.
    std::memcpy(bytes, &stored, sizeof stored);
    formatStamp(reinterpret_cast<char *>(bytes + ZELLOG_STAMP_OFFSET));
    std::memcpy(bytes + ZELLOG_SOURCE_OFFSET, source, strnlen(source, ZELLOG_SOURCE_SIZE - 1));
    std::memcpy(bytes + ZELLOG_TEXT_OFFSET, text, n);
    return record;
}

}  // namespace

void zelextLogSlotPath(const char *name, char *path, int size) {
    if (!path || size <= 0) return;
    std::snprintf(path, static_cast<std::size_t>(size), "//./mailslot/%s", name ? name : ZELLOG_DEFAULT_SLOT);
}

void zelextLogSetSlot(const char *name) {
    zelextLogSlotPath(name ? name : ZELLOG_DEFAULT_SLOT, g_slotPath, sizeof g_slotPath);
}

int zelextLog(const char *source, int level, const char *format, ...) {
    if (!source) return 0;

    {
        std::lock_guard<std::mutex> guard(g_handleGuard);
        if (!g_stopEvent) g_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!g_queueLock) g_queueLock = CreateEventA(nullptr, FALSE, TRUE, nullptr);
        if (!g_stopEvent || !g_queueLock) return 1;
    }

    takeLock();
    if (g_pendingCount == MAX_PENDING_RECORDS) {
        std::free(g_pending[0]);
        std::memmove(&g_pending[0], &g_pending[1], (MAX_PENDING_RECORDS - 1) * sizeof g_pending[0]);
        g_pendingCount--;
        g_pending[g_pendingCount] = nullptr;
    }

    char text[ZELLOG_TEXT_BUFFER];
    text[0] = '\0';
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
    }
    // Longer messages are cut to what fits the buffer.
    std::size_t n = std::strlen(text);
    if (PendingRecord *record = makeRecord(source, level, text, n)) g_pending[g_pendingCount++] = record;

    HANDLE slot = openSlot();
    if (slot == INVALID_HANDLE_VALUE) {
        startWriter();
        releaseLock();
        return 1;
    }
    if (!flushQueue(slot)) startWriter();
    releaseLock();
    CloseHandle(slot);
    return 1;
}

int zelextLogShutdown(void) {
    // Stop the writer before the handles it uses go away, so that it never
    // touches a queue that is being discarded.
    std::lock_guard<std::mutex> guard(g_handleGuard);
    if (g_stopEvent) SetEvent(g_stopEvent);
    HANDLE writer = nullptr;
    if (g_queueLock) {
        takeLock();
        writer = g_writerThread;
        g_writerThread = nullptr;
        g_writerRunning = false;
        releaseLock();
    }
    if (writer) {
        WaitForSingleObject(writer, 5000);
        CloseHandle(writer);
    }
    if (g_queueLock) {
        takeLock();
        for (int i = 0; i < g_pendingCount; ++i) {
            std::free(g_pending[i]);
            g_pending[i] = nullptr;
        }
        g_pendingCount = 0;
        CloseHandle(g_queueLock);
        g_queueLock = nullptr;
    }
    if (g_stopEvent) {
        CloseHandle(g_stopEvent);
        g_stopEvent = nullptr;
    }
    zelextLogSetSlot(nullptr);
    return 1;
}

void zellogFormatStamp(int year, int month, int day, int hour, int minute, int second, int millisecond,
                       char *field) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%.2d/%.2d/%d %.2d:%.2d:%.2d.%.2d", day, month, year, hour, minute, second,
                  millisecond / 10);
    // The field keeps at most 23 characters and its NUL (zero-filled before).
    std::memcpy(field, stamp, strnlen(stamp, ZELLOG_STAMP_SIZE - 1));
}
