/* Version information read straight from a module's file, without loading
 * it: the VS_VERSIONINFO resource in its standard layout. */
#ifndef PLATFORM_WIN_VER_H
#define PLATFORM_WIN_VER_H

#include "types.h"

#define VS_FFI_SIGNATURE 0xFEEF04BDL
#define VS_FFI_STRUCVERSION 0x00010000L
#define VS_FFI_FILEFLAGSMASK 0x0000003FL
#define VS_FF_DEBUG 0x00000001L
#define VS_FF_PRERELEASE 0x00000002L
#define VS_FF_PATCHED 0x00000004L
#define VS_FF_PRIVATEBUILD 0x00000008L
#define VS_FF_INFOINFERRED 0x00000010L
#define VS_FF_SPECIALBUILD 0x00000020L
#define VOS_NT_WINDOWS32 0x00040004L
#define VFT_UNKNOWN 0x00000000L
#define VFT_APP 0x00000001L
#define VFT_DLL 0x00000002L

typedef struct tagVS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

WIN_EXTERN_C_BEGIN

/* Bytes GetFileVersionInfoA needs for the file's version information (room
 * for the ANSI copies of its texts included); *lpdwHandle becomes 0. 0 on
 * failure: ERROR_FILE_NOT_FOUND, ERROR_BAD_FORMAT (not a 64-bit ELF file),
 * ERROR_RESOURCE_DATA_NOT_FOUND (no resources), ERROR_RESOURCE_TYPE_NOT_FOUND
 * (no version information). */
WINBASEAPI DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
/* Copies the version information into lpData (at most dwLen bytes). */
WINBASEAPI BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
/* Looks up "\" (VS_FIXEDFILEINFO, *puLen 52), "\VarFileInfo\Translation"
 * (bytes) or "\StringFileInfo\<block>\<name>" (ANSI text; *puLen counts its
 * characters with the NUL) in data from GetFileVersionInfoA. Keys compare
 * without regard to case; "/" separates like "\". */
WINBASEAPI BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID *lplpBuffer, PUINT puLen);

WIN_EXTERN_C_END

#endif
