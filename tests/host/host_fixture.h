// Shared helpers of the host's tests: a temporary program directory with the
// real branding module loaded into the shell state, a Win32 loop that runs
// until a condition holds, and a recorder of message boxes.
#pragma once

#include <windows.h>

#include "shell/shell.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace hosttest {

// A temporary program directory: cradle.ini beside the branding module of
// the build, loaded into shellState() (paths, names, handles). Restores a
// zeroed state when it goes.
class ProgramDir {
public:
    ProgramDir();
    ~ProgramDir();
    ProgramDir(const ProgramDir &) = delete;
    ProgramDir &operator=(const ProgramDir &) = delete;

    const std::filesystem::path &dir() const { return dir_; }
    std::string config() const { return (dir_ / "cradle.ini").string(); }
    void write(const char *section, const char *key, const char *value) const;
    std::string read(const char *section, const char *key) const;

private:
    std::filesystem::path dir_;
};

// Runs a Win32 loop until cond() holds; false after timeoutMs. A quit
// message met on the way is taken and remembered (quitSeen).
bool pumpUntil(const std::function<bool()> &cond, int timeoutMs = 5000);
bool quitSeen();
void resetQuit();

// Calls step() from the message loop every 10 ms until it returns true (or
// the loop that runs it ends); used to drive modal dialogs from inside.
void driveFromLoop(std::function<bool()> step);
void stopDriving();

// A top-level window with that title, or null.
HWND findTitled(const char *title);

// Answers message boxes without showing them and records them.
struct MessageBoxes {
    struct Box {
        std::string text, caption;
        UINT type;
    };
    std::vector<Box> seen;
    std::vector<int> answers;  // answered in order; IDOK/the default once used up
    MessageBoxes();
    ~MessageBoxes();
};

}  // namespace hosttest
