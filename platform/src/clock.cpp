// Sleep and the tick counters.
#include <windows.h>

#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

extern "C" {

WINBASEAPI void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;) sleep(3600);
    }
    struct timespec rest = {static_cast<time_t>(dwMilliseconds / 1000),
                            static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

WINBASEAPI ULONGLONG WINAPI GetTickCount64(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec / 1000000);
}

WINBASEAPI DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(GetTickCount64()); }

}  // extern "C"
