// Windows of other processes of the same user: found by class name, posted
// to through their socket; stale sockets removed; another user's windows
// neither found nor reached, in either direction.
#include "child_process.h"
#include "host_fixture.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <fcntl.h>
#include <unistd.h>

#include <dirent.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace hosttest;
namespace fs = std::filesystem;

namespace {

const char *kClass = "Remote:TestWindow";

std::string windowsDir() { return std::string(getenv("XDG_RUNTIME_DIR")) + "/windows"; }

std::vector<std::string> socketsIn(const std::string &dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto &e : fs::directory_iterator(dir, ec)) names.push_back(e.path().string());
    return names;
}

std::vector<std::string> peerEnv() { return {"QT_QPA_PLATFORM=offscreen"}; }

TEST(RemoteWindows, AWindowOfAnotherProcessIsFoundByClassAndReceivesPostedCommands) {
    ChildProcess peer;
    ASSERT_TRUE(peer.start({WINDOW_PEER, "serve", kClass}, peerEnv()));
    ASSERT_TRUE(peer.waitFor("ready"));

    HWND found = FindWindowA("remote:testwindow", nullptr);  // class names ignore case
    ASSERT_NE(found, nullptr);
    EXPECT_FALSE(IsWindow(found));  // not a window of this process
    EXPECT_EQ(FindWindowA(kClass, nullptr), found);  // the same handle again
    EXPECT_EQ(FindWindowA(kClass, "Peer"), found);
    EXPECT_EQ(FindWindowA(kClass, "Other title"), nullptr);
    EXPECT_EQ(FindWindowA("Remote:OtherClass", nullptr), nullptr);

    EXPECT_TRUE(PostMessageA(found, WM_COMMAND, 140, 7));
    EXPECT_TRUE(peer.waitFor("command 140 7"));
    EXPECT_TRUE(PostMessageA(found, WM_COMMAND, 240, 0xC123));
    EXPECT_TRUE(peer.waitFor("command 240 49443"));
    // Messages whose parameters are pointers or code are refused.
    EXPECT_FALSE(PostMessageA(found, WM_TIMER, 1, 0x1234));
    EXPECT_FALSE(PostMessageA(found, WM_SETTEXT, 0, 0x1234));

    EXPECT_TRUE(PostMessageA(found, WM_CLOSE, 0, 0));
    EXPECT_TRUE(peer.waitFor("close"));
    EXPECT_EQ(peer.wait(), 0);
    // Its socket went with the window.
    EXPECT_TRUE(socketsIn(windowsDir()).empty());
    EXPECT_FALSE(PostMessageA(found, WM_COMMAND, 140, 0));
    EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);
}

// A lookup that found nothing is remembered while the directory stays as it
// was; a window registered later changes the directory and is found.
TEST(RemoteWindows, AClassFoundAbsentIsFoundOnceItsWindowAppears) {
    fs::create_directories(windowsDir());
    chmod(windowsDir().c_str(), 0700);
    // A directory last changed an hour ago, as on a host that runs for long.
    struct timespec old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, windowsDir().c_str(), old, 0), 0);
    EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);
    EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);  // answered from what the first look saw

    ChildProcess peer;
    ASSERT_TRUE(peer.start({WINDOW_PEER, "serve", kClass}, peerEnv()));
    ASSERT_TRUE(peer.waitFor("ready"));
    HWND found = FindWindowA(kClass, nullptr);
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(PostMessageA(found, WM_CLOSE, 0, 0));
    EXPECT_TRUE(peer.waitFor("close"));
    EXPECT_EQ(peer.wait(), 0);
    EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);
}

TEST(RemoteWindows, ASocketWhoseProcessIsGoneIsRemovedAndNotObeyed) {
    ChildProcess peer;
    ASSERT_TRUE(peer.start({WINDOW_PEER, "serve", kClass}, peerEnv()));
    ASSERT_TRUE(peer.waitFor("ready"));
    HWND found = FindWindowA(kClass, nullptr);
    ASSERT_NE(found, nullptr);
    auto before = socketsIn(windowsDir());
    ASSERT_EQ(before.size(), 1u);

    peer.signal(SIGKILL);  // the socket file stays behind
    peer.wait();
    EXPECT_TRUE(fs::exists(before[0]));
    EXPECT_FALSE(PostMessageA(found, WM_COMMAND, 140, 0));
    EXPECT_FALSE(fs::exists(before[0]));

    // A leftover found by a search is removed as well.
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::string stale = fs::path(before[0]).parent_path() / fs::path(before[0]).filename();
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", stale.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    close(fd);
    EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);
    EXPECT_FALSE(fs::exists(stale));
}

LRESULT CALLBACK recordProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) ++*reinterpret_cast<int *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Runs as root: a child switched to "nobody" plays the other user.
TEST(RemoteWindows, AnotherUsersWindowsAreNeitherFoundNorReached) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run a process as another user";
    const uid_t other = 65534;

    // Our window; the other user's process cannot read our directory.
    WNDCLASSA cls{};
    cls.lpfnWndProc = recordProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = kClass;
    ASSERT_TRUE(RegisterClassA(&cls));
    HWND ours = CreateWindowExA(0, kClass, "Ours", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                                cls.hInstance, nullptr);
    ASSERT_NE(ours, nullptr);
    int commands = 0;
    SetWindowLongPtrA(ours, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&commands));
    {
        ChildProcess finder;
        ASSERT_TRUE(finder.start({WINDOW_PEER, "--uid", std::to_string(other), "find", kClass}, peerEnv()));
        std::string line;
        ASSERT_TRUE(finder.readLine(&line));
        EXPECT_EQ(line, "none");
        EXPECT_EQ(finder.wait(), 0);
    }
    // Even handed our socket directly, its requests are not obeyed.
    auto sockets = socketsIn(windowsDir());
    ASSERT_EQ(sockets.size(), 1u);
    char shared[] = "/tmp/hostshare-XXXXXX";
    ASSERT_NE(mkdtemp(shared), nullptr);
    chmod(shared, 0777);
    std::string link = std::string(shared) + "/window";
    ASSERT_EQ(::link(sockets[0].c_str(), link.c_str()), 0);
    chmod(link.c_str(), 0777);
    {
        ChildProcess prober;
        ASSERT_TRUE(prober.start({WINDOW_PEER, "--uid", std::to_string(other), "probe", link}, peerEnv()));
        std::string line;
        ASSERT_TRUE(prober.readLine(&line));
        EXPECT_EQ(line, "refused");
        EXPECT_EQ(prober.wait(), 0);
    }
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(commands, 0);

    // The other user's window, its socket moved into our directory, is not
    // taken for one of ours.
    char theirs[] = "/tmp/hostother-XXXXXX";
    ASSERT_NE(mkdtemp(theirs), nullptr);
    ASSERT_EQ(chown(theirs, other, other), 0);
    chmod(theirs, 0700);
    ChildProcess peer;
    ASSERT_TRUE(peer.start({WINDOW_PEER, "--uid", std::to_string(other), "serve", "Remote:TheirWindow"},
                           {"QT_QPA_PLATFORM=offscreen", std::string("XDG_RUNTIME_DIR=") + theirs}));
    ASSERT_TRUE(peer.waitFor("ready"));
    EXPECT_EQ(FindWindowA("Remote:TheirWindow", nullptr), nullptr);
    auto theirSockets = socketsIn(std::string(theirs) + "/windows");
    ASSERT_EQ(theirSockets.size(), 1u);
    std::string moved = windowsDir() + "/" + fs::path(theirSockets[0]).filename().string();
    ASSERT_EQ(rename(theirSockets[0].c_str(), moved.c_str()), 0);
    EXPECT_EQ(FindWindowA("Remote:TheirWindow", nullptr), nullptr);
    EXPECT_TRUE(fs::exists(moved));  // not ours to judge: left alone

    DestroyWindow(ours);
    UnregisterClassA(kClass, cls.hInstance);
    fs::remove_all(shared);
    fs::remove_all(theirs);
    unlink(moved.c_str());
}

}  // namespace
