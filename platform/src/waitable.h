// Waitable objects. All of them share one process-wide lock and condition
// variable: every change of a waitable object's state happens under the lock
// and wakes every waiter, who then re-checks its own objects. Simple, and no
// signal can be lost between a check and the sleep.
#pragma once

#include "handles.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

std::mutex &waitLock();
// Wakes all waiters; call after changing a state (with or without the lock).
void waitNotifyAll();
// The condition variable all waits sleep on.
std::condition_variable &waitCondition();

class Waitable : public PlatformObject {
public:
    using PlatformObject::PlatformObject;
    // Taken with the lock held when a wait starts (manual-reset pulses use it).
    virtual uint64_t snapshot() const { return 0; }
    // With the lock held: could the thread tid take this object now?
    virtual bool isSignaled(DWORD tid, uint64_t snapshot) const = 0;
    // With the lock held: the wait is satisfied; take the object (reset an
    // auto-reset event, own a mutex...). Returns true if it was abandoned.
    virtual bool acquire(DWORD tid) { (void)tid; return false; }
    // With the lock held: can this become signalled without a notification
    // (a mutex whose owner may end)? Such waits look again now and then.
    virtual bool needsPolling(DWORD tid) const { (void)tid; return false; }
};

// The calling thread's kernel thread id (cached per thread).
DWORD currentThreadId();

}  // namespace platform
