// Helpers of the host module tests: solid test icons, a message loop that
// runs until a condition holds, and a stand-in for the notification area that
// records every call the tray module makes.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace cradletest {

// A 16 x 16 icon of one colour (0x00BBGGRR), opaque.
HICON solidIcon(COLORREF colour, int size = 16);
// The colour of the icon's centre pixel (0x00BBGGRR); 0xFF000000 when it is
// transparent, 0xFFFFFFFF for no icon.
DWORD iconColour(HICON icon);
constexpr DWORD kTransparent = 0xFF000000u;
constexpr DWORD kNoIcon = 0xFFFFFFFFu;

// A hidden top-level window of a plain class, on this thread.
HWND plainWindow(const char *className = "CradleTestOwner");

// Dispatches this thread's messages (and so its timers) until done() holds;
// false at the time-out.
bool runUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// One call the tray module made.
struct ShellCall {
    DWORD message;
    DWORD size;
    UINT flags;
    HWND window;
    UINT id;
    UINT callback;
    DWORD colour;  // iconColour of hIcon when NIF_ICON is set, else kNoIcon
    std::string tip;
    std::string info;
    std::string infoTitle;
    UINT timeout;
    DWORD infoFlags;
    unsigned tick;  // traymodTicks() when the call was made
    bool result;
};

// Behaves like a notification area: NIM_MODIFY and NIM_DELETE need the icon,
// NIM_ADD refuses one that is there; refuse() makes every call fail.
class ShellRecorder {
public:
    static ShellRecorder &instance();
    void install();    // traymodSetNotifyFunction
    void uninstall();
    // Forgets the calls and the icons (a new notification area).
    void clear();
    // Forgets the calls only.
    void clearCalls();
    std::vector<ShellCall> calls();
    size_t count();
    bool present(HWND window, UINT id);
    void refuse(bool on);
    // Calls whose message is m, in order.
    std::vector<ShellCall> callsOf(DWORD m);

private:
    static BOOL record(DWORD message, PNOTIFYICONDATAA data);
    std::mutex lock_;
    std::vector<ShellCall> calls_;
    std::set<std::pair<HWND, UINT>> icons_;
    bool refuse_ = false;
};

}  // namespace cradletest
