// Helpers of the settings tests: a temporary program directory with a
// cradle.ini, the branding module, an owner window, and a driver that acts on
// a modal dialog once it is shown.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace settingstest {

namespace fs = std::filesystem;

// A fresh directory under the build tree, removed at the end.
class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path_ = fs::path(SUITE_BINARY_DIR) / "tests" / "settings" /
                ("tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string dir() const { return path_.string() + "/"; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }
    void write(const std::string &name, const std::string &content) const {
        std::ofstream(path_ / name, std::ios::binary) << content;
    }
    std::string read(const std::string &name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    fs::path path_;
};

inline HMODULE branding() {
    static HMODULE module = LoadLibraryA((std::string(SUITE_DIST_DIR) + "/keystone.dll").c_str());
    return module;
}

// A plain hidden top-level window to own dialogs.
inline HWND ownerWindow() {
    static HWND owner = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "SettingsTestOwner";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "SettingsTestOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
    }();
    return owner;
}

// Runs actions from the message loop, each once a window with its caption
// exists (modal dialogs the code under test opens), in order; an action may
// open the next dialog itself. Steps not reached within 10 s fail the test.
class Script {
public:
    Script() { timer_ = SetTimer(nullptr, 0, 15, tick); }
    ~Script() {
        KillTimer(nullptr, timer_);
        for (size_t i = current(); i < steps().size(); ++i)
            ADD_FAILURE() << "no window \"" << steps()[i].caption << "\" appeared";
        steps().clear();
        current() = 0;
    }
    Script &then(const char *caption, std::function<void(HWND)> action) {
        steps().push_back(Step{caption, std::move(action)});
        deadline() = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        return *this;
    }
    static bool done() { return current() >= steps().size(); }

private:
    struct Step {
        std::string caption;
        std::function<void(HWND)> action;
    };
    static std::vector<Step> &steps() {
        static std::vector<Step> v;
        return v;
    }
    static size_t &current() {
        static size_t c = 0;
        return c;
    }
    static std::chrono::steady_clock::time_point &deadline() {
        static std::chrono::steady_clock::time_point d;
        return d;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current() >= steps().size()) return;
        Step &step = steps()[current()];
        HWND w = FindWindowA(nullptr, step.caption.c_str());
        if (!w || !IsWindowVisible(w)) {
            if (std::chrono::steady_clock::now() > deadline()) {
                // Give up on the whole script: close what is open so the test ends.
                if (HWND stuck = GetActiveWindow()) PostMessageA(stuck, WM_CLOSE, 0, 0);
            }
            return;
        }
        ++current();
        deadline() = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        auto action = step.action;
        action(w);
    }
    UINT_PTR timer_;
};

// A single step.
class WhenShown {
public:
    WhenShown(const char *caption, std::function<void(HWND)> action) { script_.then(caption, std::move(action)); }
    static bool ran() { return Script::done(); }

private:
    Script script_;
};

// A button click as the dialog sees it.
inline void click(HWND dlg, int id) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

inline std::string uitext(HWND hwnd) {
    char buf[512] = "";
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

// Where screenshots of this area go.
inline std::string screenshot(const std::string &name) {
    fs::path dir = fs::path(SUITE_BINARY_DIR) / "screenshots" / "settings";
    fs::create_directories(dir);
    return (dir / (name + ".png")).string();
}

}  // namespace settingstest
