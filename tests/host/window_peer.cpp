// A second process for the tests of cross-process windows:
//   window_peer [--uid N] serve CLASS    a window of CLASS; prints "ready",
//                                        then "command <id> <lParam>" for each
//                                        WM_COMMAND, "close" at WM_CLOSE
//   window_peer [--uid N] find CLASS     prints "found" or "none"; when found,
//                                        posts WM_COMMAND 140 and prints
//                                        "posted <result>"
//   window_peer [--uid N] probe PATH     posts WM_COMMAND 140 straight to the
//                                        socket PATH; prints "answer <n>" or
//                                        "refused"
// --uid switches to that user (and its group) first.
#include <windows.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

LRESULT CALLBACK peerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        std::printf("command %u %lld\n", LOWORD(wParam), static_cast<long long>(lParam));
        std::fflush(stdout);
        return 0;
    }
    if (msg == WM_CLOSE) {
        std::printf("close\n");
        std::fflush(stdout);
        DestroyWindow(hwnd);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int serve(const char *className) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = peerProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = className;
    if (!RegisterClassA(&cls)) return 1;
    HWND hwnd = CreateWindowExA(0, className, "Peer", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                                cls.hInstance, nullptr);
    if (!hwnd) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    return 0;
}

int find(const char *className) {
    HWND hwnd = FindWindowA(className, nullptr);
    if (!hwnd) {
        std::printf("none\n");
        return 0;
    }
    std::printf("found\nposted %d\n", PostMessageA(hwnd, WM_COMMAND, 140, 0));
    return 0;
}

int probe(const char *path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path);
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        std::printf("refused\n");
        return 0;
    }
    struct {
        uint32_t magic, op, msg;
        uint64_t wParam, lParam;
    } __attribute__((packed)) request{0x4E49575A, 2, WM_COMMAND, 140, 0};
    unsigned char answer = 0;
    if (send(fd, &request, sizeof request, MSG_NOSIGNAL) != sizeof request || read(fd, &answer, 1) != 1) {
        std::printf("refused\n");
        return 0;
    }
    std::printf("answer %d\n", answer);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    int i = 1;
    if (argc > 3 && std::strcmp(argv[1], "--uid") == 0) {
        uid_t uid = static_cast<uid_t>(std::atoi(argv[2]));
        if (setgid(uid) != 0 || setuid(uid) != 0) return 3;
        i = 3;
    }
    if (argc != i + 2) return 2;
    std::string mode = argv[i];
    if (mode == "serve") return serve(argv[i + 1]);
    if (mode == "find") return find(argv[i + 1]);
    if (mode == "probe") return probe(argv[i + 1]);
    return 2;
}
