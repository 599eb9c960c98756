// The per-user atom store: $XDG_RUNTIME_DIR/atoms (else /tmp/atoms-<uid>),
// a directory of mode 0700 that must belong to the user, holding "lock" (for
// flock) and "table": an 8-byte signature, then per atom its number (2 bytes),
// reference count (4 bytes), name length (1 byte) and name.
#include "atom_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "fileerror.h"

namespace platform {

namespace {

constexpr char kSignature[8] = {'P', 'L', 'A', 'T', 'O', 'M', 'S', '1'};
constexpr size_t kRecordHead = 2 + 4 + 1;
constexpr size_t kMaxTable = sizeof kSignature + kMaxStoredAtoms * (kRecordHead + 255);

std::string storeDirectory() {
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    return (runtime && *runtime) ? std::string(runtime) + "/atoms" : "/tmp/atoms-" + std::to_string(geteuid());
}

// Owned by this user and a file of the expected kind; anything else is
// refused, never read.
bool ours(int fd, mode_t kind) {
    struct stat st;
    if (fstat(fd, &st) != 0) return false;
    return (st.st_mode & S_IFMT) == kind && st.st_uid == geteuid();
}

bool refuse() {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

bool writeAll(int fd, const std::string &data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

AtomStore::AtomStore() {
    std::string dir = storeDirectory();
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        failWithErrno(errno);
        return;
    }
    // The directory is opened once and every later name is looked up in it,
    // so a swapped path cannot lead elsewhere.
    dirFd_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd_ < 0) {
        failWithErrno(errno == ELOOP || errno == ENOTDIR ? EACCES : errno);
        return;
    }
    struct stat st;
    if (!ours(dirFd_, S_IFDIR) || fstat(dirFd_, &st) != 0) {
        refuse();
        return;
    }
    if ((st.st_mode & 0777) != 0700 && fchmod(dirFd_, 0700) != 0) {
        refuse();
        return;
    }
    int fd = openat(dirFd_, "lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        failWithErrno(errno == ELOOP ? EACCES : errno);
        return;
    }
    if (!ours(fd, S_IFREG)) {
        close(fd);
        refuse();
        return;
    }
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            failWithErrno(errno);
            close(fd);
            return;
        }
    }
    lockFd_ = fd;
}

AtomStore::~AtomStore() {
    if (lockFd_ >= 0) close(lockFd_);  // releases the lock
    if (dirFd_ >= 0) close(dirFd_);
}

bool AtomStore::load(std::vector<AtomRecord> *records) {
    records->clear();
    int fd = openat(dirFd_, "table", O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        return failWithErrno(errno == ELOOP ? EACCES : errno);
    }
    struct stat st;
    if (!ours(fd, S_IFREG) || fstat(fd, &st) != 0) {
        close(fd);
        return refuse();
    }
    std::string data(std::min<size_t>(static_cast<size_t>(st.st_size), kMaxTable + 1), '\0');
    size_t got = 0;
    while (got < data.size()) {
        ssize_t n = read(fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    data.resize(got);
    if (data.size() > kMaxTable || data.size() < sizeof kSignature ||
        memcmp(data.data(), kSignature, sizeof kSignature) != 0)
        return true;
    std::vector<AtomRecord> parsed;
    for (size_t at = sizeof kSignature; at < data.size();) {
        if (data.size() - at < kRecordHead) return true;
        AtomRecord r;
        uint8_t length;
        memcpy(&r.atom, data.data() + at, 2);
        memcpy(&r.references, data.data() + at + 2, 4);
        length = static_cast<uint8_t>(data[at + 6]);
        at += kRecordHead;
        if (length == 0 || data.size() - at < length || r.atom < MAXINTATOM || r.references == 0) return true;
        r.name.assign(data.data() + at, length);
        if (r.name.find('\0') != std::string::npos) return true;
        at += length;
        parsed.push_back(std::move(r));
    }
    if (parsed.size() > kMaxStoredAtoms) return true;
    *records = std::move(parsed);
    return true;
}

bool AtomStore::save(const std::vector<AtomRecord> &records) {
    std::string data(kSignature, sizeof kSignature);
    for (auto &r : records) {
        char head[kRecordHead];
        memcpy(head, &r.atom, 2);
        memcpy(head + 2, &r.references, 4);
        head[6] = static_cast<char>(r.name.size());
        data.append(head, kRecordHead);
        data += r.name;
    }
    unlinkat(dirFd_, "table.new", 0);
    int fd = openat(dirFd_, "table.new", O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return failWithErrno(errno);
    bool ok = writeAll(fd, data);
    int error = errno;
    close(fd);
    if (!ok || renameat(dirFd_, "table.new", dirFd_, "table") != 0) {
        if (ok) error = errno;
        unlinkat(dirFd_, "table.new", 0);
        return failWithErrno(error == 0 ? ENOSPC : error);
    }
    return true;
}

}  // namespace platform
