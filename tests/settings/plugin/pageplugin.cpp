// A plug-in with three settings pages ("Alpha", "Beta", "Gamma") for the
// settings window tests. The pages record the notifications they receive and
// answer PSN_APPLY as the test tells them through the exported pageTest*
// functions; page Beta sets a tooltip text in its GWL_USERDATA. When the
// settings window builds its menu bar (notification 7) the plug-in adds
// "&Tools" / "&Check Pages" with command value 77 through the host's export.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "zelext.h"
#include "zelext_plugin.h"

#define PAGE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kPages = 3;
bool g_initialised = false;
HMODULE g_self = nullptr;
LONG_PTR g_answers[kPages] = {};
std::string g_events;
std::string g_notifications;
const char kBetaTip[] = "Beta's own tooltip";
constexpr int kToolsCommand = 77;
ZelextModuleTable g_modules;

HMODULE self() {
    if (!g_self) GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                    reinterpret_cast<LPCSTR>(&self), &g_self);
    return g_self;
}

void record(int page, const char *what) {
    char line[64];
    std::snprintf(line, sizeof line, "%c:%s;", "ABG"[page], what);
    g_events += line;
}

INT_PTR pageProc(int index, HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        record(index, "init");
        if (index == 1) SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kBetaTip));
        return TRUE;
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<const NMHDR *>(lParam);
        if (hdr->code == PSN_APPLY) {
            record(index, reinterpret_cast<const PSHNOTIFY *>(lParam)->lParam ? "ok" : "apply");
            SetWindowLongPtrA(page, DWLP_MSGRESULT, g_answers[index]);
            return TRUE;
        }
        if (hdr->code == PSN_SETACTIVE) {
            record(index, "active");
            SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (hdr->code == PSN_HELP) {
            record(index, "help");
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND:
        // Button 10 of every page: "changed".
        if (LOWORD(wParam) == 10) SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK alphaProc(HWND h, UINT m, WPARAM w, LPARAM l) { return pageProc(0, h, m, w, l); }
INT_PTR CALLBACK betaProc(HWND h, UINT m, WPARAM w, LPARAM l) { return pageProc(1, h, m, w, l); }
INT_PTR CALLBACK gammaProc(HWND h, UINT m, WPARAM w, LPARAM l) { return pageProc(2, h, m, w, l); }

}  // namespace

PAGE_EXPORT int zelextInitEx(const ExtInitInfo *info) {
    if (g_initialised) return -1;
    if (!info) return -2;
    zelextModulesClear(&g_modules);
    g_initialised = true;
    return 0;
}
PAGE_EXPORT int zelextShutdown() {
    if (!g_initialised) return -1;
    g_initialised = false;
    return 0;
}
PAGE_EXPORT HMODULE zelextGetModuleHandle() { return g_initialised ? self() : nullptr; }
PAGE_EXPORT int zelextGetDlgCount() { return g_initialised ? kPages : -1; }
PAGE_EXPORT int zelextGetEntryPointDlg(int page) { return page >= 0 && page < kPages ? 100 + page : -2; }
PAGE_EXPORT DLGPROC zelextGetEntryPointProc(int page) {
    static const DLGPROC procs[kPages] = {alphaProc, betaProc, gammaProc};
    return page >= 0 && page < kPages ? procs[page] : nullptr;
}
PAGE_EXPORT int zelextEnumModules(HMODULE module) {
    return g_initialised ? zelextModulesAdd(&g_modules, module) : -1;
}
PAGE_EXPORT int zelextNotifyChange(int code, int value) {
    if (code == EXT_NOTIFY_MENU_BAR) {
        int cursor = 0;
        if (auto add = zelextModulesNext<PFN_zelextAddMenuItem>(&g_modules, "zelextAddMenuItem", &cursor))
            add(value, "&Tools", "&Check Pages", kToolsCommand, self());
    }
    char line[64];
    std::snprintf(line, sizeof line, "%d:%d;", code, value);
    g_notifications += line;
    return 0;
}

// For the tests.
PAGE_EXPORT void pageTestSetAnswer(int page, LONG_PTR answer) {
    if (page >= 0 && page < kPages) g_answers[page] = answer;
}
PAGE_EXPORT const char *pageTestEvents() { return g_events.c_str(); }
PAGE_EXPORT const char *pageTestNotifications() { return g_notifications.c_str(); }
PAGE_EXPORT void pageTestReset() {
    g_events.clear();
    g_notifications.clear();
    for (LONG_PTR &a : g_answers) a = 0;
}
