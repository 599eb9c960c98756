/* String helpers of the Win32 API (8-bit text). */
#ifndef PLATFORM_WIN_STRINGS_H
#define PLATFORM_WIN_STRINGS_H

#include <stdarg.h>
#include "types.h"

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

WIN_EXTERN_C_END

#endif
