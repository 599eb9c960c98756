#include "verinfo.h"

#include <cstdio>
#include <cstring>

#include "zelext.h"

bool FileVersionInfo::load(const char *path) {
    data_.clear();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return false;
    data_.resize(size);
    if (!GetFileVersionInfoA(path, 0, size, data_.data())) {
        data_.clear();
        return false;
    }
    return true;
}

int FileVersionInfo::string(const char *item, char *buffer, int size) const {
    if (!buffer || size <= 0 || !item) return -2;
    buffer[0] = '\0';
    if (data_.empty()) return -3;
    for (const char *block : {ZELEXT_VERSION_BLOCK_1, ZELEXT_VERSION_BLOCK_2}) {
        char query[256];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%s\\%s", block, item);
        LPVOID value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(data_.data(), query, &value, &length) || !value) continue;
        const char *text = static_cast<const char *>(value);
        std::size_t n = strnlen(text, length);
        if (n >= static_cast<std::size_t>(size)) n = static_cast<std::size_t>(size) - 1;
        std::memcpy(buffer, text, n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    }
    return -3;
}

bool FileVersionInfo::productVersion(DWORD *high, DWORD *low) const {
    if (data_.empty()) return false;
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
    *high = fixed->dwProductVersionMS;
    *low = fixed->dwProductVersionLS;
    return true;
}

int verinfoFileString(const char *path, const char *item, char *buffer, int size) {
    if (!buffer || size <= 0) return -2;
    buffer[0] = '\0';
    FileVersionInfo info;
    if (!info.load(path)) return -3;
    return info.string(item, buffer, size);
}
