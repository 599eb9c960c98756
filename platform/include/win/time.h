/* Local and UTC time, file times (100 ns since 1601-01-01 UTC), time zone,
 * and date/time formatting from the process locale's LC_TIME ("C" if unset). */
#ifndef PLATFORM_WIN_TIME_H
#define PLATFORM_WIN_TIME_H

#include "types.h"

#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2
#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)

#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_INVARIANT 0x007F

#define LOCALE_NOUSEROVERRIDE 0x80000000u
#define DATE_SHORTDATE 0x00000001
#define DATE_LONGDATE 0x00000002
#define TIME_NOMINUTESORSECONDS 0x00000001
#define TIME_NOSECONDS 0x00000002
#define TIME_NOTIMEMARKER 0x00000004
#define TIME_FORCE24HOURFORMAT 0x00000008

typedef struct _TIME_ZONE_INFORMATION {
    LONG Bias; /* minutes: UTC = local time + Bias */
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
} TIME_ZONE_INFORMATION, *PTIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;

WIN_EXTERN_C_BEGIN

WINBASEAPI void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
WINBASEAPI void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
WINBASEAPI void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
WINBASEAPI BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime);
WINBASEAPI BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *lpSystemTime, LPFILETIME lpFileTime);
WINBASEAPI BOOL WINAPI FileTimeToLocalFileTime(const FILETIME *lpFileTime, LPFILETIME lpLocalFileTime);
WINBASEAPI BOOL WINAPI LocalFileTimeToFileTime(const FILETIME *lpLocalFileTime, LPFILETIME lpFileTime);
/* -1, 0 or 1. */
WINBASEAPI LONG WINAPI CompareFileTime(const FILETIME *lpFileTime1, const FILETIME *lpFileTime2);
/* Bias of the current zone; returns TIME_ZONE_ID_DAYLIGHT while summer time
 * applies (Bias + DaylightBias is then the offset), else _STANDARD or _UNKNOWN. */
WINBASEAPI DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);

/* lpDate NULL: now. lpFormat NULL: the locale's format chosen by dwFlags;
 * otherwise the Win32 picture ("d", "dd", "ddd", "dddd", "M".."MMMM", "y",
 * "yy", "yyyy", 'quoted text'; "h", "hh", "H", "HH", "m", "mm", "s", "ss",
 * "t", "tt"). cch 0 returns the size needed, NUL included; a too small
 * buffer fails with ERROR_INSUFFICIENT_BUFFER. */
WINBASEAPI int WINAPI GetDateFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME *lpDate, LPCSTR lpFormat,
                                     LPSTR lpDateStr, int cchDate);
WINBASEAPI int WINAPI GetTimeFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME *lpTime, LPCSTR lpFormat,
                                     LPSTR lpTimeStr, int cchTime);

WIN_EXTERN_C_END

#endif
