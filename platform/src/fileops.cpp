// Operations on paths: attributes, directories, delete, copy, move,
// temporary names, the current directory and full paths.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fileattr.h"
#include "fileerror.h"
#include "filetime.h"
#include "handles.h"
#include "hidden.h"
#include "sharelock.h"

using namespace platform;

namespace {

bool isDirectory(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ENOENT is "path not found" when the parent directory is missing.
BOOL failForPath(int error, const std::string &path) {
    if (error == ENOENT || error == ENOTDIR) {
        std::string dir, name;
        splitPath(path, &dir, &name);
        SetLastError(isDirectory(dir) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return failWithErrno(error);
}

// Copies a length-limited string with the Win32 "size needed" convention:
// returns the length when it fits, else the size needed with its NUL.
DWORD copyOut(const std::string &s, LPSTR buffer, DWORD size) {
    if (!buffer || size < s.size() + 1) return static_cast<DWORD>(s.size() + 1);
    memcpy(buffer, s.c_str(), s.size() + 1);
    return static_cast<DWORD>(s.size());
}

// Copies the bytes, mode and times of a regular file to a temporary file
// beside target, then renames it over target.
BOOL copyRegularFile(const char *source, const char *target) {
    int in = open(source, O_RDONLY | O_CLOEXEC);
    if (in < 0) return failForPath(errno, source);
    struct stat st;
    if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(in);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::string dir, name;
    splitPath(target, &dir, &name);
    std::string temp = dir + "/." + name + ".copy-XXXXXX";
    int out = mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        int err = errno;
        close(in);
        return failForPath(err, target);
    }
    char buffer[65536];
    ssize_t n;
    bool ok = true;
    int err = 0;
    while ((n = read(in, buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            err = errno;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                ok = false;
                err = w < 0 ? errno : ENOSPC;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    close(in);
    if (ok) {
        fchmod(out, st.st_mode & 07777);
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        futimens(out, times);  // the copy keeps the last write time
    }
    if (close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(temp.c_str(), target) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return failWithErrno(err);
    }
    return TRUE;
}

// The hidden state follows a file that moves from one name to another.
void moveHidden(const std::string &from, const std::string &to, bool wasListed) {
    if (wasListed) setHiddenListed(from, false);
    if (wasListed || isListedHidden(to)) setHiddenListed(to, wasListed);
}

std::string normalize(const std::string &path) {
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) return {};
        absolute = std::string(cwd) + "/" + path;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= absolute.size()) {
        size_t end = absolute.find('/', start);
        if (end == std::string::npos) end = absolute.size();
        std::string part = absolute.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const auto &p : parts) result += "/" + p;
    if (result.empty()) result = "/";
    if (path.size() > 1 && path.back() == '/' && result != "/") result += "/";
    return result;
}

}  // namespace

extern "C" {

WINBASEAPI DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    struct stat st;
    if (!lpFileName || stat(lpFileName, &st) != 0) {
        if (lpFileName) failForPath(errno, lpFileName);
        else SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributesOf(st, isHiddenPath(lpFileName));
}

WINBASEAPI BOOL WINAPI GetFileAttributesExA(LPCSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId,
                                            LPVOID lpFileInformation) {
    if (!lpFileName || fInfoLevelId != GetFileExInfoStandard || !lpFileInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct stat st;
    if (stat(lpFileName, &st) != 0) return failForPath(errno, lpFileName);
    auto *data = static_cast<WIN32_FILE_ATTRIBUTE_DATA *>(lpFileInformation);
    fillFileData(st, isHiddenPath(lpFileName), &data->dwFileAttributes, &data->ftCreationTime,
                 &data->ftLastAccessTime, &data->ftLastWriteTime, &data->nFileSizeHigh, &data->nFileSizeLow);
    return TRUE;
}

WINBASEAPI BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    struct stat st;
    if (!lpFileName || stat(lpFileName, &st) != 0) return lpFileName ? failForPath(errno, lpFileName) : FALSE;
    if (!S_ISDIR(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        mode_t wanted = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t(0222)) : (mode | S_IWUSR);
        if (wanted != mode && chmod(lpFileName, wanted) != 0) return failWithErrno(errno);
    }
    std::string dir, name;
    splitPath(lpFileName, &dir, &name);
    // A leading dot always hides; only listed names can be shown again.
    bool hide = (dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    if (hide && !name.empty() && name[0] == '.') return TRUE;
    return setHiddenListed(lpFileName, hide) ? TRUE : FALSE;
}

WINBASEAPI BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    if (!lpPathName || !*lpPathName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(lpPathName, 0777) != 0) {
        if (errno == EEXIST) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (errno == ENOENT) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        return failWithErrno(errno);
    }
    if (isListedHidden(lpPathName)) setHiddenListed(lpPathName, false);  // a stale line
    return TRUE;
}

WINBASEAPI BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    if (!lpPathName) return failWithErrno(EINVAL);
    bool listed = isListedHidden(lpPathName);
    if (rmdir(lpPathName) != 0) {
        if (errno == ENOTDIR) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        return failForPath(errno, lpPathName);
    }
    if (listed) setHiddenListed(lpPathName, false);
    return TRUE;
}

WINBASEAPI BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    if (!lpFileName) return failWithErrno(EINVAL);
    struct stat st;
    if (lstat(lpFileName, &st) != 0) return failForPath(errno, lpFileName);
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (shareDeleteRefused(lpFileName)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    bool listed = isListedHidden(lpFileName);
    if (unlink(lpFileName) != 0) return failForPath(errno, lpFileName);
    if (listed) setHiddenListed(lpFileName, false);
    return TRUE;
}

WINBASEAPI BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    if (!lpExistingFileName || !lpNewFileName) return failWithErrno(EINVAL);
    struct stat st;
    if (stat(lpExistingFileName, &st) != 0) return failForPath(errno, lpExistingFileName);
    struct stat target;
    if (stat(lpNewFileName, &target) == 0) {
        if (bFailIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(target.st_mode) || (st.st_dev == target.st_dev && st.st_ino == target.st_ino)) {
            SetLastError(S_ISDIR(target.st_mode) ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION);
            return FALSE;
        }
        if (shareWriteRefused(lpNewFileName)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (!copyRegularFile(lpExistingFileName, lpNewFileName)) return FALSE;
    if (isListedHidden(lpExistingFileName)) setHiddenListed(lpNewFileName, true);
    return TRUE;
}

WINBASEAPI BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    if (!lpExistingFileName || !lpNewFileName) return failWithErrno(EINVAL);
    if (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    struct stat st;
    if (lstat(lpExistingFileName, &st) != 0) return failForPath(errno, lpExistingFileName);
    const bool directory = S_ISDIR(st.st_mode);
    if (!directory && shareDeleteRefused(lpExistingFileName)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    struct stat target;
    const bool targetExists = lstat(lpNewFileName, &target) == 0;
    const bool sameFile = targetExists && st.st_dev == target.st_dev && st.st_ino == target.st_ino;
    if (targetExists && !sameFile) {
        // Nothing replaces a directory, and a directory replaces nothing.
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING) || directory || S_ISDIR(target.st_mode)) {
            SetLastError(S_ISDIR(target.st_mode) && (dwFlags & MOVEFILE_REPLACE_EXISTING) ? ERROR_ACCESS_DENIED
                                                                                         : ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (shareDeleteRefused(lpNewFileName)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    const bool listed = isListedHidden(lpExistingFileName);
    int rc = (targetExists && !sameFile) ? rename(lpExistingFileName, lpNewFileName)
                                        : renameat2(AT_FDCWD, lpExistingFileName, AT_FDCWD, lpNewFileName,
                                                    sameFile ? 0 : RENAME_NOREPLACE);
    if (rc != 0 && errno == EINVAL && !sameFile && !targetExists)
        rc = rename(lpExistingFileName, lpNewFileName);  // file system without RENAME_NOREPLACE
    if (rc != 0) {
        int err = errno;
        if (err == EEXIST) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (err == EXDEV && (dwFlags & MOVEFILE_COPY_ALLOWED) && !directory) {
            if (!copyRegularFile(lpExistingFileName, lpNewFileName)) return FALSE;
            if (unlink(lpExistingFileName) != 0) return failWithErrno(errno);
            moveHidden(lpExistingFileName, lpNewFileName, listed);
            return TRUE;
        }
        if (err == ENOENT) return failForPath(err, isDirectory(lpExistingFileName) ? lpNewFileName : lpExistingFileName);
        return failWithErrno(err);
    }
    moveHidden(lpExistingFileName, lpNewFileName, listed);
    return TRUE;
}

WINBASEAPI BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    return MoveFileExA(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

WINBASEAPI UINT WINAPI GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique,
                                        LPSTR lpTempFileName) {
    if (!lpPathName || !lpTempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string base = lpPathName;
    if (base.empty() || base.back() != '/') base += '/';
    std::string prefix = lpPrefixString ? std::string(lpPrefixString).substr(0, 3) : std::string();
    auto nameOf = [&](UINT n) {
        char hex[16];
        snprintf(hex, sizeof hex, "%X", n);
        return base + prefix + hex + ".tmp";
    };
    // Only the low 16 bits of the number make the name, as on Windows.
    if (uUnique != 0) {
        std::string name = nameOf(uUnique & 0xFFFF);
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        memcpy(lpTempFileName, name.c_str(), name.size() + 1);
        return uUnique & 0xFFFF;
    }
    UINT start = (GetTickCount() ^ static_cast<UINT>(getpid())) & 0xFFFF;
    for (UINT i = 0; i < 0x10000; ++i) {
        UINT n = ((start + i) & 0xFFFF) ? ((start + i) & 0xFFFF) : 1;
        std::string name = nameOf(n);
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        int fd = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            memcpy(lpTempFileName, name.c_str(), name.size() + 1);
            return n;
        }
        if (errno != EEXIST) {
            int err = errno;
            SetLastError(err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : errnoToError(err));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

WINBASEAPI DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    const char *env = getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    if (dir.back() != '/') dir += '/';
    return copyOut(dir, lpBuffer, nBufferLength);
}

WINBASEAPI DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) {
        failWithErrno(errno);
        return 0;
    }
    return copyOut(cwd, lpBuffer, nBufferLength);
}

WINBASEAPI BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    if (!lpPathName) return failWithErrno(EINVAL);
    if (chdir(lpPathName) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : errno == ENOTDIR ? ERROR_DIRECTORY : errnoToError(errno));
        return FALSE;
    }
    return TRUE;
}

WINBASEAPI DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR *lpFilePart) {
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::string full = normalize(lpFileName);
    if (full.empty()) {
        failWithErrno(errno);
        return 0;
    }
    DWORD n = copyOut(full, lpBuffer, nBufferLength);
    if (lpFilePart && n == full.size()) {
        size_t slash = full.rfind('/');
        *lpFilePart = (slash + 1 < full.size()) ? lpBuffer + slash + 1 : nullptr;
    }
    return n;
}

WINBASEAPI BOOL WINAPI GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                           PULARGE_INTEGER lpTotalNumberOfBytes,
                                           PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
    struct statvfs vfs;
    if (statvfs(lpDirectoryName ? lpDirectoryName : ".", &vfs) != 0) return failWithErrno(errno);
    if (lpFreeBytesAvailableToCaller) lpFreeBytesAvailableToCaller->QuadPart = uint64_t(vfs.f_bavail) * vfs.f_frsize;
    if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = uint64_t(vfs.f_blocks) * vfs.f_frsize;
    if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = uint64_t(vfs.f_bfree) * vfs.f_frsize;
    return TRUE;
}

}  // extern "C"
