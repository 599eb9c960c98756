// The log file store: append, rotation, damage recovery and the per-source
// index. One lock guards the files and the index; queries copy the offsets
// they need under it and read the records outside it.
#include "logstore.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "logframe.h"

namespace {

// One generation of the log file and its index.
struct Generation {
    int fd = -1;
    uint64_t size = 0;  // bytes of sound content, magic included
    uint64_t count = 0;
    std::unordered_map<std::string, std::vector<uint64_t>> bySource;  // frame offsets in file order

    void reset() {
        if (fd >= 0) close(fd);
        fd = -1;
        size = count = 0;
        bySource.clear();
    }
};

struct Store {
    std::mutex lock;
    bool open = false;
    std::string path;
    uint64_t maxSize = LOGSTORE_DEFAULT_MAX_SIZE;
    uint64_t skipped = 0;
    Generation current;
    Generation older;
    // Records of each source indexed since the store opened, rotated ones
    // included: the serial number of a source's newest record.
    std::unordered_map<std::string, uint64_t> totals;
};

Store g;

uint64_t clampSize(uint64_t size) { return size < LOGSTORE_MIN_MAX_SIZE ? LOGSTORE_MIN_MAX_SIZE : size; }

bool writeAll(int fd, const void *data, std::size_t size) {
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void indexRecord(Generation &gen, const unsigned char *record, uint64_t offset) {
    std::string source = logframeSource(record);
    g.totals[source]++;
    gen.bySource[std::move(source)].push_back(offset);
    gen.count++;
}

// Reads the frames of an open generation into its index. Damaged regions
// followed by sound frames are skipped; damage that runs to the end of the
// file (a record cut in the middle, garbage after the last record) is cut
// off when repair is set, so that new frames follow the last sound one.
// False when the file is not a log file.
bool scan(Generation &gen, bool repair) {
    struct stat st;
    if (fstat(gen.fd, &st) != 0) return false;
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size < LOGFRAME_MAGIC_SIZE) {
        // Empty, or cut while its first bytes were written.
        std::string head(size, '\0');
        if (size && pread(gen.fd, head.data(), size, 0) != static_cast<ssize_t>(size)) return false;
        if (std::memcmp(head.data(), LOGFRAME_MAGIC, size) != 0) return false;
        if (!repair) {
            gen.size = size;
            return true;
        }
        if (ftruncate(gen.fd, 0) != 0 || !writeAll(gen.fd, LOGFRAME_MAGIC, LOGFRAME_MAGIC_SIZE)) return false;
        gen.size = LOGFRAME_MAGIC_SIZE;
        return true;
    }
    void *map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, gen.fd, 0);
    if (map == MAP_FAILED) return false;
    const auto *bytes = static_cast<const unsigned char *>(map);
    if (std::memcmp(bytes, LOGFRAME_MAGIC, LOGFRAME_MAGIC_SIZE) != 0) {
        munmap(map, size);
        return false;
    }
    uint64_t at = LOGFRAME_MAGIC_SIZE;
    while (at < size) {
        std::size_t recordSize = 0;
        LogframeStatus status = logframeParse(bytes + at, size - at, &recordSize);
        if (status == LOGFRAME_OK) {
            indexRecord(gen, bytes + at + LOGFRAME_HEADER_SIZE, at);
            at += LOGFRAME_HEADER_SIZE + recordSize;
            continue;
        }
        std::size_t next = status == LOGFRAME_DAMAGED ? logframeResync(bytes, size, at + 1) : size;
        if (next >= size) break;  // the damage runs to the end
        g.skipped++;
        at = next;
    }
    munmap(map, size);
    if (at < size && repair) {
        g.skipped++;
        if (ftruncate(gen.fd, static_cast<off_t>(at)) != 0) return false;
    }
    gen.size = at;
    return true;
}

int openGeneration(const std::string &path, bool writable, Generation &gen) {
    int flags = O_CLOEXEC | (writable ? O_RDWR | O_CREAT | O_APPEND : O_RDONLY);
    gen.fd = open(path.c_str(), flags, 0600);
    if (gen.fd < 0) return -3;
    if (scan(gen, writable)) return 0;
    gen.reset();
    return -2;
}

// Moves the full current generation to "<path>.1" (replacing the older one)
// and starts a new file. On failure the current file stays in use.
bool rotate() {
    std::string olderPath = g.path + ".1";
    if (rename(g.path.c_str(), olderPath.c_str()) != 0) return false;
    int fd = open(g.path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 || !writeAll(fd, LOGFRAME_MAGIC, LOGFRAME_MAGIC_SIZE)) {
        if (fd >= 0) close(fd);
        rename(olderPath.c_str(), g.path.c_str());
        return false;
    }
    g.older.reset();
    g.older = std::move(g.current);
    g.current = Generation();
    g.current.fd = fd;
    g.current.size = LOGFRAME_MAGIC_SIZE;
    return true;
}

// Copies out what a query needs of one generation, under the lock.
struct Snapshot {
    int fd = -1;
    uint64_t size = 0;
    std::vector<uint64_t> offsets;
};

void takeSnapshot(const Generation &gen, const std::string &source, Snapshot &snap) {
    auto it = gen.bySource.find(source);
    if (gen.fd < 0 || it == gen.bySource.end()) return;
    snap.fd = dup(gen.fd);
    if (snap.fd < 0) return;
    snap.size = gen.size;
    snap.offsets = it->second;
}

// Appends the snapshot's records to out, newest first, until limit is
// reached; with a budget, only that many of the newest records are looked at
// (and the budget is spent by them).
void readSnapshot(Snapshot &snap, int maxLevel, std::size_t limit, uint64_t *budget, std::vector<LogstoreEntry> *out) {
    if (snap.fd < 0) return;
    void *map = snap.size ? mmap(nullptr, snap.size, PROT_READ, MAP_SHARED, snap.fd, 0) : MAP_FAILED;
    close(snap.fd);
    if (map == MAP_FAILED) return;
    const auto *bytes = static_cast<const unsigned char *>(map);
    for (auto it = snap.offsets.rbegin(); it != snap.offsets.rend(); ++it) {
        if (limit && out->size() >= limit) break;
        if (budget) {
            if (*budget == 0) break;
            --*budget;
        }
        const unsigned char *record = bytes + *it + LOGFRAME_HEADER_SIZE;
        int level = logframeLevel(record);
        if (level > maxLevel) continue;
        out->push_back({level, logframeStamp(record), logframeSource(record), logframeText(record)});
    }
    munmap(map, snap.size);
}

}  // namespace

int logstoreOpen(const char *path, uint64_t maxSize) {
    if (!path || !*path) return -2;
    std::lock_guard<std::mutex> guard(g.lock);
    if (g.open) return -1;
    g.path = path;
    g.maxSize = clampSize(maxSize);
    g.skipped = 0;
    std::string olderPath = g.path + ".1";
    if (access(olderPath.c_str(), F_OK) == 0 && openGeneration(olderPath, false, g.older) != 0) g.older.reset();
    int rc = openGeneration(g.path, true, g.current);
    if (rc == -2) {
        // Not a log file: keep it for whoever wants it and start afresh.
        std::string aside = g.path + ".bad";
        if (rename(g.path.c_str(), aside.c_str()) != 0) return -3;
        rc = openGeneration(g.path, true, g.current);
    }
    if (rc != 0) {
        g.older.reset();
        g.current.reset();
        g.totals.clear();
        return -3;
    }
    // Counted from what the two generations hold (a file set aside above
    // may have been counted while it was read).
    g.totals.clear();
    for (const Generation *gen : {&g.older, &g.current})
        for (const auto &[source, offsets] : gen->bySource) g.totals[source] += offsets.size();
    g.open = true;
    return 0;
}

int logstoreAppend(const unsigned char *record, std::size_t size) {
    if (!logframeRecordSound(record, size)) return g.open ? -2 : -1;
    std::lock_guard<std::mutex> guard(g.lock);
    if (!g.open) return -1;
    uint64_t frame = LOGFRAME_HEADER_SIZE + size;
    if (g.current.size + frame > g.maxSize && g.current.size > LOGFRAME_MAGIC_SIZE) rotate();
    unsigned char header[LOGFRAME_HEADER_SIZE];
    logframeHeader(record, size, header);
    struct iovec parts[2] = {{header, sizeof header}, {const_cast<unsigned char *>(record), size}};
    ssize_t n;
    while ((n = writev(g.current.fd, parts, 2)) < 0 && errno == EINTR) {
    }
    if (n != static_cast<ssize_t>(frame)) {
        // A short write must not leave half a frame for the next one to follow.
        if (n > 0 && ftruncate(g.current.fd, static_cast<off_t>(g.current.size)) != 0) {
            // The damaged tail is cut off at the next open instead.
        }
        return -3;
    }
    indexRecord(g.current, record, g.current.size);
    g.current.size += frame;
    return 0;
}

int logstoreSetMaxSize(uint64_t maxSize) {
    std::lock_guard<std::mutex> guard(g.lock);
    if (!g.open) return -1;
    g.maxSize = clampSize(maxSize);
    return 0;
}

int logstoreQuery(const char *source, int maxLevel, std::size_t limit, std::vector<LogstoreEntry> *out) {
    if (!source || !out) return -2;
    Snapshot newer, older;
    {
        std::lock_guard<std::mutex> guard(g.lock);
        if (!g.open) return -1;
        takeSnapshot(g.current, source, newer);
        takeSnapshot(g.older, source, older);
    }
    out->clear();
    out->reserve(newer.offsets.size() + older.offsets.size());
    readSnapshot(newer, maxLevel, limit, nullptr, out);
    readSnapshot(older, maxLevel, limit, nullptr, out);
    return static_cast<int>(out->size());
}

int logstoreQuerySince(const char *source, int maxLevel, uint64_t *seen, std::vector<LogstoreEntry> *out) {
    if (!source || !out || !seen) return -2;
    Snapshot newer, older;
    uint64_t total = 0;
    {
        std::lock_guard<std::mutex> guard(g.lock);
        if (!g.open) return -1;
        auto it = g.totals.find(source);
        if (it != g.totals.end()) total = it->second;
        takeSnapshot(g.current, source, newer);
        takeSnapshot(g.older, source, older);
    }
    // A store opened again counts afresh: everything it holds is new then.
    uint64_t fresh = total >= *seen ? total - *seen : total;
    *seen = total;
    out->clear();
    if (!fresh) {
        if (newer.fd >= 0) close(newer.fd);
        if (older.fd >= 0) close(older.fd);
        return 0;
    }
    readSnapshot(newer, maxLevel, 0, &fresh, out);
    if (fresh) readSnapshot(older, maxLevel, 0, &fresh, out);
    else if (older.fd >= 0) close(older.fd);
    return static_cast<int>(out->size());
}

uint64_t logstoreCount() {
    std::lock_guard<std::mutex> guard(g.lock);
    return g.current.count + g.older.count;
}

uint64_t logstoreSkipped() {
    std::lock_guard<std::mutex> guard(g.lock);
    return g.skipped;
}

bool logstoreIsOpen() {
    std::lock_guard<std::mutex> guard(g.lock);
    return g.open;
}

int logstoreClose() {
    std::lock_guard<std::mutex> guard(g.lock);
    if (!g.open) return -1;
    g.current.reset();
    g.older.reset();
    g.totals.clear();
    g.open = false;
    return 0;
}
