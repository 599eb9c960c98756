/* Modules: ELF shared objects loaded with dlopen, keeping their Windows file
 * names (ext/galleon.dll). A module's exported DllMain, if any, is called with
 * DLL_PROCESS_ATTACH on the first load and DLL_PROCESS_DETACH on the last free. */
#ifndef PLATFORM_WIN_MODULES_H
#define PLATFORM_WIN_MODULES_H

#include "handles.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

#define LOAD_LIBRARY_AS_DATAFILE 0x00000002

WIN_EXTERN_C_BEGIN

typedef BOOL(WINAPI *PDLLMAIN)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

/* dlopen(RTLD_NOW | RTLD_LOCAL). A name without a directory (".dll" added
 * when it has no extension) is looked for beside the program, in the current
 * directory, beside libplatform.so (the layer's run-time modules), then by
 * the dynamic loader. A second load of the same file returns the same handle
 * and counts a reference. Fails with ERROR_MOD_NOT_FOUND, or
 * ERROR_DLL_INIT_FAILED when DllMain refuses the attach. */
WINBASEAPI HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
WINBASEAPI HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
/* Drops one reference; the last one calls DllMain(DLL_PROCESS_DETACH) and dlclose. */
WINBASEAPI BOOL WINAPI FreeLibrary(HMODULE hLibModule);
/* dlsym; ordinals are not supported (ERROR_PROC_NOT_FOUND). */
WINBASEAPI FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
/* NULL: the program. Otherwise a loaded module by path or file name
 * (compared without case, as on Windows); no reference is counted. */
WINBASEAPI HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
/* With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, lpModuleName is an address
 * inside the module (code or data); the program, libplatform or a loaded module. */
WINBASEAPI BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE *phModule);
/* The real absolute path of the module's file (NULL: the program). Truncates
 * to nSize - 1 characters + NUL, returning nSize with ERROR_INSUFFICIENT_BUFFER. */
WINBASEAPI DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

WIN_EXTERN_C_END

#endif
