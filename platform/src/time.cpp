// System and local time, file times, and the time zone.
#include <sys/time.h>

#include <cstring>
#include <ctime>

#include "filetime.h"

using namespace platform;

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool leap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(unsigned y, unsigned m) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

SYSTEMTIME fromTm(const struct tm &tm, long nanoseconds) {
    SYSTEMTIME st;
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec > 59 ? 59 : tm.tm_sec);
    st.wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
    return st;
}

// Offset of local time from UTC, in seconds, at the instant t.
long localOffset(time_t t) {
    struct tm tm;
    localtime_r(&t, &tm);
    return tm.tm_gmtoff;
}

}  // namespace

extern "C" {

WINBASEAPI void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm tm;
    gmtime_r(&now.tv_sec, &tm);
    *lpSystemTime = fromTm(tm, now.tv_nsec);
}

WINBASEAPI void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm tm;
    localtime_r(&now.tv_sec, &tm);
    *lpSystemTime = fromTm(tm, now.tv_nsec);
}

WINBASEAPI void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    *lpSystemTimeAsFileTime = timespecToFileTime(now);
}

WINBASEAPI BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (!lpFileTime || !lpSystemTime || (lpFileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint64_t v = fileTimeValue(*lpFileTime);
    uint64_t ms = v / 10000;
    int64_t days = static_cast<int64_t>(ms / 86400000);  // since 1601-01-01
    uint64_t inDay = ms % 86400000;
    // Civil date from days since 1970 (the inverse of daysFromCivil).
    int64_t z = days - 134774 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    lpSystemTime->wYear = static_cast<WORD>(y);
    lpSystemTime->wMonth = static_cast<WORD>(m);
    lpSystemTime->wDay = static_cast<WORD>(d);
    lpSystemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    lpSystemTime->wHour = static_cast<WORD>(inDay / 3600000);
    lpSystemTime->wMinute = static_cast<WORD>(inDay / 60000 % 60);
    lpSystemTime->wSecond = static_cast<WORD>(inDay / 1000 % 60);
    lpSystemTime->wMilliseconds = static_cast<WORD>(inDay % 1000);
    return TRUE;
}

WINBASEAPI BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *st, LPFILETIME lpFileTime) {
    if (!st || !lpFileTime || st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 ||
        st->wDay < 1 || st->wDay > daysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 ||
        st->wSecond > 59 || st->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t days = daysFromCivil(st->wYear, st->wMonth, st->wDay) + 134774;  // since 1601
    uint64_t ms = static_cast<uint64_t>(days) * 86400000ull + st->wHour * 3600000ull + st->wMinute * 60000ull +
                  st->wSecond * 1000ull + st->wMilliseconds;
    *lpFileTime = makeFileTime(ms * 10000);
    return TRUE;
}

WINBASEAPI BOOL WINAPI FileTimeToLocalFileTime(const FILETIME *lpFileTime, LPFILETIME lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The offset that applies at that instant (so summer times stay right).
    struct timespec ts = fileTimeToTimespec(*lpFileTime);
    int64_t v = static_cast<int64_t>(fileTimeValue(*lpFileTime)) + static_cast<int64_t>(localOffset(ts.tv_sec)) * 10000000;
    *lpLocalFileTime = makeFileTime(v < 0 ? 0 : static_cast<uint64_t>(v));
    return TRUE;
}

WINBASEAPI BOOL WINAPI LocalFileTimeToFileTime(const FILETIME *lpLocalFileTime, LPFILETIME lpFileTime) {
    if (!lpLocalFileTime || !lpFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct timespec ts = fileTimeToTimespec(*lpLocalFileTime);
    // Two steps find the offset of the instant whose local time this is.
    long offset = localOffset(ts.tv_sec);
    offset = localOffset(ts.tv_sec - offset);
    int64_t v = static_cast<int64_t>(fileTimeValue(*lpLocalFileTime)) - static_cast<int64_t>(offset) * 10000000;
    *lpFileTime = makeFileTime(v < 0 ? 0 : static_cast<uint64_t>(v));
    return TRUE;
}

WINBASEAPI LONG WINAPI CompareFileTime(const FILETIME *lpFileTime1, const FILETIME *lpFileTime2) {
    uint64_t a = fileTimeValue(*lpFileTime1), b = fileTimeValue(*lpFileTime2);
    return a < b ? -1 : a > b ? 1 : 0;
}

WINBASEAPI DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION tzi) {
    if (!tzi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    tzset();
    memset(tzi, 0, sizeof *tzi);
    time_t now = time(nullptr);
    struct tm nowTm;
    localtime_r(&now, &nowTm);

    // The year's offsets and the instants where summer time starts and ends.
    struct tm jan = {};
    jan.tm_year = nowTm.tm_year;
    jan.tm_mday = 1;
    jan.tm_isdst = -1;
    time_t start = timegm(&jan);
    long standard = 0, daylight = 0;
    bool haveStandard = false, haveDaylight = false;
    time_t toDaylight = 0, toStandard = 0;
    struct tm prev;
    localtime_r(&start, &prev);
    for (int day = 0; day <= 366; ++day) {
        time_t t = start + static_cast<time_t>(day) * 86400;
        struct tm tm;
        localtime_r(&t, &tm);
        if (tm.tm_isdst > 0 && !haveDaylight) daylight = tm.tm_gmtoff, haveDaylight = true;
        if (tm.tm_isdst <= 0 && !haveStandard) standard = tm.tm_gmtoff, haveStandard = true;
        if ((tm.tm_isdst > 0) != (prev.tm_isdst > 0)) {
            // Narrow the change down to the second.
            time_t lo = t - 86400, hi = t;
            while (hi - lo > 1) {
                time_t mid = lo + (hi - lo) / 2;
                struct tm m;
                localtime_r(&mid, &m);
                ((m.tm_isdst > 0) == (tm.tm_isdst > 0) ? hi : lo) = mid;
            }
            (tm.tm_isdst > 0 ? toDaylight : toStandard) = hi;
        }
        prev = tm;
    }
    if (!haveStandard) standard = nowTm.tm_gmtoff;
    tzi->Bias = static_cast<LONG>(-standard / 60);
    const char *names[2] = {tzname[0], tzname[1]};
    for (int i = 0; i < 31 && names[0] && names[0][i]; ++i) tzi->StandardName[i] = static_cast<WCHAR>(names[0][i]);
    for (int i = 0; i < 31 && names[1] && names[1][i]; ++i) tzi->DaylightName[i] = static_cast<WCHAR>(names[1][i]);
    if (!haveDaylight || !toDaylight || !toStandard) return TIME_ZONE_ID_UNKNOWN;
    tzi->DaylightBias = static_cast<LONG>(-(daylight - standard) / 60);
    // Transition dates in absolute form (wYear set), in the local time that
    // is in force just before each change.
    auto localBefore = [](time_t change, long offsetBefore) {
        time_t local = change + offsetBefore;
        struct tm tm;
        gmtime_r(&local, &tm);
        return fromTm(tm, 0);
    };
    tzi->DaylightDate = localBefore(toDaylight, standard);
    tzi->StandardDate = localBefore(toStandard, daylight);
    return nowTm.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

}  // extern "C"
