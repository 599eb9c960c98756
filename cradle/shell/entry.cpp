// The program entry: paths and branding, the single-instance rule, the
// service hand-over, a new user's files, the main window and its message
// loop.
#include "service/service.h"
#include "settings/tipsmod.h"
#include "shell/announce.h"
#include "shell/mainwindow.h"
#include "shell/shell.h"
#include "shell/signals.h"
#include "shell/startup.h"
#include "zellog.h"

#include <cstring>

namespace {

void derivePaths() {
    char file[SHELL_PATH_MAX] = "";
    DWORD n = GetModuleFileNameA(nullptr, file, sizeof file);
    if (n == 0 || n >= sizeof file) n = GetModuleFileNameA(nullptr, file, sizeof file);
    shellDerivePaths(n > 0 && n < sizeof file ? file : nullptr);
}

// Hands the command line (or the request to open the settings window) to a
// running copy.
void handOver(HWND running, const char *commandLine) {
    if (!commandLine[0]) PostMessageA(running, WM_COMMAND, SHELL_CMD_PROPERTIES, 0);
    else shellPostString(running, commandLine);
}

void runLoop(HWND hwnd) {
    HACCEL accel = LoadAcceleratorsA(shellState().branding, "#1");
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (accel && TranslateAcceleratorA(hwnd, accel, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    if (accel) DestroyAcceleratorTable(accel);
}

}  // namespace

int shellRun(HINSTANCE instance, const char *commandLine) {
    ShellState &s = shellState();
    if (!commandLine) commandLine = "";
    s.program = instance;
    derivePaths();
    if (!shellReadBranding(s.paths.branding)) return 0;
    s.branding = LoadLibraryA(s.paths.branding);
    if (!s.branding) return 0;

    s.readyEvent = serviceCreateReadyEvent();
    s.closingEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    auto finish = [&s] {
        if (s.readyEvent) CloseHandle(s.readyEvent);
        if (s.closingEvent) CloseHandle(s.closingEvent);
        s.readyEvent = s.closingEvent = nullptr;
        FreeLibrary(s.branding);
        s.branding = nullptr;
        return 0;
    };
    if (!s.readyEvent || !s.closingEvent) return finish();

    if (HWND running = FindWindowA(s.className, nullptr)) {
        handOver(running, commandLine);
        return finish();
    }
    if (serviceTakeOver(s.serviceName)) {
        // The service runs the program now; its window may already be there.
        if (commandLine[0])
            if (HWND running = FindWindowA(s.className, nullptr)) shellPostString(running, commandLine);
        return finish();
    }

    zelextLogSetSlot(s.serviceName);
    // Only the copy that runs makes a new user's files, before anything reads them.
    shellSeedUserFolder();
    tipsmodSetSharedDirectory(s.paths.shippedDir);
    shellSignalsInstall();  // before the service thread, whose dispatcher may take SIGTERM over
    serviceStartThread();
    HWND hwnd = shellCreateMainWindow(instance);
    if (!hwnd) {
        serviceJoinThread(0);
        return finish();
    }
    if (commandLine[0]) shellPostString(hwnd, commandLine);
    shellAnnounceAddress();
    runLoop(hwnd);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    // The service reports "stopped" once shut-down pulsed the ready signal.
    serviceJoinThread(5000);
    return finish();
}
