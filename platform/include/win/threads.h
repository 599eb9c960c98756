/* Threads. A thread handle is waitable and signalled when the thread ends. */
#ifndef PLATFORM_WIN_THREADS_H
#define PLATFORM_WIN_THREADS_H

#include "handles.h"

#define STILL_ACTIVE 259
#define CREATE_SUSPENDED 0x00000004

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

WIN_EXTERN_C_BEGIN

typedef DWORD(WINAPI *PTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

WINBASEAPI HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                                      LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                                      DWORD dwCreationFlags, LPDWORD lpThreadId);
/* Returns the previous suspend count, (DWORD)-1 on failure. */
WINBASEAPI DWORD WINAPI ResumeThread(HANDLE hThread);
/* STILL_ACTIVE while the thread runs, then its exit code. */
WINBASEAPI BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
/* Best effort: the nice value of the thread; refusals are not failures. */
WINBASEAPI BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority);
WINBASEAPI int WINAPI GetThreadPriority(HANDLE hThread);
/* Ends the calling thread (one started by CreateThread) with this code. */
WINBASEAPI __attribute__((noreturn)) void WINAPI ExitThread(DWORD dwExitCode);
/* The kernel thread id of the calling thread. */
WINBASEAPI DWORD WINAPI GetCurrentThreadId(void);
WINBASEAPI DWORD WINAPI GetCurrentProcessId(void);

WIN_EXTERN_C_END

#endif
