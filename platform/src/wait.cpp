// WaitForSingleObject and WaitForMultipleObjects over the shared wait lock.
#include "waitable.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace platform {

std::mutex &waitLock() {
    static std::mutex *m = new std::mutex;
    return *m;
}

std::condition_variable &waitCondition() {
    static std::condition_variable *c = new std::condition_variable;
    return *c;
}

void waitNotifyAll() { waitCondition().notify_all(); }

}  // namespace platform

using namespace platform;

extern "C" {

WINBASEAPI DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE *lpHandles, BOOL bWaitAll,
                                               DWORD dwMilliseconds) {
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<Waitable>> objects(nCount);
    for (DWORD i = 0; i < nCount; ++i) {
        objects[i] = handleGet<Waitable>(lpHandles[i]);
        if (!objects[i]) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const DWORD tid = currentThreadId();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);

    std::unique_lock<std::mutex> lock(waitLock());
    std::vector<uint64_t> snapshots(nCount);
    for (DWORD i = 0; i < nCount; ++i) snapshots[i] = objects[i]->snapshot();

    for (;;) {
        if (bWaitAll) {
            bool all = true;
            for (DWORD i = 0; i < nCount && all; ++i) all = objects[i]->isSignaled(tid, snapshots[i]);
            if (all) {
                bool abandoned = false;
                for (DWORD i = 0; i < nCount; ++i) abandoned = objects[i]->acquire(tid) || abandoned;
                waitNotifyAll();
                return abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
            }
        } else {
            for (DWORD i = 0; i < nCount; ++i) {
                if (objects[i]->isSignaled(tid, snapshots[i])) {
                    bool abandoned = objects[i]->acquire(tid);
                    waitNotifyAll();
                    return (abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
                }
            }
        }
        if (dwMilliseconds == 0) return WAIT_TIMEOUT;
        // A mutex whose owner ends without releasing it changes state with no
        // notification; such waits look again every so often.
        bool poll = false;
        for (DWORD i = 0; i < nCount && !poll; ++i) poll = objects[i]->needsPolling(tid);
        const auto slice = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        if (dwMilliseconds == INFINITE) {
            if (poll) waitCondition().wait_until(lock, slice);
            else waitCondition().wait(lock);
        } else if (waitCondition().wait_until(lock, poll ? std::min(slice, deadline) : deadline) ==
                       std::cv_status::timeout &&
                   std::chrono::steady_clock::now() >= deadline) {
            // One last look: a state may have changed just at the deadline.
            bool any = false;
            if (bWaitAll) {
                any = true;
                for (DWORD i = 0; i < nCount && any; ++i) any = objects[i]->isSignaled(tid, snapshots[i]);
            } else {
                for (DWORD i = 0; i < nCount && !any; ++i) any = objects[i]->isSignaled(tid, snapshots[i]);
            }
            if (!any) return WAIT_TIMEOUT;
        }
    }
}

WINBASEAPI DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

}  // extern "C"
