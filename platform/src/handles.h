// The process-wide handle table. Every HANDLE-like value the layer hands out
// (HANDLE, HMODULE, HICON, HBITMAP, HRSRC, HGLOBAL...) is a small integer key
// of this table, never an address, so it fits in 32 bits.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

// Internal interfaces that the user-interface library (libplatformui) shares
// with this one: visible to the suite's own libraries, never part of the Win32
// names the Parts call.
#define PLATFORM_INTERNAL __attribute__((visibility("default")))

namespace platform {

// Kinds of objects in the table; handleGet<T> checks the kind.
enum class ObjectType {
    File,
    Find,
    Event,
    Mutex,
    Semaphore,
    Thread,
    Mailslot,
    ChangeNotification,
    Module,
    Icon,
    Bitmap,
    Resource,
    ResourceData,
    Window,       // HWND (libplatformui)
    Menu,         // HMENU (libplatformui)
    Accelerator,  // HACCEL (libplatformui)
    Other,
};

class PlatformObject;
using HandleValue = uint32_t;
PLATFORM_INTERNAL HandleValue handleInsert(std::shared_ptr<PlatformObject> object);
PLATFORM_INTERNAL std::shared_ptr<PlatformObject> handleRemove(HandleValue value);

class PLATFORM_INTERNAL PlatformObject {
public:
    explicit PlatformObject(ObjectType type) : type_(type) {}
    virtual ~PlatformObject() = default;
    PlatformObject(const PlatformObject &) = delete;
    PlatformObject &operator=(const PlatformObject &) = delete;

    ObjectType type() const { return type_; }

    // Called once the last handle of the object is removed from the table,
    // while operations in progress may still hold the object (a blocking read
    // is woken here, for example).
    virtual void lastHandleClosed() {}

private:
    friend HandleValue handleInsert(std::shared_ptr<PlatformObject> object);
    friend std::shared_ptr<PlatformObject> handleRemove(HandleValue value);
    ObjectType type_;
    int handles_ = 0;  // table entries that refer to the object; guarded by the table's lock
};

// A handle value is non-zero, never INVALID_HANDLE_VALUE, below 2^31.
// handleInsert adds an object; returns its new handle value, 0 when the table is full.

// The object of a handle value, or null for an unknown value.
PLATFORM_INTERNAL std::shared_ptr<PlatformObject> handleGetObject(HandleValue value);

// handleRemove removes a handle; returns the object it referred to (null if
// unknown), so the caller can finish it outside the table's lock.

// Any handle type to and from a table value.
template <typename H>
inline HandleValue handleValue(H h) {
    return static_cast<HandleValue>(reinterpret_cast<uintptr_t>(h));
}
template <typename H = HANDLE>
inline H handleFromValue(HandleValue value) {
    return reinterpret_cast<H>(static_cast<uintptr_t>(value));
}

// The object of a handle if it is a T (by dynamic type), else null.
template <typename T, typename H>
std::shared_ptr<T> handleGet(H h) {
    return std::dynamic_pointer_cast<T>(handleGetObject(handleValue(h)));
}

// Inserts and returns the handle as type H (null when the table is full,
// with ERROR_NOT_ENOUGH_MEMORY set).
template <typename H = HANDLE>
H handleNew(std::shared_ptr<PlatformObject> object) {
    HandleValue v = handleInsert(std::move(object));
    if (v == 0) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return handleFromValue<H>(v);
}

}  // namespace platform
