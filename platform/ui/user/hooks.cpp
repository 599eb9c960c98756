// SetWindowsHookExA, UnhookWindowsHookEx and CallNextHookEx for WH_GETMESSAGE.
// Hooks live in one table (any thread may install one for another); a run
// takes a snapshot of the chain that applies to its thread, so a procedure
// may unhook itself or others while it runs: a removed hook is skipped from
// then on, and the chain goes on past it.
#include "user/hooks.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::ui {
namespace {

struct Hook {
    HHOOK handle;
    HOOKPROC proc;
    DWORD thread;  // 0: every thread of the process
    std::atomic<bool> removed{false};
};
using Chain = std::vector<std::shared_ptr<Hook>>;

std::mutex tableLock;
Chain &table() {  // newest first
    static auto *t = new Chain;
    return *t;
}
std::atomic<int> installed{0};
uintptr_t nextHandle = 0x10;

// The chain of the run in progress on this thread (nested runs stack).
thread_local const Chain *running = nullptr;

Chain chainOf(DWORD thread) {
    std::lock_guard<std::mutex> g(tableLock);
    Chain c;
    for (const auto &h : table())
        if (h->thread == 0 || h->thread == thread) c.push_back(h);
    return c;
}

// Calls the first live hook of the chain from position `from` on.
LRESULT callFrom(const Chain &chain, size_t from, int code, WPARAM wParam, LPARAM lParam) {
    for (size_t i = from; i < chain.size(); ++i) {
        if (chain[i]->removed) continue;
        const Chain *saved = running;
        running = &chain;
        LRESULT r = chain[i]->proc(code, wParam, lParam);
        running = saved;
        return r;
    }
    return 0;
}

}  // namespace

bool hooksActive() { return installed.load() > 0; }

void hooksGetMessage(MSG *msg, UINT remove) {
    if (!hooksActive() || !msg) return;
    Chain chain = chainOf(GetCurrentThreadId());
    if (!chain.empty()) callFrom(chain, 0, HC_ACTION, remove & PM_REMOVE, reinterpret_cast<LPARAM>(msg));
}

}  // namespace platform::ui

using namespace platform::ui;

extern "C" {

WINUSERAPI HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD dwThreadId) {
    if (idHook != WH_GETMESSAGE) {
        SetLastError(ERROR_INVALID_HOOK_FILTER);
        return nullptr;
    }
    if (!lpfn) {
        SetLastError(ERROR_INVALID_FILTER_PROC);
        return nullptr;
    }
    auto hook = std::make_shared<Hook>();
    hook->proc = lpfn;
    hook->thread = dwThreadId;
    {
        std::lock_guard<std::mutex> g(tableLock);
        hook->handle = reinterpret_cast<HHOOK>(nextHandle);
        nextHandle += 4;
        table().insert(table().begin(), hook);
    }
    ++installed;
    return hook->handle;
}

WINUSERAPI BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk) {
    std::lock_guard<std::mutex> g(tableLock);
    auto it = std::find_if(table().begin(), table().end(), [hhk](const auto &h) { return h->handle == hhk; });
    if (!hhk || it == table().end()) {
        SetLastError(ERROR_INVALID_HOOK_HANDLE);
        return FALSE;
    }
    (*it)->removed = true;
    table().erase(it);
    --installed;
    return TRUE;
}

WINUSERAPI LRESULT WINAPI CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam) {
    // Inside a run: the hook after hhk in that run's chain. Outside one (or
    // for a hook the run does not know), the thread's chain after hhk.
    Chain own;
    const Chain *chain = running;
    if (!chain) {
        own = chainOf(GetCurrentThreadId());
        chain = &own;
    }
    auto it = std::find_if(chain->begin(), chain->end(), [hhk](const auto &h) { return h->handle == hhk; });
    if (it == chain->end()) return 0;
    return callFrom(*chain, static_cast<size_t>(it - chain->begin()) + 1, nCode, wParam, lParam);
}

}  // extern "C"
