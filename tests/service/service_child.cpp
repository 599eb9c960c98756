// A service program for the dispatcher tests. It prints what it sees on
// standard output ("main", "control N", "dispatcher R E") and reports its
// states the usual way: start-pending, running, stop-pending on a stop
// control, then stopped. With "late", the service main waits for a line on
// standard input before it registers its control handler.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

SERVICE_STATUS_HANDLE statusHandle;
HANDLE stopEvent;
DWORD checkPoint = 1;
bool late = false;

void say(const std::string &line) {
    std::cout << line << std::endl;
}

void report(DWORD state) {
    SERVICE_STATUS s{};
    s.dwServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;
    s.dwCurrentState = state;
    s.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
    s.dwWaitHint = 5000;
    s.dwCheckPoint = checkPoint++;
    if (!SetServiceStatus(statusHandle, &s)) say("report failed " + std::to_string(GetLastError()));
}

void WINAPI handler(DWORD control) {
    say("control " + std::to_string(control));
    if (control == SERVICE_CONTROL_STOP) {
        report(SERVICE_STOP_PENDING);
        SetEvent(stopEvent);
    }
}

void WINAPI serviceMain(DWORD argc, LPSTR *argv) {
    say("main " + std::to_string(argc) + " " + argv[0]);
    if (late) {
        std::string line;
        std::getline(std::cin, line);
    }
    statusHandle = RegisterServiceCtrlHandlerA("testsvc", handler);
    if (!statusHandle) {
        say("register failed " + std::to_string(GetLastError()));
        return;
    }
    report(SERVICE_START_PENDING);
    report(SERVICE_RUNNING);
    WaitForSingleObject(stopEvent, INFINITE);
    report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char **argv) {
    late = argc > 1 && strcmp(argv[1], "late") == 0;
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char name[] = "testsvc";
    SERVICE_TABLE_ENTRYA table[] = {{name, serviceMain}, {nullptr, nullptr}};
    BOOL ok = StartServiceCtrlDispatcherA(table);
    say("dispatcher " + std::to_string(ok) + " " + std::to_string(ok ? 0 : GetLastError()));
    return ok ? 0 : 1;
}
