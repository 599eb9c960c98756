// The host's process-wide state record.
#include "shell/shell.h"

ShellState &shellState() {
    static ShellState state = [] {
        ShellState s{};
        s.trayIcon = -1;
        return s;
    }();
    return state;
}

std::mutex &shellLock() {
    static std::mutex lock;
    return lock;
}
