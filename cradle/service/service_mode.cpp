// The service thread, the service main function and the control handler: the
// state reports to the service manager while the main thread runs as usual.
#include <windows.h>

#include <climits>
#include <mutex>

#include "service/service.h"
#include "shell/shell.h"
#include "zellog.h"

namespace {

constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;  // 272
constexpr DWORD kControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;       // 5
constexpr DWORD kWaitHintMs = 5000;

struct ServiceMode {
    std::mutex lock;  // orders reports of the service main and the control handler
    SERVICE_STATUS_HANDLE statusHandle = nullptr;
    DWORD state = SERVICE_STOPPED;
    DWORD checkPoint = 0;
    bool runningAsService = false;
    HANDLE thread = nullptr;
};

ServiceMode &mode() {
    static ServiceMode m;
    return m;
}

// Reports a state with the next check point; a failed report is logged and
// otherwise ignored.
void report(DWORD state) {
    ServiceMode &m = mode();
    std::lock_guard<std::mutex> guard(m.lock);
    m.state = state;
    SERVICE_STATUS status{};
    status.dwServiceType = kServiceType;
    status.dwCurrentState = state;
    status.dwControlsAccepted = kControlsAccepted;
    status.dwWin32ExitCode = NO_ERROR;
    status.dwCheckPoint = ++m.checkPoint;
    status.dwWaitHint = kWaitHintMs;
    if (!m.statusHandle || !SetServiceStatus(m.statusHandle, &status))
        zelextLog("cradle", ZELLOG_FAILURE, "Unable to set service status");
}

// Waits for an event of the shell; a handle already closed at the end of the
// program ends the wait as well.
void waitFor(HANDLE event) { WaitForSingleObject(event, INFINITE); }

}  // namespace

HANDLE serviceCreateReadyEvent(void) { return CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr); }

BOOL servicePulseReady(void) {
    HANDLE ready = shellState().readyEvent;
    if (!ready) return FALSE;
    if (ReleaseSemaphore(ready, 1, nullptr)) return TRUE;
    return PulseEvent(ready);
}

VOID WINAPI serviceControlHandler(DWORD control) {
    ServiceMode &m = mode();
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        {
            std::lock_guard<std::mutex> guard(m.lock);
            m.state = SERVICE_STOP_PENDING;
        }
        PostMessageA(shellState().mainWindow, WM_CLOSE, 0, 0);
    }
    DWORD state;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        state = m.state;
    }
    report(state);
}

VOID WINAPI serviceMain(DWORD, LPSTR *) {
    ServiceMode &m = mode();
    ShellState &shell = shellState();
    SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerA(shell.serviceName, serviceControlHandler);
    {
        std::lock_guard<std::mutex> guard(m.lock);
        m.statusHandle = handle;
        m.checkPoint = 0;
        m.runningAsService = true;
    }
    if (!handle)
        zelextLog("cradle", ZELLOG_FAILURE, "Unable to register the Service Control Dispatcher");
    else
        report(SERVICE_START_PENDING);
    waitFor(shell.readyEvent);  // main window created
    report(SERVICE_RUNNING);
    waitFor(shell.closingEvent);  // closing began
    report(SERVICE_STOP_PENDING);
    waitFor(shell.readyEvent);  // shut-down finished
    report(SERVICE_STOPPED);
}

DWORD WINAPI serviceThread(LPVOID) {
    ShellState &shell = shellState();
    SERVICE_TABLE_ENTRYA table[] = {{shell.serviceName, serviceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table)) {
        DWORD error = GetLastError();
        zelextLog("cradle", ZELLOG_ERROR, "Service Control Dispatcher could not be started; %s not started as a service (%d)",
                  shell.serviceName, static_cast<int>(error));
    }
    return 0;
}

HANDLE serviceStartThread(void) {
    ServiceMode &m = mode();
    HANDLE thread = CreateThread(nullptr, 0, serviceThread, nullptr, 0, nullptr);
    if (!thread) {
        zelextLog("cradle", ZELLOG_ERROR, "CreateThread() returned error code %d", static_cast<int>(GetLastError()));
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(m.lock);
    m.thread = thread;
    return thread;
}

BOOL serviceJoinThread(DWORD timeoutMs) {
    ServiceMode &m = mode();
    HANDLE thread;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        thread = m.thread;
    }
    if (!thread) return TRUE;
    if (WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) return FALSE;
    std::lock_guard<std::mutex> guard(m.lock);
    CloseHandle(m.thread);
    m.thread = nullptr;
    return TRUE;
}

int serviceRequestStop(void) {
    if (!serviceIsRunningAsService()) return 0;
    return serviceStop(shellState().serviceName);
}

BOOL serviceIsRunningAsService(void) {
    ServiceMode &m = mode();
    std::lock_guard<std::mutex> guard(m.lock);
    return m.runningAsService;
}

DWORD serviceCurrentState(void) {
    ServiceMode &m = mode();
    std::lock_guard<std::mutex> guard(m.lock);
    return m.state;
}
