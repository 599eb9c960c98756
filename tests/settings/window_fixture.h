// The settings window under test: the plug-in manager with the page test
// plug-in in a temporary program directory, the shell state pointing at it,
// message boxes answered by the test, and helpers that read the window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "plugin_host.h"
#include "settings/defaults.h"
#include "settings/settings.h"
#include "settings/settings_ids.h"
#include "settings/settings_window.h"
#include "settings_fixture.h"
#include "shell/shell.h"
#include "shell/startup.h"

namespace settingstest {

// Message boxes: every box is recorded and answered with the next answer
// (IDYES when none is left).
struct Boxes {
    std::vector<std::string> texts;
    std::vector<int> answers;
    static int hook(void *context, HWND, LPCSTR text, LPCSTR, UINT) {
        auto *b = static_cast<Boxes *>(context);
        b->texts.push_back(text ? text : "");
        if (b->answers.empty()) return IDYES;
        int a = b->answers.front();
        b->answers.erase(b->answers.begin());
        return a;
    }
};

// Points the shell state at a started plug-in host, as the program's start-up
// does: its branding module, directories and switches, the owner window as
// the main window, no tray icon.
inline void pointShellAt(suite::PluginHost &host) {
    ShellState &s = shellState();
    s.branding = host.brandingModule();
    s.mainWindow = ownerWindow();
    s.trayIcon = -1;
    s.trayMenu = nullptr;
    std::snprintf(s.title, sizeof s.title, "Skyloom Client");
    std::snprintf(s.className, sizeof s.className, "LOOMC:PROGRAM");
    std::snprintf(s.paths.config, sizeof s.paths.config, "%s", host.configPath().c_str());
    std::snprintf(s.paths.programDir, sizeof s.paths.programDir, "%s", host.directory().c_str());
    std::snprintf(s.paths.help, sizeof s.paths.help, "%scradle.hlp", host.directory().c_str());
    std::snprintf(s.paths.defaultHelp, sizeof s.paths.defaultHelp, "%scradle.hlp", host.directory().c_str());
    std::snprintf(s.paths.extDir, sizeof s.paths.extDir, "%s", host.extDirectory().c_str());
    std::snprintf(s.paths.branding, sizeof s.paths.branding, "%skeystone.dll", host.directory().c_str());
    shellReadSwitches();
}

class SettingsWindowTest : public ::testing::Test {
protected:
    void start(const std::string &ini) {
        host.addPlugin(PAGE_PLUGIN_PATH, "pages.dll");
        host.setConfig(ini);
        ASSERT_EQ(host.start(), 0);
        saved = shellState();
        pointShellAt(host);
        HMODULE plugin = GetModuleHandleA((host.extDirectory() + "pages.dll").c_str());
        ASSERT_NE(plugin, nullptr);
        events = reinterpret_cast<const char *(*)()>(GetProcAddress(plugin, "pageTestEvents"));
        notifications = reinterpret_cast<const char *(*)()>(GetProcAddress(plugin, "pageTestNotifications"));
        setAnswer = reinterpret_cast<void (*)(int, LONG_PTR)>(GetProcAddress(plugin, "pageTestSetAnswer"));
        reset = reinterpret_cast<void (*)()>(GetProcAddress(plugin, "pageTestReset"));
        ASSERT_TRUE(events && notifications && setAnswer && reset);
        reset();
        uiSetMessageBoxHook(Boxes::hook, &boxes);
    }
    void TearDown() override {
        uiSetMessageBoxHook(nullptr, nullptr);
        host.stop();
        shellState() = saved;
    }

    // The tree as lines: "Text" at the top level, "  Text" below.
    static std::vector<std::string> tree(HWND window) {
        std::vector<std::string> out;
        HWND tv = GetDlgItem(window, IDC_SW_TREE);
        auto next = [tv](HTREEITEM item, UINT how) {
            return reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
        };
        auto text = [tv](HTREEITEM item) {
            char buf[128] = "";
            TVITEMA it{};
            it.mask = TVIF_TEXT;
            it.hItem = item;
            it.pszText = buf;
            it.cchTextMax = sizeof buf;
            SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
            return std::string(buf);
        };
        for (HTREEITEM top = next(nullptr, TVGN_ROOT); top; top = next(top, TVGN_NEXT)) {
            out.push_back(text(top));
            for (HTREEITEM child = next(top, TVGN_CHILD); child; child = next(child, TVGN_NEXT))
                out.push_back("  " + text(child));
        }
        return out;
    }
    static std::string selectedText(HWND window) {
        HWND tv = GetDlgItem(window, IDC_SW_TREE);
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, TVGN_CARET, 0));
        char buf[128] = "";
        TVITEMA it{};
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        if (item) SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        return buf;
    }
    // Selects the entry with this text (the first found, top level first).
    static void select(HWND window, const std::string &wanted, int occurrence = 0) {
        HWND tv = GetDlgItem(window, IDC_SW_TREE);
        std::vector<HTREEITEM> items;
        auto next = [tv](HTREEITEM item, UINT how) {
            return reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
        };
        for (HTREEITEM top = next(nullptr, TVGN_ROOT); top; top = next(top, TVGN_NEXT)) {
            items.push_back(top);
            for (HTREEITEM child = next(top, TVGN_CHILD); child; child = next(child, TVGN_NEXT)) items.push_back(child);
        }
        for (HTREEITEM item : items) {
            char buf[128] = "";
            TVITEMA it{};
            it.mask = TVIF_TEXT;
            it.hItem = item;
            it.pszText = buf;
            it.cchTextMax = sizeof buf;
            SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
            if (wanted == buf && occurrence-- == 0) {
                SendMessageA(tv, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
                return;
            }
        }
        ADD_FAILURE() << "no tree entry " << wanted;
    }
    // The page window of the selected entry (a visible child of frame 30).
    static HWND visiblePage(HWND window) {
        HWND frame = GetDlgItem(window, IDC_SW_FRAME);
        for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (IsWindowVisible(c)) return c;
        return nullptr;
    }
    static bool enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

    suite::PluginHost host;
    ShellState saved{};
    Boxes boxes;
    const char *(*events)() = nullptr;
    const char *(*notifications)() = nullptr;
    void (*setAnswer)(int, LONG_PTR) = nullptr;
    void (*reset)() = nullptr;
};

// The configuration most tests start from: tips off, three categories.
inline std::string baseIni(const std::string &extra = "", const std::string &settings = "") {
    return "[Tips]\nShowTips=0\n[Settings]\nNotifyMinimize=0\n" + settings + extra;
}

}  // namespace settingstest
