// The tooltip module: 16 slots of window, tooltip window and message hook.
// Each slot's hook procedure is its own function (a hook procedure is not
// told which hook it is), made from one template.
#include "tooltip.h"

#include <commctrl.h>

#include <array>
#include <utility>

namespace {

struct Slot {
    HWND window = nullptr;
    HWND tooltip = nullptr;
    HHOOK hook = nullptr;
};

bool g_started = false;
Slot g_slots[TIPMOD_SLOTS];

// The mouse messages a tooltip is shown: moves and presses, but not the
// double click (the tooltip would take it for a press).
bool relayed(UINT message) {
    return message >= WM_MOUSEMOVE && message <= WM_MBUTTONDOWN && message != WM_LBUTTONDBLCLK;
}

LRESULT relay(int slot, int code, WPARAM wParam, LPARAM lParam) {
    Slot& s = g_slots[slot];
    HHOOK hook = s.hook;
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && msg && s.tooltip && relayed(msg->message) && IsChild(s.window, msg->hwnd))
        SendMessageA(s.tooltip, TTM_RELAYEVENT, 0, lParam);
    return CallNextHookEx(hook, code, wParam, lParam);
}

template <int N>
LRESULT CALLBACK slotHook(int code, WPARAM wParam, LPARAM lParam) {
    return relay(N, code, wParam, lParam);
}

template <size_t... I>
constexpr auto makeHooks(std::index_sequence<I...>) {
    return std::array<HOOKPROC, sizeof...(I)>{slotHook<static_cast<int>(I)>...};
}

const auto HOOKS = makeHooks(std::make_index_sequence<TIPMOD_SLOTS>());

int slotOf(HWND window) {
    for (int i = 0; i < TIPMOD_SLOTS; ++i)
        if (window && g_slots[i].window == window) return i;
    return -1;
}

void release(Slot& s) {
    if (s.hook) UnhookWindowsHookEx(s.hook);
    if (s.tooltip && IsWindow(s.tooltip)) DestroyWindow(s.tooltip);
    s = Slot{};
}

}  // namespace

int tipmodStart() {
    if (g_started) return -1;
    for (Slot& s : g_slots) s = Slot{};
    g_started = true;
    return 0;
}

int tipmodStop() {
    if (!g_started) return -1;
    for (Slot& s : g_slots)
        if (s.window) release(s);
    g_started = false;
    return 0;
}

int tipmodAttach(HWND window, HINSTANCE instance) {
    if (!g_started) return -1;
    if (!IsWindow(window)) return -2;
    int slot = slotOf(window);
    if (slot >= 0) {
        release(g_slots[slot]);
    } else {
        for (int i = 0; i < TIPMOD_SLOTS && slot < 0; ++i)
            if (!g_slots[i].window) slot = i;
        if (slot < 0) return -4;
    }
    Slot& s = g_slots[slot];
    s.tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    if (!s.tooltip) return -3;
    s.hook = SetWindowsHookExA(WH_GETMESSAGE, HOOKS[static_cast<size_t>(slot)], nullptr, GetCurrentThreadId());
    if (!s.hook) {
        DestroyWindow(s.tooltip);
        s = Slot{};
        return -3;
    }
    s.window = window;
    return slot;
}

int tipmodAddTool(HWND control) {
    if (!g_started) return -1;
    if (!IsWindow(control)) return -2;
    HWND parent = GetParent(control);
    int slot = slotOf(parent);
    if (slot < 0) return -2;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    return SendMessageA(g_slots[slot].tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) ? 0 : -2;
}

int tipmodDetach(HWND window) {
    if (!g_started) return -1;
    int slot = slotOf(window);
    if (slot < 0) return -2;
    release(g_slots[slot]);
    return 0;
}

HWND tipmodTooltipOf(HWND window) {
    int slot = g_started ? slotOf(window) : -1;
    return slot >= 0 ? g_slots[slot].tooltip : nullptr;
}
