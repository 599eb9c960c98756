// A host stand-in for the service mode tests: the main thread of the program
// in miniature (hidden window, ready and closing events, message loop) with
// the real service thread beside it. It prints what its window sees
// ("close"), and at the end whether the service thread finished ("joined 1").
//   normal: service thread first, then the window, as the program entry does;
//   early:  the whole life of the window (created, closed, destroyed) passes
//           before the service thread starts, so every report waits on
//           signals given long before.
#include <windows.h>

#include <cstring>
#include <iostream>

#include "service/service.h"
#include "shell/shell.h"

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        std::cout << "close" << std::endl;
        SetEvent(shellState().closingEvent);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        servicePulseReady();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND createMainWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "svcmode-test";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("svcmode-test", "svcmode", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, wc.hInstance, nullptr);
    shellState().mainWindow = window;
    return window;
}

void runLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char **argv) {
    bool early = argc > 1 && std::strcmp(argv[1], "early") == 0;
    ShellState &shell = shellState();
    std::strcpy(shell.serviceName, "cradletest");
    shell.readyEvent = serviceCreateReadyEvent();
    shell.closingEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!shell.readyEvent || !shell.closingEvent) return 2;

    if (early) {
        if (!createMainWindow()) return 3;
        servicePulseReady();
        PostMessageA(shell.mainWindow, WM_CLOSE, 0, 0);
        runLoop();
        serviceStartThread();
    } else {
        serviceStartThread();
        if (!createMainWindow()) return 3;
        servicePulseReady();
        std::cout << "ready" << std::endl;
        runLoop();
    }
    std::cout << "joined " << serviceJoinThread(10000) << std::endl;
    CloseHandle(shell.readyEvent);
    CloseHandle(shell.closingEvent);
    return 0;
}
