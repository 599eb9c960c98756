// SIGINT and SIGTERM: a self-pipe written by the handler, read by a watcher
// thread that posts WM_CLOSE to the main window.
#include "shell/signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>

namespace {

int wakePipe[2] = {-1, -1};
std::mutex windowLock;
HWND window = nullptr;
bool pending = false;  // a signal came while no window existed

void onSignal(int) {
    int saved = errno;
    char byte = 1;
    ssize_t ignored = write(wakePipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

void requestClose() {
    std::lock_guard<std::mutex> g(windowLock);
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    else pending = true;
}

void watch() {
    char buffer[16];
    for (;;) {
        ssize_t n = read(wakePipe[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        requestClose();
    }
}

}  // namespace

void shellSignalsInstall() {
    static bool installed = false;
    if (installed) return;
    if (pipe2(wakePipe, O_CLOEXEC) != 0) return;
    fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);  // a full pipe already holds a request
    installed = true;
    std::thread(watch).detach();
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void shellSignalsWindowReady(HWND hwnd) {
    std::lock_guard<std::mutex> g(windowLock);
    window = hwnd;
    if (pending) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    pending = false;
}

void shellSignalsWindowGone() {
    std::lock_guard<std::mutex> g(windowLock);
    window = nullptr;
}
