// Share modes through open-file-description locks.
#include "sharelock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace platform {
namespace {

constexpr off_t kBase = static_cast<off_t>(0x7FFFFFFF00000000LL);
enum Byte : off_t { HasRead = 0, HasWrite = 1, DeniesRead = 2, DeniesWrite = 3, DeniesDelete = 4 };

// Would a lock on this byte conflict with a lock another description holds?
bool held(int fd, Byte byte) {
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kBase + byte;
    fl.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

bool take(int fd, Byte byte) {
    struct flock fl = {};
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kBase + byte;
    fl.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// Checks and takes happen under one lock, so two threads cannot both pass the
// check; other processes have a small window, as advisory locks do.
std::mutex &shareLock() {
    static std::mutex *m = new std::mutex;
    return *m;
}

bool probe(const char *path, Byte byte) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    bool result = held(fd, byte);
    close(fd);
    return result;
}

}  // namespace

bool shareAcquire(int fd, DWORD access, DWORD share) {
    const bool reads = access & (GENERIC_READ | GENERIC_ALL);
    const bool writes = access & (GENERIC_WRITE | GENERIC_ALL);
    std::lock_guard<std::mutex> guard(shareLock());
    bool conflict = (reads && held(fd, DeniesRead)) || (writes && held(fd, DeniesWrite)) ||
                    (!(share & FILE_SHARE_READ) && held(fd, HasRead)) ||
                    (!(share & FILE_SHARE_WRITE) && held(fd, HasWrite));
    if (conflict) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    }
    // Locks need a descriptor open for reading; a write-only one records nothing
    // (the caller opens read-write where it can).
    if (reads) take(fd, HasRead);
    if (writes) take(fd, HasWrite);
    if (!(share & FILE_SHARE_READ)) take(fd, DeniesRead);
    if (!(share & FILE_SHARE_WRITE)) take(fd, DeniesWrite);
    if (!(share & FILE_SHARE_DELETE)) take(fd, DeniesDelete);
    return true;
}

bool shareDeleteRefused(const char *path) { return probe(path, DeniesDelete); }

bool shareWriteRefused(const char *path) { return probe(path, DeniesWrite); }

}  // namespace platform
