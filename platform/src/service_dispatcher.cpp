// The service side of the service control manager on systemd: status reports
// go to the notification socket ($NOTIFY_SOCKET), and SIGTERM, the manager's
// stop request, reaches the control handler as SERVICE_CONTROL_STOP.
//
// The signal handler only writes a byte to a pipe; the thread that called
// StartServiceCtrlDispatcherA reads it and calls the control handler, as the
// dispatcher thread does on Windows. A stop that arrives before the handler
// is registered, or while the service does not accept stops, stays queued.
#include <windows.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "fileerror.h"

using namespace platform;

namespace {

struct Dispatcher {
    std::mutex lock;
    bool running = false;
    std::string name;
    LPHANDLER_FUNCTION handler = nullptr;
    uintptr_t statusHandle = 0;  // the value RegisterServiceCtrlHandlerA gave out; 0 = none
    uintptr_t generation = 0;
    DWORD accepted = 0;
    bool stoppingSent = false;
    bool stopped = false;
    bool stopQueued = false;
    DWORD state = 0;  // the last state the service reported
    int wakeFd = -1;
};

Dispatcher &dispatcher() {
    static auto *d = new Dispatcher;
    return *d;
}

// Written by the SIGTERM handler, read by the dispatcher loop. Both ends are
// non-blocking: a full pipe already holds a stop request.
int signalPipe[2] = {-1, -1};

void onTerminate(int) {
    int saved = errno;
    char byte = 1;
    ssize_t ignored = write(signalPipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

void drain(int fd) {
    char buffer[64];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
}

void wake(Dispatcher &d) {
    if (d.wakeFd < 0) return;
    uint64_t one = 1;
    ssize_t ignored = write(d.wakeFd, &one, sizeof one);
    (void)ignored;
}

// The notification text of a status report. Caller holds the lock.
std::string notification(Dispatcher &d, const SERVICE_STATUS &s) {
    std::string text;
    auto extend = [&] {
        if (s.dwWaitHint) text += "\nEXTEND_TIMEOUT_USEC=" + std::to_string(uint64_t{s.dwWaitHint} * 1000);
    };
    switch (s.dwCurrentState) {
    case SERVICE_START_PENDING:
        text = "STATUS=Starting";
        extend();
        break;
    case SERVICE_RUNNING:
        text = "READY=1\nSTATUS=Running";
        break;
    case SERVICE_STOP_PENDING:
        text = "STOPPING=1\nSTATUS=Stopping";
        extend();
        break;
    case SERVICE_STOPPED:
        // A service that skips the stopping report still tells the manager.
        text = d.stoppingSent ? "" : "STOPPING=1\n";
        text += "STATUS=Stopped";
        if (s.dwWin32ExitCode) text += " (error " + std::to_string(s.dwWin32ExitCode) + ")";
        break;
    case SERVICE_CONTINUE_PENDING:
        text = "STATUS=Continuing";
        extend();
        break;
    case SERVICE_PAUSE_PENDING:
        text = "STATUS=Pausing";
        extend();
        break;
    default:
        text = "STATUS=Paused";
        break;
    }
    return text;
}

}  // namespace

extern "C" {

WINBASEAPI BOOL WINAPI StartServiceCtrlDispatcherA(CONST SERVICE_TABLE_ENTRYA *lpServiceStartTable) {
    if (!lpServiceStartTable || !lpServiceStartTable[0].lpServiceName || !lpServiceStartTable[0].lpServiceProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char *socket = getenv("NOTIFY_SOCKET");
    if (!socket || !*socket) {
        SetLastError(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
        return FALSE;
    }
    Dispatcher &d = dispatcher();
    std::unique_lock<std::mutex> guard(d.lock);
    if (d.running) {
        SetLastError(ERROR_SERVICE_ALREADY_RUNNING);
        return FALSE;
    }
    if (signalPipe[0] < 0 && pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return failWithErrno(errno);
    drain(signalPipe[0]);
    d.wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (d.wakeFd < 0) return failWithErrno(errno);
    struct sigaction action = {}, previous = {};
    action.sa_handler = onTerminate;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, &previous);

    d.running = true;
    d.name = lpServiceStartTable[0].lpServiceName;
    d.handler = nullptr;
    d.statusHandle = 0;
    d.accepted = 0;
    d.stoppingSent = d.stopped = d.stopQueued = false;
    d.state = 0;
    std::string name = d.name;
    LPSERVICE_MAIN_FUNCTIONA main = lpServiceStartTable[0].lpServiceProc;
    guard.unlock();

    // The service main gets its name as its one argument. It may return
    // early and leave the work to other threads; the service ends when it
    // reports SERVICE_STOPPED.
    try {
        std::thread([name, main]() mutable {
            LPSTR argv[] = {name.data(), nullptr};
            main(1, argv);
        }).detach();
    } catch (const std::system_error &) {
        guard.lock();
        sigaction(SIGTERM, &previous, nullptr);
        close(d.wakeFd);
        d.wakeFd = -1;
        d.running = false;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }

    struct pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {d.wakeFd, POLLIN, 0}};
    int pollError = 0;
    for (;;) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            pollError = errno;
            break;
        }
        guard.lock();
        if (fds[0].revents & POLLIN) {
            drain(signalPipe[0]);
            d.stopQueued = true;
        }
        if (fds[1].revents & POLLIN) drain(d.wakeFd);
        if (d.stopped) break;
        // A service that is already stopping gets no further stop control,
        // as a service manager refuses controls to a stopping service.
        if (d.state == SERVICE_STOP_PENDING) d.stopQueued = false;
        if (d.stopQueued && d.handler && (d.accepted & SERVICE_ACCEPT_STOP)) {
            d.stopQueued = false;
            LPHANDLER_FUNCTION handler = d.handler;
            guard.unlock();
            handler(SERVICE_CONTROL_STOP);
            continue;
        }
        guard.unlock();
    }
    if (!guard.owns_lock()) guard.lock();
    sigaction(SIGTERM, &previous, nullptr);
    close(d.wakeFd);
    d.wakeFd = -1;
    d.running = false;
    d.handler = nullptr;
    d.statusHandle = 0;
    return pollError ? failWithErrno(pollError) : TRUE;
}

WINBASEAPI SERVICE_STATUS_HANDLE WINAPI RegisterServiceCtrlHandlerA(LPCSTR lpServiceName,
                                                                    LPHANDLER_FUNCTION lpHandlerProc) {
    if (!lpServiceName || !lpHandlerProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Dispatcher &d = dispatcher();
    std::lock_guard<std::mutex> guard(d.lock);
    if (!d.running) {
        SetLastError(ERROR_SERVICE_NOT_IN_EXE);
        return nullptr;
    }
    if (strcasecmp(lpServiceName, d.name.c_str()) != 0) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    d.handler = lpHandlerProc;
    if (!d.statusHandle) d.statusHandle = ++d.generation;
    wake(d);  // a stop may be waiting for a handler
    return reinterpret_cast<SERVICE_STATUS_HANDLE>(d.statusHandle);
}

WINBASEAPI BOOL WINAPI SetServiceStatus(SERVICE_STATUS_HANDLE hServiceStatus, LPSERVICE_STATUS lpServiceStatus) {
    Dispatcher &d = dispatcher();
    std::lock_guard<std::mutex> guard(d.lock);
    if (!d.running || !d.statusHandle || reinterpret_cast<uintptr_t>(hServiceStatus) != d.statusHandle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpServiceStatus) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    DWORD state = lpServiceStatus->dwCurrentState;
    if (state < SERVICE_STOPPED || state > SERVICE_PAUSED) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    // Sent under the lock, so reports from several threads keep their order.
    int r = sd_notify(0, notification(d, *lpServiceStatus).c_str());
    // The state holds even when the manager did not hear of it: a stopped
    // service must still end the dispatcher.
    d.accepted = lpServiceStatus->dwControlsAccepted;
    d.state = state;
    if (state == SERVICE_STOP_PENDING || state == SERVICE_STOPPED) d.stoppingSent = true;
    if (state == SERVICE_STOPPED) d.stopped = true;
    wake(d);
    if (r < 0) return failWithErrno(-r);
    if (r == 0) {
        SetLastError(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
