#include "bus_session.h"

#include "shell/tray_host.h"

#include <windows.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace shelltest {

using Clock = std::chrono::steady_clock;

bool Child::start(const std::vector<std::string> &argv) {
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) return false;
    if (pipe2(fromChild, O_CLOEXEC) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
        // The bus and the stand-ins end with the test, even one that crashed.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        std::vector<char *> args;
        for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    return pid_ > 0;
}

bool Child::readLine(std::string *line, std::chrono::milliseconds timeout, const std::function<void()> &pump) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            *line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return true;
        }
        if (Clock::now() > deadline || out_ < 0) return false;
        if (pump) pump();
        pollfd pfd{out_, POLLIN, 0};
        if (poll(&pfd, 1, pump ? 5 : 100) > 0) {
            char chunk[4096];
            ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) return false;
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }
}

bool Child::writeLine(const std::string &line) {
    std::string data = line + "\n";
    return write(in_, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

void Child::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
    in_ = out_ = -1;
    buffer_.clear();
}

bool BusSession::startBus() {
    if (!bus_.start({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"})) return false;
    if (!bus_.readLine(&address_, std::chrono::seconds(10), nullptr) || address_.empty()) return false;
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    return true;
}

bool BusSession::startDouble(Child &child, const char *role) {
    if (!child.start({"/usr/bin/python3", SHELL_TEST_DIR "/bus_doubles.py", role})) return false;
    std::string line;
    return child.readLine(&line, std::chrono::seconds(20), platform::ui::shell::trayProcessEvents) && line == "ready";
}

bool BusSession::startWatcher() { return startDouble(watcher_, "watcher"); }
bool BusSession::startNotifications() { return startDouble(notifications_, "notifications"); }
bool BusSession::startPanel() { return startDouble(panel_, "panel"); }

std::vector<std::string> BusSession::panel(const std::string &command) {
    std::vector<std::string> lines;
    if (!panel_.writeLine(command)) return {"error: panel gone"};
    std::string line;
    while (panel_.readLine(&line, std::chrono::seconds(20), platform::ui::shell::trayProcessEvents)) {
        if (line == ".") return lines;
        lines.push_back(line);
    }
    lines.push_back("error: no answer");
    return lines;
}

void BusSession::stop() {
    panel_.stop();
    notifications_.stop();
    watcher_.stop();
    bus_.stop();
}

bool pumpUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        platform::ui::shell::trayProcessEvents();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
}

}  // namespace shelltest
