// Accelerator tables: ACCEL records, from resources (8-byte entries, the
// last flagged 0x80) or built by the caller. TranslateAcceleratorA matches
// key-down messages (virtual keys with Shift, Ctrl and Alt exactly as given)
// and WM_CHAR (character keys) and sends the command as WM_COMMAND with 1
// in the high word.
#include "user/input.h"
#include "user/window.h"

#include <cstring>

using namespace platform;
using namespace platform::ui;

namespace {

class AcceleratorObject : public platform::PlatformObject {
public:
    AcceleratorObject() : PlatformObject(platform::ObjectType::Accelerator) {}
    std::vector<ACCEL> entries;
};

constexpr BYTE kLast = 0x80;

}  // namespace

extern "C" {

WINUSERAPI HACCEL WINAPI CreateAcceleratorTableA(LPACCEL paccel, int cAccel) {
    if (!paccel || cAccel <= 0 || cAccel > 0x7FFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto a = std::make_shared<AcceleratorObject>();
    a->entries.assign(paccel, paccel + cAccel);
    for (ACCEL &e : a->entries) e.fVirt &= static_cast<BYTE>(~kLast);
    return platform::handleNew<HACCEL>(a);
}

WINUSERAPI HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName) {
    HRSRC res = FindResourceA(hInstance, lpTableName, RT_ACCELERATOR);
    if (!res) return nullptr;
    HGLOBAL data = LoadResource(hInstance, res);
    const auto *p = data ? static_cast<const uint8_t *>(LockResource(data)) : nullptr;
    DWORD size = SizeofResource(hInstance, res);
    std::vector<ACCEL> entries;
    for (DWORD off = 0; p && off + 8 <= size; off += 8) {
        uint16_t flags, key, cmd;
        std::memcpy(&flags, p + off, 2);
        std::memcpy(&key, p + off + 2, 2);
        std::memcpy(&cmd, p + off + 4, 2);
        entries.push_back(ACCEL{static_cast<BYTE>(flags), key, cmd});
        if (flags & kLast) break;
    }
    if (entries.empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}

WINUSERAPI BOOL WINAPI DestroyAcceleratorTable(HACCEL hAccel) {
    if (!platform::handleGet<AcceleratorObject>(hAccel)) return FALSE;
    platform::handleRemove(platform::handleValue(hAccel));
    return TRUE;
}

WINUSERAPI int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
    auto table = platform::handleGet<AcceleratorObject>(hAccTable);
    if (!table || !lpMsg || !IsWindow(hWnd)) {
        SetLastError(!table ? ERROR_INVALID_ACCEL_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    UINT m = lpMsg->message;
    bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    bool character = m == WM_CHAR || m == WM_SYSCHAR;
    if (!keyDown && !character) return 0;
    BYTE mods = keyDown ? inputModifiersOf(*lpMsg) : 0;
    for (const ACCEL &a : table->entries) {
        bool match;
        if (a.fVirt & FVIRTKEY) {
            match = keyDown && a.key == lpMsg->wParam &&
                    (a.fVirt & (FSHIFT | FCONTROL | FALT)) == (mods & (FSHIFT | FCONTROL | FALT));
        } else {
            match = character && a.key == (lpMsg->wParam & 0xFF) &&
                    ((a.fVirt & FALT) != 0) == (m == WM_SYSCHAR);
        }
        if (!match) continue;
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

}  // extern "C"
