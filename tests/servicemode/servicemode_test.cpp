// Service mode: the queries and decisions against a stand-in for systemd's
// manager on a private bus, and the service thread of a small host program
// started the way systemd starts a service, with a notification socket the
// test reads.
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
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "../platform/testdir.h"
#include "../service/manager_double.h"
#include "log_collector.h"
#include "service/service.h"
#include "shell/shell.h"
#include "zellog.h"

namespace {

constexpr int kWaitMs = 10000;

DoubleUnit unitWith(const std::string &fileState, const std::string &active = "inactive") {
    DoubleUnit u;
    u.fileState = fileState;
    u.active = active;
    u.loaded = true;
    return u;
}

class ServiceQueries : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<PrivateBus>(dir.path("user_bus"));
        manager = std::make_unique<ManagerDouble>(bus->address());
        setenv("DBUS_SESSION_BUS_ADDRESS", bus->address().c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir.path("no_system_bus")).c_str(), 1);
        ASSERT_TRUE(log.start(suite::LogCollector::uniqueName("svcq")));
        zelextLogSetSlot(log.name().c_str());
    }
    void TearDown() override {
        zelextLogShutdown();
        log.stop();
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
    int jobCalls() {
        int n = 0;
        for (const std::string &call : manager->calls())
            if (call.rfind("StartUnit", 0) == 0 || call.rfind("StopUnit", 0) == 0) ++n;
        return n;
    }

    TestDir dir;
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<ManagerDouble> manager;
    suite::LogCollector log;
};

TEST_F(ServiceQueries, AnswerFromTheUnitAnd255WhenThereIsNone) {
    manager->setUnit("cradletest.service", unitWith("enabled", "active"));
    EXPECT_EQ(serviceGetStartType("cradletest"), SERVICE_AUTO_START);
    EXPECT_EQ(serviceGetState("cradletest"), SERVICE_RUNNING);
    EXPECT_EQ(serviceGetStartType("missing"), 255);
    EXPECT_EQ(serviceGetState("missing"), 255);
    EXPECT_EQ(serviceGetStartType(nullptr), 255);
    EXPECT_EQ(serviceStart("missing"), 0);
    EXPECT_EQ(jobCalls(), 0);
}

// A user start hands over to an installed, stopped service that may start;
// a disabled, running or missing service leaves the program to run itself.
TEST_F(ServiceQueries, TakeOverOnlyAStoppedStartableService) {
    manager->setUnit("cradletest.service", unitWith("static"));
    EXPECT_EQ(serviceTakeOver("cradletest"), 1);
    EXPECT_EQ(manager->unit("cradletest.service").active, "active");

    manager->setUnit("cradletest.service", unitWith("enabled"));
    EXPECT_EQ(serviceTakeOver("cradletest"), 1);

    manager->setUnit("cradletest.service", unitWith("disabled"));
    EXPECT_EQ(serviceTakeOver("cradletest"), 0);
    manager->setUnit("cradletest.service", unitWith("masked"));
    EXPECT_EQ(serviceTakeOver("cradletest"), 0);
    manager->setUnit("cradletest.service", unitWith("enabled", "active"));
    EXPECT_EQ(serviceTakeOver("cradletest"), 0);
    EXPECT_EQ(serviceTakeOver("missing"), 0);
    EXPECT_EQ(jobCalls(), 2);

    // A start the manager refuses is no hand-over.
    DoubleUnit refusing = unitWith("enabled");
    refusing.refuseWith = "org.freedesktop.DBus.Error.AccessDenied";
    manager->setUnit("cradletest.service", refusing);
    EXPECT_EQ(serviceTakeOver("cradletest"), 0);
}

TEST_F(ServiceQueries, StopSendsTheControlOrSaysWhyNot) {
    manager->setUnit("cradletest.service", unitWith("enabled", "active"));
    EXPECT_EQ(serviceStop("cradletest"), 1);
    EXPECT_EQ(manager->unit("cradletest.service").active, "inactive");
    // Already stopped: nothing to send.
    EXPECT_EQ(serviceStop("cradletest"), 0);
    EXPECT_EQ(serviceStop("missing"), 0);
    ASSERT_TRUE(log.sync());
    EXPECT_EQ(log.texts(), std::vector<std::string>{"You must be logged in as Administrator to stop this service."});
}

// A copy started by a user never stops the service of its name (which may be
// another process, the system's copy): its close command closes itself.
TEST_F(ServiceQueries, AUserCopyNeitherConnectsNorStopsTheService) {
    manager->setUnit("cradletest.service", unitWith("enabled", "active"));
    std::strcpy(shellState().serviceName, "cradletest");
    const char *saved = getenv("NOTIFY_SOCKET");
    std::string keep = saved ? saved : "";
    unsetenv("NOTIFY_SOCKET");
    HANDLE thread = serviceStartThread();
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(serviceJoinThread(kWaitMs));
    if (saved) setenv("NOTIFY_SOCKET", keep.c_str(), 1);

    EXPECT_FALSE(serviceIsRunningAsService());
    EXPECT_EQ(serviceRequestStop(), 0);
    EXPECT_EQ(manager->unit("cradletest.service").active, "active");
    EXPECT_EQ(jobCalls(), 0);
    ASSERT_TRUE(log.sync());
    EXPECT_EQ(log.texts(), std::vector<std::string>{"Service Control Dispatcher could not be started; cradletest not "
                                                    "started as a service (" +
                                                    std::to_string(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) + ")"});
}

// Every signal of the ready semaphore is kept for the thread that takes it.
TEST(ServiceReadySignal, KeepsEverySignalUntilTaken) {
    ShellState &shell = shellState();
    HANDLE saved = shell.readyEvent;
    shell.readyEvent = serviceCreateReadyEvent();
    ASSERT_NE(shell.readyEvent, nullptr);
    EXPECT_TRUE(servicePulseReady());
    EXPECT_TRUE(servicePulseReady());
    EXPECT_EQ(WaitForSingleObject(shell.readyEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(shell.readyEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(shell.readyEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(shell.readyEvent);
    shell.readyEvent = nullptr;
    EXPECT_FALSE(servicePulseReady());
    shell.readyEvent = saved;
}

// The host stand-in run as systemd runs a service.
class ServiceHost {
public:
    ServiceHost(const std::string &socketPath, const char *mode)
        : ServiceHost(socketPath, SERVICEMODE_CHILD, {mode}, {{"QT_QPA_PLATFORM", "offscreen"}}) {}
    // Any program, with its arguments and additions to the environment.
    ServiceHost(const std::string &socketPath, const std::string &program, const std::vector<std::string> &args,
                const std::vector<std::pair<std::string, std::string>> &env) {
        notify_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        EXPECT_EQ(bind(notify_, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        int out[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), args.begin(), args.end());
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            setenv("NOTIFY_SOCKET", socketPath.c_str(), 1);
            for (const auto &[name, value] : env) setenv(name.c_str(), value.c_str(), 1);
            std::vector<char *> raw;
            for (std::string &a : argv) raw.push_back(a.data());
            raw.push_back(nullptr);
            execv(program.c_str(), raw.data());
            _exit(127);
        }
        close(out[1]);
        output_ = out[0];
    }
    ~ServiceHost() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(notify_);
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
    // The notifications up to and including the first that holds text.
    std::vector<std::string> notificationsUntil(const std::string &text) {
        std::vector<std::string> seen;
        for (std::string n = notification(); !n.empty(); n = notification()) {
            seen.push_back(n);
            if (n.find(text) != std::string::npos) break;
        }
        return seen;
    }
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
    void signal(int number) { kill(pid_, number); }
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
    int notify_ = -1, output_ = -1;
};

bool contains(const std::vector<std::string> &texts, const std::string &text) {
    for (const std::string &t : texts)
        if (t.find(text) != std::string::npos) return true;
    return false;
}

// start-pending, running once the window exists; SIGTERM becomes the stop
// control, which closes the window through WM_CLOSE; stop-pending, and
// stopped once shut-down ends; the service thread ends and the program exits 0.
TEST(ServiceThread, ReportsEveryStateAndStopsThroughTheWindow) {
    TestDir dir;
    ServiceHost host(dir.path("notify"), "normal");
    EXPECT_EQ(host.notification(), "STATUS=Starting\nEXTEND_TIMEOUT_USEC=5000000");
    EXPECT_EQ(host.notification(), "READY=1\nSTATUS=Running");
    EXPECT_EQ(host.line(), "ready");
    host.signal(SIGTERM);
    EXPECT_EQ(host.line(), "close");
    std::vector<std::string> rest = host.notificationsUntil("STATUS=Stopped");
    ASSERT_FALSE(rest.empty());
    EXPECT_TRUE(contains(rest, "STOPPING=1"));
    EXPECT_EQ(rest.back(), "STATUS=Stopped");
    EXPECT_EQ(host.line(), "joined 1");
    EXPECT_EQ(host.exitStatus(), 0);
}

// The main thread created, closed and destroyed its window before the
// service thread even started: no report is lost all the same.
TEST(ServiceThread, SignalsGivenBeforeTheThreadWaitsAreNotLost) {
    TestDir dir;
    ServiceHost host(dir.path("notify"), "early");
    EXPECT_EQ(host.line(), "close");
    std::vector<std::string> all = host.notificationsUntil("STATUS=Stopped");
    EXPECT_EQ(all, (std::vector<std::string>{"STATUS=Starting\nEXTEND_TIMEOUT_USEC=5000000", "READY=1\nSTATUS=Running",
                                             "STOPPING=1\nSTATUS=Stopping\nEXTEND_TIMEOUT_USEC=5000000",
                                             "STATUS=Stopped"}));
    EXPECT_EQ(host.line(), "joined 1");
    EXPECT_EQ(host.exitStatus(), 0);
}

#ifdef SERVICEMODE_PROGRAM_DIST
// The host program itself started as systemd starts its unit: it reports
// start-pending and running; SIGTERM closes it through the close sequence,
// without the confirmation question, and it reports stopping and stopped and
// ends with status 0.
TEST(ServiceProgram, RunsAsAServiceAndSigtermClosesIt) {
    namespace fs = std::filesystem;
    TestDir dir;
    std::string program = dir.path("program");
    fs::create_directories(program + "/ext");
    for (const auto &entry : fs::directory_iterator(SERVICEMODE_PROGRAM_DIST))
        if (entry.is_regular_file()) fs::copy_file(entry.path(), program + "/" + entry.path().filename().string());
    std::ofstream(program + "/cradle.ini") << "[Settings]\nConfirmClose=1\nShowTips=0\n";
    fs::create_directories(dir.path("run"));
    fs::permissions(dir.path("run"), fs::perms::owner_all, fs::perm_options::replace);

    // The user's manager has the unit, active: the program runs as the service
    // and does not hand over.
    PrivateBus bus(dir.path("bus"));
    ManagerDouble manager(bus.address());
    manager.setUnit("Skyloom.service", unitWith("enabled", "active"));

    ServiceHost host(dir.path("notify"), program + "/cradle", {},
                     {{"QT_QPA_PLATFORM", "offscreen"},
                      {"DBUS_SESSION_BUS_ADDRESS", bus.address()},
                      {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir.path("no_system_bus")},
                      {"XDG_RUNTIME_DIR", dir.path("run")},
                      {"HOME", dir.path()},
                      // Caches the toolkit keeps for the process's lifetime.
                      {"LSAN_OPTIONS", "suppressions=" SERVICEMODE_LSAN_SUPP ":print_suppressions=0"}});
    EXPECT_EQ(host.notification(), "STATUS=Starting\nEXTEND_TIMEOUT_USEC=5000000");
    EXPECT_EQ(host.notification(), "READY=1\nSTATUS=Running");
    host.signal(SIGTERM);
    std::vector<std::string> rest = host.notificationsUntil("STATUS=Stopped");
    ASSERT_FALSE(rest.empty());
    EXPECT_TRUE(contains(rest, "STOPPING=1"));
    EXPECT_EQ(rest.back(), "STATUS=Stopped");
    EXPECT_EQ(host.exitStatus(), 0);
    // The closing state was recorded the usual way: ConfirmClose kept (nobody
    // was asked), and no start job was sent.
    char value[8];
    GetPrivateProfileStringA("Settings", "ConfirmClose", "", value, sizeof value, (program + "/cradle.ini").c_str());
    EXPECT_STREQ(value, "1");
    for (const std::string &call : manager.calls()) EXPECT_EQ(call.rfind("StartUnit", 0), std::string::npos) << call;
}
#endif

}  // namespace
