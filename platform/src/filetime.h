// FILETIME (100 ns since 1601-01-01 UTC) and Unix times.
#pragma once

#include <windows.h>

#include <ctime>
#include <cstdint>

namespace platform {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

inline uint64_t fileTimeValue(const FILETIME &ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

inline FILETIME makeFileTime(uint64_t v) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(v);
    ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return ft;
}

inline FILETIME timespecToFileTime(const struct timespec &ts) {
    int64_t v = static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100 +
                static_cast<int64_t>(kUnixEpochAsFileTime);
    return makeFileTime(v < 0 ? 0 : static_cast<uint64_t>(v));
}

inline struct timespec fileTimeToTimespec(const FILETIME &ft) {
    int64_t v = static_cast<int64_t>(fileTimeValue(ft)) - static_cast<int64_t>(kUnixEpochAsFileTime);
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(v / 10000000);
    ts.tv_nsec = static_cast<long>((v % 10000000) * 100);
    if (ts.tv_nsec < 0) {
        ts.tv_nsec += 1000000000L;
        --ts.tv_sec;
    }
    return ts;
}

}  // namespace platform
