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

// Runs action(window) from the message loop once a window with this caption
// exists (a modal dialog the code under test opened); gives up after 10 s.
class WhenShown {
public:
    WhenShown(const char *caption, std::function<void(HWND)> action) {
        pending() = Pending{caption, std::move(action), std::chrono::steady_clock::now() + std::chrono::seconds(10)};
        timer_ = SetTimer(nullptr, 0, 15, tick);
    }
    ~WhenShown() {
        KillTimer(nullptr, timer_);
        pending() = Pending{};
    }
    static bool ran() { return pending().ran; }

private:
    struct Pending {
        std::string caption;
        std::function<void(HWND)> action;
        std::chrono::steady_clock::time_point deadline;
        bool ran = false;
    };
    static Pending &pending() {
        static Pending p;
        return p;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        Pending &p = pending();
        if (p.ran || !p.action) return;
        HWND w = FindWindowA(nullptr, p.caption.c_str());
        if (!w) {
            if (std::chrono::steady_clock::now() > p.deadline) {
                ADD_FAILURE() << "no window \"" << p.caption << "\" appeared";
                p.ran = true;
            }
            return;
        }
        p.ran = true;
        p.action(w);
    }
    UINT_PTR timer_;
};

// A button click as the dialog sees it.
inline void click(HWND dlg, int id) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

// Where screenshots of this area go.
inline std::string screenshot(const std::string &name) {
    fs::path dir = fs::path(SUITE_BINARY_DIR) / "screenshots" / "settings";
    fs::create_directories(dir);
    return (dir / (name + ".png")).string();
}

}  // namespace settingstest
