// settings_bench PROGRAMDIR ROUNDS: opens the settings window with every page
// of the plug-ins in PROGRAMDIR/ext listed (expert mode) and closes it again,
// ROUNDS times, then switches between all its pages; and does the same with a
// property sheet of the same pages (the toolkit's own page container) as the
// peer. A message posted before the window opens is handled once it is built
// and its first page made, which is the moment measured.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "extmod/extmod.h"
#include "settings/defaults.h"
#include "settings/settings.h"
#include "settings/settings_ids.h"
#include "settings/settings_window.h"
#include "settings/tabsort.h"
#include "shell/shell.h"
#include "shell/startup.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kMeasure = WM_APP + 1;

Clock::time_point g_start;
std::vector<double> g_open, g_switch;
int g_switchRounds = 0;
bool g_peer = false;

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// Every tree entry that has a page, selected in turn.
void switchSettingsPages(HWND window) {
    HWND tv = GetDlgItem(window, IDC_SW_TREE);
    std::vector<HTREEITEM> items;
    auto next = [tv](HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    for (HTREEITEM top = next(nullptr, TVGN_ROOT); top; top = next(top, TVGN_NEXT)) {
        items.push_back(top);
        for (HTREEITEM c = next(top, TVGN_CHILD); c; c = next(c, TVGN_NEXT)) items.push_back(c);
    }
    for (int round = 0; round < g_switchRounds; ++round)
        for (HTREEITEM item : items) {
            auto t0 = Clock::now();
            SendMessageA(tv, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
            g_switch.push_back(ms(t0, Clock::now()));
        }
}

void switchSheetPages(HWND sheet, int pages) {
    for (int round = 0; round < g_switchRounds; ++round)
        for (int p = 0; p < pages; ++p) {
            auto t0 = Clock::now();
            SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(p), 0);
            g_switch.push_back(ms(t0, Clock::now()));
        }
}

int g_sheetPages = 0;

LRESULT CALLBACK helperProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg != kMeasure) return DefWindowProcA(h, msg, w, l);
    g_open.push_back(ms(g_start, Clock::now()));
    if (g_peer) {
        HWND sheet = GetActiveWindow();
        switchSheetPages(sheet, g_sheetPages);
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    } else {
        HWND window = shellState().settingsWindow;
        switchSettingsPages(window);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SW_CANCEL, BN_CLICKED), 0);
    }
    return 0;
}

HWND helperWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = helperProc;
    wc.lpszClassName = "SettingsBenchHelper";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char *what, const std::vector<double> &ours, const std::vector<double> &peer) {
    double a = median(ours), b = median(peer);
    std::printf("%-26s settings window %8.2f ms   property sheet %8.2f ms   ratio %.2f\n", what, a, b, b > 0 ? a / b : 0);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: settings_bench PROGRAMDIR ROUNDS\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/') dir += '/';
    int rounds = std::max(1, std::atoi(argv[2]));
    g_switchRounds = 5;

    ShellState &s = shellState();
    std::snprintf(s.title, sizeof s.title, "Skyloom Client");
    std::snprintf(s.className, sizeof s.className, "LOOMC:PROGRAM");
    std::snprintf(s.paths.programDir, sizeof s.paths.programDir, "%s", dir.c_str());
    std::snprintf(s.paths.config, sizeof s.paths.config, "%scradle.ini", dir.c_str());
    std::snprintf(s.paths.extDir, sizeof s.paths.extDir, "%sext/", dir.c_str());
    std::snprintf(s.paths.help, sizeof s.paths.help, "%scradle.hlp", dir.c_str());
    std::snprintf(s.paths.defaultHelp, sizeof s.paths.defaultHelp, "%scradle.hlp", dir.c_str());
    s.trayIcon = -1;
    s.branding = LoadLibraryA((dir + "keystone.dll").c_str());
    if (!s.branding) {
        std::fprintf(stderr, "no keystone.dll in %s\n", dir.c_str());
        return 1;
    }
    HWND helper = helperWindow();
    s.mainWindow = helper;
    if (extmodInit(s.paths.extDir, helper, s.branding, "Skyloom", s.paths.config, 201) != 0) {
        std::fprintf(stderr, "the plug-in manager did not start\n");
        return 1;
    }
    shellReadSwitches();
    s.switches.expertMode = 1;  // every page listed
    s.switches.notifyMinimize = 0;
    s.switches.passwordProperties = 0;
    WritePrivateProfileStringA("Tips", "ShowTips", "0", s.paths.config);

    for (int r = 0; r < rounds; ++r) {
        PostMessageA(helper, kMeasure, 0, 0);
        g_start = Clock::now();
        settingsOpen(0);
    }
    std::vector<double> open = g_open, switched = g_switch;

    // The peer: a property sheet of the same plug-in pages.
    std::vector<PROPSHEETPAGEA> pages;
    for (int n = 0; n < 16; ++n) {
        PROPSHEETPAGEA p{};
        if (extmodGetPage(&p, n) == 0) pages.push_back(p);
    }
    g_sheetPages = static_cast<int>(pages.size());
    g_open.clear();
    g_switch.clear();
    g_peer = true;
    for (int r = 0; r < rounds && !pages.empty(); ++r) {
        PROPSHEETHEADERA h{};
        h.dwSize = sizeof h;
        h.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
        h.hwndParent = helper;
        h.pszCaption = "Peer";
        h.nPages = static_cast<UINT>(pages.size());
        h.ppsp = pages.data();
        PostMessageA(helper, kMeasure, 0, 0);
        g_start = Clock::now();
        PropertySheetA(&h);
    }
    std::printf("%d plug-in pages and the host's two; %d rounds\n", g_sheetPages, rounds);
    report("open until first page", open, g_open);
    report("switch to a page", switched, g_switch);
    extmodShutdown();
    return 0;
}
