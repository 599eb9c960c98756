// Starts the user-interface layer the way a program does (no platform chosen
// by the caller) and creates and shows a window; prints "shown" and whether
// the layer went headless, then ends with 0.
#include <windows.h>

#include <cstdio>

int main() {
    HWND window = CreateWindowExA(0, "STATIC", "Probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    std::printf("shown\n");
    DestroyWindow(window);
    return 0;
}
