// A private session bus for one test program and the stand-ins of the panel
// side on it (watcher, notification daemon, a panel driven by commands). The
// bus address is put into the environment before the first user-interface
// call, so the layer under test connects to this bus only.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace shelltest {

// A child process with pipes to its standard input and output.
class Child {
public:
    Child() = default;
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    ~Child() { stop(); }

    bool start(const std::vector<std::string> &argv);
    // The next line of output, without its newline; false at end or time-out.
    // pump runs while waiting, so the test's own bus objects can answer.
    bool readLine(std::string *line, std::chrono::milliseconds timeout, const std::function<void()> &pump);
    bool writeLine(const std::string &line);
    void stop();
    bool running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
};

class BusSession {
public:
    // Starts the bus and sets DBUS_SESSION_BUS_ADDRESS; false when it failed.
    bool startBus();
    bool startWatcher();
    void stopWatcher() { watcher_.stop(); }
    bool startNotifications();
    bool startPanel();
    // One panel command and the lines of its answer.
    std::vector<std::string> panel(const std::string &command);
    const std::string &address() const { return address_; }
    void stop();

private:
    bool startDouble(Child &child, const char *role);
    Child bus_;
    Child watcher_;
    Child notifications_;
    Child panel_;
    std::string address_;
};

// Runs the user-interface thread's events until done() or the time-out.
bool pumpUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace shelltest
