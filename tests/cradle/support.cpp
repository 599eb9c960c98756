#include "support.h"

#include "tray/traymod.h"

#include <chrono>
#include <cstdlib>
#include <vector>

namespace cradletest {

namespace {
// No desktop for these tests: no session bus (the notification area is a
// recorder here) and Qt without a display.
[[maybe_unused]] const int environmentSet = [] {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return 0;
}();
}  // namespace

HICON solidIcon(COLORREF colour, int size) {
    std::vector<DWORD> pixels(static_cast<size_t>(size * size));
    // Bitmap bytes are blue, green, red, alpha.
    DWORD bgra = 0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (DWORD &p : pixels) p = bgra;
    std::vector<BYTE> mask(static_cast<size_t>(((size + 15) / 16) * 2 * size), 0);
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmColor = CreateBitmap(size, size, 1, 32, pixels.data());
    ii.hbmMask = CreateBitmap(size, size, 1, 1, mask.data());
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return icon;
}

DWORD iconColour(HICON icon) {
    if (!icon) return kNoIcon;
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return kNoIcon;
    BITMAP bm{};
    DWORD result = kNoIcon;
    if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof bm, &bm) && bm.bmBitsPixel == 32) {
        std::vector<BYTE> bits(static_cast<size_t>(bm.bmWidthBytes * bm.bmHeight));
        if (GetBitmapBits(ii.hbmColor, static_cast<LONG>(bits.size()), bits.data()) > 0) {
            size_t at = static_cast<size_t>((bm.bmHeight / 2) * bm.bmWidthBytes + (bm.bmWidth / 2) * 4);
            BYTE b = bits[at], g = bits[at + 1], r = bits[at + 2], a = bits[at + 3];
            result = a == 0 ? kTransparent : RGB(r, g, b);
        }
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    return result;
}

HWND plainWindow(const char *className) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.lpszClassName = className;
    RegisterClassA(&cls);
    return CreateWindowExA(0, className, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
}

bool runUntil(const std::function<bool()> &done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // A thread timer wakes the loop, so the deadline is noticed without a message.
    UINT_PTR wake = SetTimer(nullptr, 0, 20, nullptr);
    bool ok = true;
    MSG msg;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ok = false;
            break;
        }
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(nullptr, wake);
    return ok;
}

ShellRecorder &ShellRecorder::instance() {
    static ShellRecorder recorder;
    return recorder;
}

void ShellRecorder::install() { traymodSetNotifyFunction(&ShellRecorder::record); }
void ShellRecorder::uninstall() { traymodSetNotifyFunction(nullptr); }

void ShellRecorder::clear() {
    std::lock_guard<std::mutex> g(lock_);
    calls_.clear();
    icons_.clear();
    refuse_ = false;
}

void ShellRecorder::clearCalls() {
    std::lock_guard<std::mutex> g(lock_);
    calls_.clear();
}

std::vector<ShellCall> ShellRecorder::calls() {
    std::lock_guard<std::mutex> g(lock_);
    return calls_;
}

size_t ShellRecorder::count() {
    std::lock_guard<std::mutex> g(lock_);
    return calls_.size();
}

bool ShellRecorder::present(HWND window, UINT id) {
    std::lock_guard<std::mutex> g(lock_);
    return icons_.count({window, id}) != 0;
}

void ShellRecorder::refuse(bool on) {
    std::lock_guard<std::mutex> g(lock_);
    refuse_ = on;
}

std::vector<ShellCall> ShellRecorder::callsOf(DWORD m) {
    std::vector<ShellCall> out;
    for (const ShellCall &c : calls())
        if (c.message == m) out.push_back(c);
    return out;
}

BOOL ShellRecorder::record(DWORD message, PNOTIFYICONDATAA data) {
    ShellRecorder &self = instance();
    ShellCall c{};
    c.message = message;
    c.size = data->cbSize;
    c.flags = data->uFlags;
    c.window = data->hWnd;
    c.id = data->uID;
    c.callback = data->uCallbackMessage;
    c.colour = (data->uFlags & NIF_ICON) ? iconColour(data->hIcon) : kNoIcon;
    if (data->uFlags & NIF_TIP) c.tip = data->szTip;
    if (data->uFlags & NIF_INFO) {
        c.info = data->szInfo;
        c.infoTitle = data->szInfoTitle;
        c.timeout = data->uTimeout;
        c.infoFlags = data->dwInfoFlags;
    }
    c.tick = traymodTicks();
    std::lock_guard<std::mutex> g(self.lock_);
    auto key = std::make_pair(data->hWnd, data->uID);
    bool there = self.icons_.count(key) != 0;
    bool ok = !self.refuse_;
    if (ok) {
        switch (message) {
        case NIM_ADD: ok = !there; if (ok) self.icons_.insert(key); break;
        case NIM_MODIFY: ok = there; break;
        case NIM_DELETE: ok = there; self.icons_.erase(key); break;
        default: ok = false; break;
        }
    }
    c.result = ok;
    self.calls_.push_back(c);
    return ok ? TRUE : FALSE;
}

}  // namespace cradletest
