// FindFirstFileA / FindNextFileA: a directory listing in the directory's own
// order, filtered by a Win32 wildcard pattern (case-insensitive).
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "fileattr.h"
#include "fileerror.h"
#include "handles.h"
#include "hidden.h"

using namespace platform;

namespace {

class Find : public PlatformObject {
public:
    Find(DIR *dir, std::string dirPath, std::string pattern)
        : PlatformObject(ObjectType::Find), dir_(dir), dirPath_(std::move(dirPath)), pattern_(std::move(pattern)) {
        hidden_ = hiddenList(dirPath_);
    }
    ~Find() override {
        if (dir_) closedir(dir_);
    }

    // The next matching entry; false at the end.
    bool next(WIN32_FIND_DATAA *data);
    // A single entry (pattern without wildcards).
    bool single(const std::string &name, WIN32_FIND_DATAA *data) { return fill(name, data); }

private:
    bool fill(const std::string &name, WIN32_FIND_DATAA *data);

    DIR *dir_;
    std::string dirPath_;
    std::string pattern_;
    std::vector<std::string> hidden_;
};

bool wildcardMatch(const char *pattern, const char *name) {
    // Iterative "*" and "?" matching with one backtracking point.
    const char *star = nullptr, *resume = nullptr;
    while (*name) {
        if (*pattern == '?' ||
            (*pattern && *pattern != '*' &&
             std::tolower(static_cast<unsigned char>(*pattern)) == std::tolower(static_cast<unsigned char>(*name)))) {
            ++pattern;
            ++name;
        } else if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

bool matches(const std::string &pattern, const std::string &name) {
    // "*.*" matches every name, also those without a dot, as on Windows.
    if (pattern == "*.*" || pattern == "*") return true;
    if (wildcardMatch(pattern.c_str(), name.c_str())) return true;
    // "name.*" also matches "name" without an extension.
    if (pattern.size() > 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return wildcardMatch(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
    return false;
}

bool Find::fill(const std::string &name, WIN32_FIND_DATAA *data) {
    if (name.size() >= MAX_PATH) return false;
    struct stat st;
    if (stat((dirPath_ + "/" + name).c_str(), &st) != 0) return false;
    memset(data, 0, sizeof *data);
    bool hidden = (name[0] == '.' && name != "." && name != "..") ||
                  std::find(hidden_.begin(), hidden_.end(), name) != hidden_.end();
    fillFileData(st, hidden, &data->dwFileAttributes, &data->ftCreationTime, &data->ftLastAccessTime,
                 &data->ftLastWriteTime, &data->nFileSizeHigh, &data->nFileSizeLow);
    memcpy(data->cFileName, name.c_str(), name.size() + 1);
    return true;
}

bool Find::next(WIN32_FIND_DATAA *data) {
    if (!dir_) return false;
    for (;;) {
        errno = 0;
        struct dirent *entry = readdir(dir_);
        if (!entry) return false;
        std::string name = entry->d_name;
        // Entries that vanish between listing and stat are skipped.
        if (matches(pattern_, name) && fill(name, data)) return true;
    }
}

bool hasWildcards(const std::string &s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace

extern "C" {

WINBASEAPI HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (!lpFileName || !*lpFileName || !lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = lpFileName;
    if (path.back() == '/') {
        // "dir/" names nothing, as "dir\" does on Windows.
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string dirPath, pattern;
    splitPath(path, &dirPath, &pattern);
    struct stat st;
    if (stat(dirPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<Find> find;
    if (!hasWildcards(pattern)) {
        find = std::make_shared<Find>(nullptr, dirPath, pattern);
        if (!find->single(pattern, lpFindFileData)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
    } else {
        DIR *dir = opendir(dirPath.c_str());
        if (!dir) {
            SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : errnoToError(errno));
            return INVALID_HANDLE_VALUE;
        }
        find = std::make_shared<Find>(dir, dirPath, pattern);
        if (!find->next(lpFindFileData)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
    }
    HANDLE h = handleNew(find);
    return h ? h : INVALID_HANDLE_VALUE;
}

WINBASEAPI BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    auto find = handleGet<Find>(hFindFile);
    if (!find || !lpFindFileData) {
        SetLastError(find ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!find->next(lpFindFileData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

WINBASEAPI BOOL WINAPI FindClose(HANDLE hFindFile) {
    auto find = handleGet<Find>(hFindFile);
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    handleRemove(handleValue(hFindFile));
    return TRUE;
}

}  // extern "C"
