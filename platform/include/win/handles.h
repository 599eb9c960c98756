/* Handles: opaque pointer types whose values are small integers issued by the
 * process-wide handle table of libplatform.so, never real addresses, so every
 * handle fits in 32 bits and can be kept in 4-byte record fields. */
#ifndef PLATFORM_WIN_HANDLES_H
#define PLATFORM_WIN_HANDLES_H

#include "types.h"

typedef void *HANDLE;
typedef HANDLE *PHANDLE, *LPHANDLE;

#define DECLARE_HANDLE(name) struct name##__ { int unused; }; typedef struct name##__ *name

DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HICON);
typedef HICON HCURSOR;
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HPEN);
DECLARE_HANDLE(HRGN);
DECLARE_HANDLE(HPALETTE);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HRSRC);
DECLARE_HANDLE(HACCEL);
DECLARE_HANDLE(HKEY);
DECLARE_HANDLE(HIMAGELIST);
DECLARE_HANDLE(HTREEITEM);
DECLARE_HANDLE(HHOOK);
DECLARE_HANDLE(HTHEME);
DECLARE_HANDLE(HDROP);
DECLARE_HANDLE(HMONITOR);
DECLARE_HANDLE(HPROPSHEETPAGE);
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef HANDLE HGDIOBJ;
typedef HKEY *PHKEY;
typedef int HFILE;

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

/* Procedure addresses. "void (*)(void)" (rather than Windows' INT_PTR (*)())
 * is the type that casts to any function type without -Wcast-function-type. */
typedef void (*FARPROC)(void);
typedef void (*NEARPROC)(void);
typedef void (*PROC)(void);

WIN_EXTERN_C_BEGIN

/* Closes a handle of any kind (file, event, mutex, thread, mailslot, change
 * notification...). The object lives on while other handles refer to it. */
WINBASEAPI BOOL WINAPI CloseHandle(HANDLE hObject);

#define DUPLICATE_CLOSE_SOURCE 0x00000001
#define DUPLICATE_SAME_ACCESS 0x00000002

/* Pseudo handles of the calling process and thread. */
WINBASEAPI HANDLE WINAPI GetCurrentProcess(void);
WINBASEAPI HANDLE WINAPI GetCurrentThread(void);

/* A second handle to the same object, within this process. */
WINBASEAPI BOOL WINAPI DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                                       HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle,
                                       DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwOptions);

WIN_EXTERN_C_END

/* Handle <-> 32-bit value, for records with 4-byte handle fields. */
#ifdef __cplusplus
template <typename H>
inline ULONG HandleToULong(H h) { return (ULONG)(uintptr_t)h; }
template <typename H = HANDLE>
inline H ULongToHandle(ULONG v) { return (H)(uintptr_t)v; }
inline LONG HandleToLong(const void *h) { return (LONG)(intptr_t)h; }
template <typename H = HANDLE>
inline H LongToHandle(LONG v) { return (H)(intptr_t)v; }
#else
#define HandleToULong(h) ((ULONG)(uintptr_t)(h))
#define ULongToHandle(v) ((HANDLE)(uintptr_t)(ULONG)(v))
#define HandleToLong(h) ((LONG)(intptr_t)(h))
#define LongToHandle(v) ((HANDLE)(intptr_t)(LONG)(v))
#endif

#endif
