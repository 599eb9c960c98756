/* String helpers of the Win32 API (8-bit text). */
#ifndef PLATFORM_WIN_STRINGS_H
#define PLATFORM_WIN_STRINGS_H

#include <stdarg.h>
#include <string.h>
#include "types.h"

#define ZeroMemory(d, n) memset((d), 0, (n))
#define FillMemory(d, n, v) memset((d), (v), (n))
#define CopyMemory(d, s, n) memcpy((d), (s), (n))
#define MoveMemory(d, s, n) memmove((d), (s), (n))
#define ARRAYSIZE(a) (sizeof(a) / sizeof((a)[0]))

WIN_EXTERN_C_BEGIN

/* Copies at most iMaxLength - 1 characters and always terminates (when
 * iMaxLength > 0). Returns lpString1. */
WINBASEAPI LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
WINBASEAPI LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
WINBASEAPI LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2);
/* Length of the string; 0 for a null pointer. */
WINBASEAPI int WINAPI lstrlenA(LPCSTR lpString);
WINBASEAPI int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
WINBASEAPI int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);

/* printf-style formatting into a buffer of at most 1024 characters, as the
 * Win32 function limits it. Returns the number of characters stored. */
WINBASEAPI int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) __attribute__((format(printf, 2, 3)));
WINBASEAPI int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist);

/* nNumber * nNumerator / nDenominator with a 64-bit intermediate, rounded
 * half away from zero; -1 when nDenominator is 0 or the result overflows. */
WINBASEAPI int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

WIN_EXTERN_C_END

#endif
