// The process-wide handle table and the generic handle functions.
#include "handles.h"

#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

// Values step by 4 (as Windows handles do) and stay below 2^31, so they are
// never mistaken for INVALID_HANDLE_VALUE or a negative LONG.
constexpr HandleValue kFirst = 4;
constexpr HandleValue kStep = 4;
constexpr HandleValue kLimit = 0x7FFFFFF0;

struct Table {
    std::mutex lock;
    std::unordered_map<HandleValue, std::shared_ptr<PlatformObject>> objects;
    HandleValue next = kFirst;
};

Table &table() {
    static Table *t = new Table;  // never destroyed: handles outlive static destruction order
    return *t;
}

}  // namespace

HandleValue handleInsert(std::shared_ptr<PlatformObject> object) {
    if (!object) return 0;
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.objects.size() >= (kLimit - kFirst) / kStep) return 0;
    // Values are not reused until the counter wraps, so a stale handle is
    // unlikely to name a new object.
    for (;;) {
        HandleValue v = t.next;
        t.next = (t.next + kStep >= kLimit) ? kFirst : t.next + kStep;
        if (t.objects.find(v) == t.objects.end()) {
            ++object->handles_;
            t.objects.emplace(v, std::move(object));
            return v;
        }
    }
}

std::shared_ptr<PlatformObject> handleGetObject(HandleValue value) {
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(value);
    return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<PlatformObject> handleRemove(HandleValue value) {
    Table &t = table();
    std::shared_ptr<PlatformObject> object;
    bool last;
    {
        std::lock_guard<std::mutex> guard(t.lock);
        auto it = t.objects.find(value);
        if (it == t.objects.end()) return nullptr;
        object = std::move(it->second);
        t.objects.erase(it);
        last = --object->handles_ == 0;
    }
    if (last) object->lastHandleClosed();
    return object;
}

}  // namespace platform

using namespace platform;

namespace {

// Kernel objects that CloseHandle closes; modules, icons and the like have
// their own functions.
bool closableByCloseHandle(ObjectType type) {
    switch (type) {
    case ObjectType::File:
    case ObjectType::Event:
    case ObjectType::Mutex:
    case ObjectType::Semaphore:
    case ObjectType::Thread:
    case ObjectType::Mailslot:
    case ObjectType::ChangeNotification:
        return true;
    default:
        return false;
    }
}

}  // namespace

extern "C" {

WINBASEAPI BOOL WINAPI CloseHandle(HANDLE hObject) {
    HandleValue v = handleValue(hObject);
    auto object = handleGetObject(v);
    if (!object || !closableByCloseHandle(object->type())) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object = handleRemove(v);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object.reset();  // the object ends here unless another handle holds it
    return TRUE;
}

WINBASEAPI HANDLE WINAPI GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

WINBASEAPI HANDLE WINAPI GetCurrentThread(void) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

WINBASEAPI BOOL WINAPI DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                                       HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle, DWORD, BOOL,
                                       DWORD dwOptions) {
    if (hSourceProcessHandle != GetCurrentProcess() || hTargetProcessHandle != GetCurrentProcess() ||
        !lpTargetHandle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HandleValue v = handleValue(hSourceHandle);
    auto object = handleGetObject(v);
    if (!object || !closableByCloseHandle(object->type())) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HANDLE copy = handleNew(object);
    if (!copy) return FALSE;
    if (dwOptions & DUPLICATE_CLOSE_SOURCE) handleRemove(v);
    *lpTargetHandle = copy;
    return TRUE;
}

}  // extern "C"
