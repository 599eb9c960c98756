/* Waitable objects and waits: events, mutexes, semaphores, plus threads and
 * change notifications (declared elsewhere). Named objects are process-local. */
#ifndef PLATFORM_WIN_SYNC_H
#define PLATFORM_WIN_SYNC_H

#include "handles.h"

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define MAXIMUM_WAIT_OBJECTS 64

#define SYNCHRONIZE 0x00100000u
#define EVENT_ALL_ACCESS 0x001F0003u
#define EVENT_MODIFY_STATE 0x0002u
#define MUTEX_ALL_ACCESS 0x001F0001u
#define SEMAPHORE_ALL_ACCESS 0x001F0003u

typedef struct _CRITICAL_SECTION {
    void *DebugInfo; /* the layer's own lock object */
    LONG LockCount;
    LONG RecursionCount;
    HANDLE OwningThread;
    HANDLE LockSemaphore;
    ULONG_PTR SpinCount;
} CRITICAL_SECTION, *PCRITICAL_SECTION, *LPCRITICAL_SECTION;

WIN_EXTERN_C_BEGIN

/* Waits on events, mutexes, semaphores, threads and change notifications.
 * Returns WAIT_OBJECT_0 (+ index), WAIT_ABANDONED (+ index), WAIT_TIMEOUT, or
 * WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that is not waitable. */
WINBASEAPI DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
WINBASEAPI DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE *lpHandles, BOOL bWaitAll,
                                               DWORD dwMilliseconds);

/* Events. A name makes the event findable within the process; a second
 * create of the name returns a new handle to it with ERROR_ALREADY_EXISTS. */
WINBASEAPI HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                                      BOOL bInitialState, LPCSTR lpName);
WINBASEAPI HANDLE WINAPI OpenEventA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
WINBASEAPI BOOL WINAPI SetEvent(HANDLE hEvent);
WINBASEAPI BOOL WINAPI ResetEvent(HANDLE hEvent);
/* Manual reset: releases the threads waiting now, then resets. Auto reset:
 * latched, like SetEvent: it releases one waiter, or stays signalled until one
 * comes, so that a pulse is never lost. */
WINBASEAPI BOOL WINAPI PulseEvent(HANDLE hEvent);

/* Re-entrant mutexes owned by a thread; named ones are shared process-wide. */
WINBASEAPI HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
WINBASEAPI HANDLE WINAPI OpenMutexA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
/* Fails with ERROR_NOT_OWNER when the calling thread does not own it. */
WINBASEAPI BOOL WINAPI ReleaseMutex(HANDLE hMutex);

/* Counted signals. */
WINBASEAPI HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES lpSemaphoreAttributes, LONG lInitialCount,
                                          LONG lMaximumCount, LPCSTR lpName);
WINBASEAPI BOOL WINAPI ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount);

/* Critical sections: re-entrant locks that are not handles. */
WINBASEAPI void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WINBASEAPI void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WINBASEAPI void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WINBASEAPI BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WINBASEAPI void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

WINBASEAPI void WINAPI Sleep(DWORD dwMilliseconds);
/* Milliseconds since an arbitrary start (monotonic clock), wrapping at 2^32. */
WINBASEAPI DWORD WINAPI GetTickCount(void);
WINBASEAPI ULONGLONG WINAPI GetTickCount64(void);

WIN_EXTERN_C_END

/* Atomic operations on 32-bit values. */
static inline LONG InterlockedIncrement(LONG volatile *p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
static inline LONG InterlockedDecrement(LONG volatile *p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
static inline LONG InterlockedExchange(LONG volatile *p, LONG v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
static inline LONG InterlockedExchangeAdd(LONG volatile *p, LONG v) { return __atomic_fetch_add(p, v, __ATOMIC_SEQ_CST); }
static inline LONG InterlockedCompareExchange(LONG volatile *p, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(p, &comparand, exchange, 0, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}

#endif
