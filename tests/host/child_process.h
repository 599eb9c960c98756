// A child process for the host's tests: its standard output is read line by
// line with a time-out; it is killed when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace hosttest {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts argv[0] with argv; env entries "NAME=value" are set in the
    // child (added to or replacing the inherited ones); cwd when not empty.
    bool start(const std::vector<std::string> &argv, const std::vector<std::string> &env = {},
               const std::string &cwd = {});
    // The next line of output (without its newline); false at the end of
    // the output or after timeoutMs.
    bool readLine(std::string *line, int timeoutMs = 10000);
    // Reads lines until one contains text; false otherwise.
    bool waitFor(const std::string &text, int timeoutMs = 10000, std::string *line = nullptr);
    // Sends a signal.
    void signal(int sig);
    // Waits for the end: the exit status (or 128 + signal); -1 after timeoutMs.
    int wait(int timeoutMs = 10000);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
    int status_ = -1;
};

}  // namespace hosttest
