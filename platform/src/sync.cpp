// Events, mutexes and semaphores; names are process-local.
#include "waitable.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

using namespace platform;

namespace {

class Event : public Waitable {
public:
    Event(bool manual, bool initial) : Waitable(ObjectType::Event), manual_(manual), signaled_(initial) {}
    uint64_t snapshot() const override { return pulses_; }
    bool isSignaled(DWORD, uint64_t snapshot) const override { return signaled_ || pulses_ != snapshot; }
    bool acquire(DWORD) override {
        if (!manual_) signaled_ = false;
        return false;
    }
    // The functions below run with the wait lock held.
    void set() { signaled_ = true; }
    void reset() { signaled_ = false; }
    void pulse() {
        if (manual_) {
            // Releases exactly the threads waiting now: they see a new pulse count.
            ++pulses_;
            signaled_ = false;
        } else {
            // Latched: stays signalled until one waiter takes it.
            signaled_ = true;
        }
    }

private:
    bool manual_;
    bool signaled_;
    uint64_t pulses_ = 0;
};

// Is the thread still running? (A thread that ended while owning a mutex
// leaves it abandoned: the next waiter gets it with WAIT_ABANDONED.)
bool threadAlive(DWORD tid) { return syscall(SYS_tgkill, getpid(), tid, 0) == 0 || errno != ESRCH; }

class Mutex : public Waitable {
public:
    Mutex() : Waitable(ObjectType::Mutex) {}
    bool isSignaled(DWORD tid, uint64_t) const override {
        return owner_ == 0 || owner_ == tid || !threadAlive(owner_);
    }
    bool acquire(DWORD tid) override {
        bool abandoned = owner_ != 0 && owner_ != tid;
        if (abandoned) count_ = 0;
        owner_ = tid;
        ++count_;
        return abandoned;
    }
    bool needsPolling(DWORD tid) const override { return owner_ != 0 && owner_ != tid; }
    bool release(DWORD tid) {
        if (owner_ != tid || count_ == 0) return false;
        if (--count_ == 0) owner_ = 0;
        return true;
    }

private:
    DWORD owner_ = 0;
    uint32_t count_ = 0;
};

class Semaphore : public Waitable {
public:
    Semaphore(LONG initial, LONG maximum) : Waitable(ObjectType::Semaphore), count_(initial), max_(maximum) {}
    bool isSignaled(DWORD, uint64_t) const override { return count_ > 0; }
    bool acquire(DWORD) override {
        --count_;
        return false;
    }
    bool release(LONG n, LONG *previous) {
        if (n <= 0 || n > max_ - count_) return false;
        if (previous) *previous = count_;
        count_ += n;
        return true;
    }

private:
    LONG count_;
    LONG max_;
};

// Named objects of all kinds share one name space, as on Windows. Guarded by
// the wait lock.
std::map<std::string, std::weak_ptr<Waitable>> &names() {
    static auto *m = new std::map<std::string, std::weak_ptr<Waitable>>;
    return *m;
}

// Creates or opens a named object (the caller holds the wait lock). Returns
// the object, or null with the last error set when the name belongs to an
// object of another kind.
template <typename T, typename Make>
std::shared_ptr<T> createNamed(LPCSTR name, ObjectType type, bool *existed, Make make) {
    *existed = false;
    if (!name || !*name) return make();
    auto &table = names();
    auto it = table.find(name);
    if (it != table.end()) {
        if (auto found = it->second.lock()) {
            if (found->type() != type) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            *existed = true;
            return std::static_pointer_cast<T>(found);
        }
    }
    // Drop names of objects that are gone, then record the new one.
    for (auto i = table.begin(); i != table.end();) i = i->second.expired() ? table.erase(i) : std::next(i);
    std::shared_ptr<T> object = make();
    table[name] = object;
    return object;
}

template <typename T>
HANDLE openNamed(LPCSTR name, ObjectType type) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<T> object;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        auto it = names().find(name);
        auto found = it == names().end() ? nullptr : it->second.lock();
        if (!found) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        if (found->type() != type) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        object = std::static_pointer_cast<T>(found);
    }
    return handleNew(object);
}

template <typename T>
HANDLE newHandle(const std::shared_ptr<T> &object, bool existed) {
    HANDLE h = handleNew(object);
    if (h) SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

struct CriticalSection {
    std::recursive_mutex lock;
};

}  // namespace

extern "C" {

WINBASEAPI HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
    bool existed;
    std::shared_ptr<Event> event;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        event = createNamed<Event>(lpName, ObjectType::Event, &existed, [&] {
            return std::make_shared<Event>(bManualReset != FALSE, bInitialState != FALSE);
        });
    }
    return event ? newHandle(event, existed) : nullptr;
}

WINBASEAPI HANDLE WINAPI OpenEventA(DWORD, BOOL, LPCSTR lpName) { return openNamed<Event>(lpName, ObjectType::Event); }

static BOOL changeEvent(HANDLE hEvent, void (Event::*change)()) {
    auto event = handleGet<Event>(hEvent);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(waitLock());
        ((*event).*change)();
    }
    waitNotifyAll();
    return TRUE;
}

WINBASEAPI BOOL WINAPI SetEvent(HANDLE hEvent) { return changeEvent(hEvent, &Event::set); }
WINBASEAPI BOOL WINAPI ResetEvent(HANDLE hEvent) { return changeEvent(hEvent, &Event::reset); }
WINBASEAPI BOOL WINAPI PulseEvent(HANDLE hEvent) { return changeEvent(hEvent, &Event::pulse); }

WINBASEAPI HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
    bool existed;
    std::shared_ptr<Mutex> mutex;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        mutex = createNamed<Mutex>(lpName, ObjectType::Mutex, &existed, [] { return std::make_shared<Mutex>(); });
        // Initial ownership is only granted to the creator of the object.
        if (mutex && bInitialOwner && !existed) mutex->acquire(currentThreadId());
    }
    return mutex ? newHandle(mutex, existed) : nullptr;
}

WINBASEAPI HANDLE WINAPI OpenMutexA(DWORD, BOOL, LPCSTR lpName) { return openNamed<Mutex>(lpName, ObjectType::Mutex); }

WINBASEAPI BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
    auto mutex = handleGet<Mutex>(hMutex);
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool released;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        released = mutex->release(currentThreadId());
    }
    if (!released) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    waitNotifyAll();
    return TRUE;
}

WINBASEAPI HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG lInitialCount, LONG lMaximumCount,
                                          LPCSTR lpName) {
    if (lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool existed;
    std::shared_ptr<Semaphore> semaphore;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        semaphore = createNamed<Semaphore>(lpName, ObjectType::Semaphore, &existed, [&] {
            return std::make_shared<Semaphore>(lInitialCount, lMaximumCount);
        });
    }
    return semaphore ? newHandle(semaphore, existed) : nullptr;
}

WINBASEAPI BOOL WINAPI ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount) {
    auto semaphore = handleGet<Semaphore>(hSemaphore);
    if (!semaphore) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool released;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        released = semaphore->release(lReleaseCount, lpPreviousCount);
    }
    if (!released) {
        SetLastError(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    waitNotifyAll();
    return TRUE;
}

WINBASEAPI void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    *cs = CRITICAL_SECTION{};
    cs->DebugInfo = new CriticalSection;
}

WINBASEAPI void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    delete static_cast<CriticalSection *>(cs->DebugInfo);
    cs->DebugInfo = nullptr;
}

WINBASEAPI void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
    static_cast<CriticalSection *>(cs->DebugInfo)->lock.lock();
    cs->OwningThread = handleFromValue(currentThreadId());
    ++cs->RecursionCount;
}

WINBASEAPI BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
    if (!static_cast<CriticalSection *>(cs->DebugInfo)->lock.try_lock()) return FALSE;
    cs->OwningThread = handleFromValue(currentThreadId());
    ++cs->RecursionCount;
    return TRUE;
}

WINBASEAPI void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    if (--cs->RecursionCount == 0) cs->OwningThread = nullptr;
    static_cast<CriticalSection *>(cs->DebugInfo)->lock.unlock();
}

}  // extern "C"
