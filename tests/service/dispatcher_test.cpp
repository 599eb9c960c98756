// The service side: a child started with a notification socket that the
// test owns, as systemd starts a service.
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../platform/testdir.h"

namespace {

// How long any one expected message may take before the test gives up.
constexpr int kWaitMs = 10000;

class ServiceChild {
public:
    ServiceChild(const std::string &socketPath, const char *mode) {
        notify_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        EXPECT_EQ(bind(notify_, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        int in[2], out[2];
        EXPECT_EQ(pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            setenv("NOTIFY_SOCKET", socketPath.c_str(), 1);
            execl(SERVICE_CHILD, SERVICE_CHILD, mode, static_cast<char *>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~ServiceChild() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(notify_);
        close(input_);
        close(output_);
    }

    // The next notification, or "" when none comes in time.
    std::string notification() {
        struct pollfd p = {notify_, POLLIN, 0};
        if (poll(&p, 1, kWaitMs) != 1) return "";
        char buffer[4096];
        ssize_t n = recv(notify_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
    }

    // The next line of the child's output, or "" at its end or time-out.
    std::string line() {
        std::string text;
        for (;;) {
            struct pollfd p = {output_, POLLIN, 0};
            char c;
            if (poll(&p, 1, kWaitMs) != 1 || read(output_, &c, 1) != 1) return text;
            if (c == '\n') return text;
            text += c;
        }
    }

    void send(const std::string &text) { ASSERT_EQ(write(input_, text.data(), text.size()), ssize_t(text.size())); }
    void signal(int number) { kill(pid_, number); }

    // The exit status, waiting at most kWaitMs; -1 if it does not end.
    int exitStatus() {
        int process = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
        struct pollfd p = {process, POLLIN, 0};
        bool ended = process >= 0 && poll(&p, 1, kWaitMs) == 1;
        close(process);
        int status;
        if (!ended || waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    int notify_ = -1, input_ = -1, output_ = -1;
};

TEST(ServiceDispatcher, ReportsReachTheManagerAndSigtermStops) {
    TestDir dir;
    ServiceChild child(dir.path("notify"), "normal");
    EXPECT_EQ(child.line(), "main 1 testsvc");
    EXPECT_EQ(child.notification(), "STATUS=Starting\nEXTEND_TIMEOUT_USEC=5000000");
    EXPECT_EQ(child.notification(), "READY=1\nSTATUS=Running");
    child.signal(SIGTERM);
    EXPECT_EQ(child.line(), "control 1");
    EXPECT_EQ(child.notification(), "STOPPING=1\nSTATUS=Stopping\nEXTEND_TIMEOUT_USEC=5000000");
    EXPECT_EQ(child.notification(), "STATUS=Stopped");
    EXPECT_EQ(child.line(), "dispatcher 1 0");
    EXPECT_EQ(child.exitStatus(), 0);
}

TEST(ServiceDispatcher, AStopBeforeTheHandlerIsKept) {
    TestDir dir;
    ServiceChild child(dir.path("notify"), "late");
    // The dispatcher has taken SIGTERM before the service main runs; the
    // handler is registered only after the signal came.
    EXPECT_EQ(child.line(), "main 1 testsvc");
    child.signal(SIGTERM);
    child.signal(SIGTERM);
    child.send("go\n");
    EXPECT_EQ(child.notification(), "STATUS=Starting\nEXTEND_TIMEOUT_USEC=5000000");
    // Both signals came before the handler: one stop control.
    std::vector<std::string> lines;
    for (std::string l = child.line(); !l.empty(); l = child.line()) lines.push_back(l);
    EXPECT_EQ(lines, (std::vector<std::string>{"control 1", "dispatcher 1 0"}));
    std::vector<std::string> rest;
    while (rest.size() < 3) {
        std::string n = child.notification();
        if (n.empty()) break;
        rest.push_back(n);
    }
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_EQ(rest.back(), "STATUS=Stopped");
    EXPECT_EQ(child.exitStatus(), 0);
}

TEST(ServiceDispatcher, OnlyUnderAManagerWithANotificationSocket) {
    const char *saved = getenv("NOTIFY_SOCKET");
    std::string keep = saved ? saved : "";
    unsetenv("NOTIFY_SOCKET");
    char name[] = "testsvc";
    SERVICE_TABLE_ENTRYA table[] = {{name, [](DWORD, LPSTR *) { ADD_FAILURE() << "service main ran"; }},
                                    {nullptr, nullptr}};
    EXPECT_FALSE(StartServiceCtrlDispatcherA(table));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
    if (saved) setenv("NOTIFY_SOCKET", keep.c_str(), 1);

    EXPECT_EQ(RegisterServiceCtrlHandlerA("testsvc", [](DWORD) {}), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_IN_EXE));
    SERVICE_STATUS status{};
    status.dwCurrentState = SERVICE_RUNNING;
    EXPECT_FALSE(SetServiceStatus(reinterpret_cast<SERVICE_STATUS_HANDLE>(1), &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
