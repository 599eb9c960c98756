/* System information. The layer reports itself as an NT-family system. */
#ifndef PLATFORM_WIN_SYSINFO_H
#define PLATFORM_WIN_SYSINFO_H

#include "types.h"

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

#define MAX_COMPUTERNAME_LENGTH 15
#define UNLEN 256

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;
typedef OSVERSIONINFOA OSVERSIONINFO;

typedef struct _OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
} OSVERSIONINFOEXA, *POSVERSIONINFOEXA, *LPOSVERSIONINFOEXA;

WIN_EXTERN_C_BEGIN

/* dwOSVersionInfoSize must be the size of OSVERSIONINFOA or OSVERSIONINFOEXA
 * (else ERROR_INSUFFICIENT_BUFFER). Reports platform id 2, version 5.1. */
WINBASEAPI BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
/* The directory of system libraries ("/usr/lib" + multiarch where present).
 * Returns the length; if the buffer is too small, the size needed with NUL. */
WINBASEAPI UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
/* Host name cut at its first dot, upper case, at most 15 characters.
 * *nSize: in, the buffer size; out, the length (or the size needed with
 * ERROR_BUFFER_OVERFLOW). */
WINBASEAPI BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);
/* *pcbBuffer: in, the buffer size; out, the length with NUL (or needed size
 * with ERROR_INSUFFICIENT_BUFFER). */
WINBASEAPI BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer);
WINBASEAPI DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
WINBASEAPI BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue);

WIN_EXTERN_C_END

#endif
