// File handles: CreateFileA, ReadFile, WriteFile and the calls on an open file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "fileerror.h"
#include "filetime.h"
#include "hidden.h"
#include "io.h"
#include "sharelock.h"

using namespace platform;

namespace {

class File : public IoObject {
public:
    File(int fd, std::string path, bool deleteOnClose)
        : IoObject(ObjectType::File), fd_(fd), path_(std::move(path)), deleteOnClose_(deleteOnClose) {}
    ~File() override {
        if (deleteOnClose_) unlink(path_.c_str());
        close(fd_);
    }
    int fd() const { return fd_; }

    bool read(void *buffer, DWORD size, DWORD *done) override {
        size_t total = 0;
        while (total < size) {
            ssize_t n = ::read(fd_, static_cast<char *>(buffer) + total, size - total);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                *done = static_cast<DWORD>(total);
                return failWithErrno(errno);
            }
            if (n == 0) break;
            total += static_cast<size_t>(n);
        }
        *done = static_cast<DWORD>(total);
        return true;
    }

    bool write(const void *buffer, DWORD size, DWORD *done) override {
        size_t total = 0;
        while (total < size) {
            ssize_t n = ::write(fd_, static_cast<const char *>(buffer) + total, size - total);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                *done = static_cast<DWORD>(total);
                // A handle opened without write access.
                return failWithErrno(n < 0 ? (errno == EBADF ? EACCES : errno) : ENOSPC);
            }
            total += static_cast<size_t>(n);
        }
        *done = static_cast<DWORD>(total);
        return true;
    }

private:
    int fd_;
    std::string path_;
    bool deleteOnClose_;
};

// ENOENT means "path not found" when the directory itself is missing.
DWORD openError(int error, const std::string &path) {
    if (error == ENOENT) {
        std::string dir, name;
        splitPath(path, &dir, &name);
        struct stat st;
        if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_PATH_NOT_FOUND;
    }
    return errnoToError(error);
}

std::shared_ptr<File> fileOf(HANDLE h) {
    auto file = handleGet<File>(h);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

}  // namespace

extern "C" {

WINBASEAPI HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                     LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                                     DWORD dwFlagsAndAttributes, HANDLE) {
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string slot;
    if (isMailslotPath(lpFileName, &slot)) {
        HANDLE h = openMailslotWriter(slot);
        return h ? h : INVALID_HANDLE_VALUE;
    }
    const bool reads = dwDesiredAccess & (GENERIC_READ | GENERIC_ALL);
    const bool writes = dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL);
    int flags = O_CLOEXEC;
    switch (dwCreationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case OPEN_EXISTING: break;
    case TRUNCATE_EXISTING:
        if (!writes) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    struct stat before;
    if (stat(lpFileName, &before) == 0 && S_ISDIR(before.st_mode)) {
        // Directories open only for their times, as on Windows.
        if (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || writes || dwCreationDisposition == CREATE_NEW) {
            SetLastError(dwCreationDisposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    // Read access as well where possible: the share-mode locks need it.
    auto openWith = [&](int extra) {
        int fd = -1;
        if (writes) {
            fd = open(lpFileName, flags | extra | O_RDWR, mode);
            if (fd < 0 && !reads && errno == EACCES) fd = open(lpFileName, flags | extra | O_WRONLY, mode);
        } else {
            fd = open(lpFileName, flags | extra | O_RDONLY, mode);
        }
        return fd;
    };
    // Creating exclusively first tells exactly whether this call made the file.
    bool created = false;
    int fd = -1;
    if ((flags & O_CREAT) && !(flags & O_EXCL)) {
        fd = openWith(O_EXCL);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST) fd = openWith(0);
    } else {
        fd = openWith(0);
        created = fd >= 0 && (flags & O_EXCL);
    }
    if (fd < 0) {
        int err = errno;
        SetLastError(err == EEXIST ? ERROR_FILE_EXISTS : openError(err, lpFileName));
        return INVALID_HANDLE_VALUE;
    }
    const bool existed = !created;
    if (!shareAcquire(fd, dwDesiredAccess, dwShareMode)) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    // Truncate only once the share check has passed.
    if (existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING) &&
        ftruncate(fd, 0) != 0) {
        int err = errno;
        close(fd);
        SetLastError(errnoToError(err));
        return INVALID_HANDLE_VALUE;
    }
    // A new file has the attributes it was created with: a name left in
    // ".hidden" by a file removed behind the layer's back does not hide it.
    if (created && ((dwFlagsAndAttributes & FILE_ATTRIBUTE_HIDDEN) || isListedHidden(lpFileName)))
        setHiddenListed(lpFileName, (dwFlagsAndAttributes & FILE_ATTRIBUTE_HIDDEN) != 0);
    auto file = std::make_shared<File>(fd, lpFileName, (dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0);
    HANDLE h = handleNew(file);
    if (!h) return INVALID_HANDLE_VALUE;
    SetLastError(existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return h;
}

WINBASEAPI BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    DWORD done = 0;
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    if (lpOverlapped) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto io = handleGet<IoObject>(hFile);
    if (!io) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToRead) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    bool ok = io->read(lpBuffer, nNumberOfBytesToRead, &done);
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
    return ok ? TRUE : FALSE;
}

WINBASEAPI BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    DWORD done = 0;
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    if (lpOverlapped) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto io = handleGet<IoObject>(hFile);
    if (!io) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpBuffer && nNumberOfBytesToWrite) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    bool ok = io->write(lpBuffer, nNumberOfBytesToWrite, &done);
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
    return ok ? TRUE : FALSE;
}

WINBASEAPI BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    auto file = fileOf(hFile);
    if (!file) return FALSE;
    return fsync(file->fd()) == 0 ? TRUE : failWithErrno(errno);
}

WINBASEAPI BOOL WINAPI SetEndOfFile(HANDLE hFile) {
    auto file = fileOf(hFile);
    if (!file) return FALSE;
    off_t pos = lseek(file->fd(), 0, SEEK_CUR);
    if (pos < 0 || ftruncate(file->fd(), pos) != 0) return failWithErrno(errno);
    return TRUE;
}

WINBASEAPI BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                                        DWORD dwMoveMethod) {
    auto file = fileOf(hFile);
    if (!file) return FALSE;
    int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET : dwMoveMethod == FILE_CURRENT ? SEEK_CUR
                 : dwMoveMethod == FILE_END ? SEEK_END : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    off_t pos = lseek(file->fd(), static_cast<off_t>(liDistanceToMove.QuadPart), whence);
    if (pos < 0) {
        SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : errnoToError(errno));
        return FALSE;
    }
    if (lpNewFilePointer) lpNewFilePointer->QuadPart = pos;
    return TRUE;
}

WINBASEAPI DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                       DWORD dwMoveMethod) {
    LARGE_INTEGER distance, result;
    if (lpDistanceToMoveHigh)
        distance.QuadPart = static_cast<LONGLONG>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                                  static_cast<uint32_t>(lDistanceToMove));
    else
        distance.QuadPart = lDistanceToMove;
    if (!SetFilePointerEx(hFile, distance, &result, dwMoveMethod)) return INVALID_SET_FILE_POINTER;
    if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = result.HighPart;
    SetLastError(ERROR_SUCCESS);  // tells a position of 0xFFFFFFFF from a failure
    return result.LowPart;
}

WINBASEAPI BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
    auto file = fileOf(hFile);
    if (!file) return FALSE;
    struct stat st;
    if (fstat(file->fd(), &st) != 0) return failWithErrno(errno);
    lpFileSize->QuadPart = st.st_size;
    return TRUE;
}

WINBASEAPI DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(hFile, &size)) return INVALID_FILE_SIZE;
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size.HighPart);
    SetLastError(ERROR_SUCCESS);
    return size.LowPart;
}

WINBASEAPI BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                                   LPFILETIME lpLastWriteTime) {
    auto file = fileOf(hFile);
    if (!file) return FALSE;
    struct statx stx;
    if (statx(file->fd(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &stx) != 0) return failWithErrno(errno);
    auto convert = [](const struct statx_timestamp &t) {
        struct timespec ts = {static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)};
        return timespecToFileTime(ts);
    };
    if (lpCreationTime) *lpCreationTime = convert((stx.stx_mask & STATX_BTIME) ? stx.stx_btime : stx.stx_mtime);
    if (lpLastAccessTime) *lpLastAccessTime = convert(stx.stx_atime);
    if (lpLastWriteTime) *lpLastWriteTime = convert(stx.stx_mtime);
    return TRUE;
}

WINBASEAPI BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME *, const FILETIME *lpLastAccessTime,
                                   const FILETIME *lpLastWriteTime) {
    auto file = fileOf(hFile);
    if (!file) return FALSE;
    // The creation time cannot be set on Linux; it is left as it is.
    struct timespec times[2];
    times[0] = lpLastAccessTime ? fileTimeToTimespec(*lpLastAccessTime) : timespec{0, UTIME_OMIT};
    times[1] = lpLastWriteTime ? fileTimeToTimespec(*lpLastWriteTime) : timespec{0, UTIME_OMIT};
    return futimens(file->fd(), times) == 0 ? TRUE : failWithErrno(errno);
}

}  // extern "C"
