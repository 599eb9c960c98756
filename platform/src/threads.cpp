// Threads: pthreads that report their end through the wait lock, so that a
// thread handle is waitable and GetExitCodeThread knows when a thread ended.
#include "waitable.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

using namespace platform;

namespace {

class Thread : public Waitable {
public:
    Thread() : Waitable(ObjectType::Thread) {}
    bool isSignaled(DWORD, uint64_t) const override { return finished; }

    // Guarded by the wait lock.
    bool finished = false;
    bool started = false;  // the new thread has recorded its id
    DWORD exitCode = STILL_ACTIVE;
    DWORD suspendCount = 0;
    DWORD tid = 0;
    int priority = THREAD_PRIORITY_NORMAL;

    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
};

struct Finisher;
thread_local Thread *currentThread = nullptr;
thread_local Finisher *currentFinisher = nullptr;
thread_local DWORD cachedTid = 0;

int niceOf(int priority) {
    switch (priority) {
    case THREAD_PRIORITY_IDLE: return 19;
    case THREAD_PRIORITY_LOWEST: return 10;
    case THREAD_PRIORITY_BELOW_NORMAL: return 5;
    case THREAD_PRIORITY_ABOVE_NORMAL: return -5;
    case THREAD_PRIORITY_HIGHEST: return -10;
    case THREAD_PRIORITY_TIME_CRITICAL: return -15;
    default: return 0;
    }
}

bool validPriority(int priority) {
    return priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL ||
           (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST);
}

// Marks the thread finished when its routine returns or ExitThread unwinds it.
struct Finisher {
    std::shared_ptr<Thread> self;
    DWORD code = 0;
    ~Finisher() {
        {
            std::lock_guard<std::mutex> guard(waitLock());
            self->exitCode = code;
            self->finished = true;
        }
        waitNotifyAll();
        currentThread = nullptr;
        currentFinisher = nullptr;
    }
};

void *threadMain(void *arg) {
    Finisher finisher;
    auto *handed = static_cast<std::shared_ptr<Thread> *>(arg);
    finisher.self = std::move(*handed);
    delete handed;
    Thread &self = *finisher.self;
    currentThread = &self;
    currentFinisher = &finisher;
    {
        std::unique_lock<std::mutex> lock(waitLock());
        self.tid = currentThreadId();
        self.started = true;
        waitNotifyAll();
        while (self.suspendCount > 0) waitCondition().wait(lock);
    }
    finisher.code = self.start(self.parameter);
    return nullptr;
}

}  // namespace

namespace platform {

DWORD currentThreadId() {
    if (cachedTid == 0) cachedTid = static_cast<DWORD>(syscall(SYS_gettid));
    return cachedTid;
}

}  // namespace platform

extern "C" {

WINBASEAPI HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize,
                                      LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                                      DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (!lpStartAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<Thread>();
    thread->start = lpStartAddress;
    thread->parameter = lpParameter;
    thread->suspendCount = (dwCreationFlags & CREATE_SUSPENDED) ? 1 : 0;
    HANDLE handle = handleNew(thread);
    if (!handle) return nullptr;

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (dwStackSize) pthread_attr_setstacksize(&attr, std::max<SIZE_T>(dwStackSize, PTHREAD_STACK_MIN));
    pthread_t id;
    auto *arg = new std::shared_ptr<Thread>(thread);
    int rc = pthread_create(&id, &attr, threadMain, arg);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete arg;
        handleRemove(handleValue(handle));
        SetLastError(rc == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Wait until the thread knows its id, so that it can be reported and
    // its priority set at once.
    std::unique_lock<std::mutex> lock(waitLock());
    while (!thread->started) waitCondition().wait(lock);
    if (lpThreadId) *lpThreadId = thread->tid;
    return handle;
}

WINBASEAPI DWORD WINAPI ResumeThread(HANDLE hThread) {
    auto thread = handleGet<Thread>(hThread);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    DWORD previous;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        previous = thread->suspendCount;
        if (thread->suspendCount > 0) --thread->suspendCount;
    }
    waitNotifyAll();
    return previous;
}

WINBASEAPI BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    auto thread = handleGet<Thread>(hThread);
    if (!thread || !lpExitCode) {
        SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(waitLock());
    *lpExitCode = thread->finished ? thread->exitCode : STILL_ACTIVE;
    return TRUE;
}

WINBASEAPI BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority) {
    if (!validPriority(nPriority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD tid;
    if (hThread == GetCurrentThread()) {
        tid = currentThreadId();
        if (currentThread) {
            std::lock_guard<std::mutex> guard(waitLock());
            currentThread->priority = nPriority;
        }
    } else {
        auto thread = handleGet<Thread>(hThread);
        if (!thread) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        std::lock_guard<std::mutex> guard(waitLock());
        thread->priority = nPriority;
        if (thread->finished) return TRUE;
        tid = thread->tid;
    }
    // Best effort: raising the priority needs a privilege the user may lack.
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceOf(nPriority));
    return TRUE;
}

WINBASEAPI int WINAPI GetThreadPriority(HANDLE hThread) {
    if (hThread == GetCurrentThread()) {
        if (!currentThread) return THREAD_PRIORITY_NORMAL;
        std::lock_guard<std::mutex> guard(waitLock());
        return currentThread->priority;
    }
    auto thread = handleGet<Thread>(hThread);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    std::lock_guard<std::mutex> guard(waitLock());
    return thread->priority;
}

WINBASEAPI void WINAPI ExitThread(DWORD dwExitCode) {
    if (currentFinisher) currentFinisher->code = dwExitCode;
    // Unwinds the thread's stack, so the finisher records the end.
    pthread_exit(nullptr);
}

WINBASEAPI DWORD WINAPI GetCurrentThreadId(void) { return currentThreadId(); }

WINBASEAPI DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

}  // extern "C"
