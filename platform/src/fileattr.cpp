// Win32 attributes and times of a file from stat data.
#include "fileattr.h"

#include "filetime.h"

namespace platform {

DWORD attributesOf(const struct stat &st, bool hidden) {
    DWORD a = 0;
    if (S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_DIRECTORY;
    else if (!(st.st_mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
    if (hidden) a |= FILE_ATTRIBUTE_HIDDEN;
    return a ? a : FILE_ATTRIBUTE_NORMAL;
}

void fillFileData(const struct stat &st, bool hidden, DWORD *attributes, FILETIME *created, FILETIME *accessed,
                  FILETIME *written, DWORD *sizeHigh, DWORD *sizeLow) {
    *attributes = attributesOf(st, hidden);
    // Linux keeps no creation time in struct stat: the older of the status
    // change and modification times stands in for it.
    const struct timespec &birth =
        (st.st_ctim.tv_sec < st.st_mtim.tv_sec ||
         (st.st_ctim.tv_sec == st.st_mtim.tv_sec && st.st_ctim.tv_nsec < st.st_mtim.tv_nsec))
            ? st.st_ctim
            : st.st_mtim;
    *created = timespecToFileTime(birth);
    *accessed = timespecToFileTime(st.st_atim);
    *written = timespecToFileTime(st.st_mtim);
    uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    *sizeHigh = static_cast<DWORD>(size >> 32);
    *sizeLow = static_cast<DWORD>(size);
}

}  // namespace platform
