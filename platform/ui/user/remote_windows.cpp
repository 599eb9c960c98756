// Windows addressable from other processes of the same user: one listening
// Unix socket per registered window, served by one thread per process.
//
// Request (little-endian): magic "ZWIN", operation (1 find, 2 post), then
// for find: class length, title length + 1 (0: any title), class, title;
// for post: message (4 bytes), wParam and lParam (8 bytes each). Answer: one
// byte, 1 for a match or an accepted message, 0 otherwise.
#include "user/remote_windows.h"

#include "handles.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <dirent.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <strings.h>
#include <thread>
#include <vector>

namespace platform::ui {
namespace {

constexpr uint32_t kMagic = 0x4E49575A;  // "ZWIN"
constexpr uint32_t kFind = 1;
constexpr uint32_t kPost = 2;
constexpr size_t kMaxName = 512;
constexpr int kTimeoutMs = 2000;

std::string directoryPath() {
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    return (runtime && *runtime) ? std::string(runtime) + "/windows" : "/tmp/windows-" + std::to_string(geteuid());
}

// The user's window directory, made when missing; empty when it is not a
// directory of this user (then nothing is registered nor found).
std::string directory(bool create) {
    std::string dir = directoryPath();
    if (create && mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat st;
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return {};
    if ((st.st_mode & 0777) != 0700 && chmod(dir.c_str(), 0700) != 0) return {};
    return dir;
}

// FNV-1a of the class name in upper case: the first part of a socket's name.
std::string classHash(const char *name) {
    uint64_t h = 1469598103934665603ull;
    for (const char *p = name; *p; ++p) {
        char c = (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 32) : *p;
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

bool fillAddress(sockaddr_un &a, const std::string &path) {
    if (path.size() >= sizeof a.sun_path) return false;
    std::memset(&a, 0, sizeof a);
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void setTimeouts(int fd) {
    timeval tv{kTimeoutMs / 1000, (kTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool sendAll(int fd, const void *data, size_t size) {
    auto *p = static_cast<const char *>(data);
    while (size) {
        ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n, size -= static_cast<size_t>(n);
    }
    return true;
}

bool recvAll(int fd, void *data, size_t size) {
    auto *p = static_cast<char *>(data);
    while (size) {
        ssize_t n = recv(fd, p, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n, size -= static_cast<size_t>(n);
    }
    return true;
}

// The peer of a connected socket runs as this user (and, when pid is not 0,
// is that process).
bool peerIsOurs(int fd, pid_t pid) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
    return cred.uid == geteuid() && (pid == 0 || cred.pid == pid);
}

// Messages another process may post: none whose parameters are pointers or
// code here (WM_TIMER carries a procedure, WM_SETTEXT a string...).
bool postable(UINT msg) {
    return msg == WM_NULL || msg == WM_CLOSE || msg == WM_COMMAND || msg == WM_SYSCOMMAND ||
           (msg >= WM_USER && msg <= 0xFFFF);
}

// ---- the serving side ----

struct Registered {
    int fd;
    std::string path;
    std::string className;
};

struct Server {
    std::mutex lock;
    std::map<HWND, Registered> windows;
    std::vector<int> closing;  // closed by the thread, which may be polling them
    int wakeFd = -1;
    bool started = false;
};

Server &server() {
    static auto *s = new Server;
    return *s;
}

void wake(Server &s) {
    uint64_t one = 1;
    ssize_t ignored = write(s.wakeFd, &one, sizeof one);
    (void)ignored;
}

bool matches(HWND hwnd, const std::string &className, const std::string &wantedClass, const std::string *title) {
    if (strcasecmp(className.c_str(), wantedClass.c_str()) != 0) return false;
    if (!title) return true;
    // The title belongs to the window's thread; ask it, but never hang on it.
    char text[kMaxName + 1] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             kTimeoutMs, &length))
        return false;
    return *title == text;
}

void serve(int fd, HWND hwnd, const std::string &className) {
    setTimeouts(fd);
    uint32_t head[2];
    unsigned char answer = 0;
    if (!peerIsOurs(fd, 0) || !recvAll(fd, head, sizeof head) || head[0] != kMagic) return;
    if (head[1] == kFind) {
        uint32_t lengths[2];
        if (!recvAll(fd, lengths, sizeof lengths) || lengths[0] > kMaxName || lengths[1] > kMaxName + 1) return;
        std::string wanted(lengths[0], '\0'), title(lengths[1] ? lengths[1] - 1 : 0, '\0');
        if (!recvAll(fd, wanted.data(), wanted.size()) || !recvAll(fd, title.data(), title.size())) return;
        answer = matches(hwnd, className, wanted, lengths[1] ? &title : nullptr) ? 1 : 0;
    } else if (head[1] == kPost) {
        struct {
            uint32_t msg;
            uint64_t wParam, lParam;
        } __attribute__((packed)) body;
        if (!recvAll(fd, &body, sizeof body)) return;
        if (!postable(body.msg) || !IsWindow(hwnd)) {
            sendAll(fd, &answer, 1);
            return;
        }
        // The answer goes first: the message may end the process (WM_CLOSE)
        // before this thread could write it.
        answer = 1;
        sendAll(fd, &answer, 1);
        PostMessageA(hwnd, body.msg, static_cast<WPARAM>(body.wParam), static_cast<LPARAM>(body.lParam));
        return;
    } else {
        return;
    }
    sendAll(fd, &answer, 1);
}

void serverLoop() {
    Server &s = server();
    for (;;) {
        std::vector<pollfd> fds{{s.wakeFd, POLLIN, 0}};
        std::vector<std::pair<HWND, std::string>> owners;
        {
            std::lock_guard<std::mutex> g(s.lock);
            for (int fd : s.closing) close(fd);
            s.closing.clear();
            for (auto &[hwnd, r] : s.windows) {
                fds.push_back({r.fd, POLLIN, 0});
                owners.emplace_back(hwnd, r.className);
            }
        }
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            ssize_t ignored = read(s.wakeFd, &count, sizeof count);
            (void)ignored;
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            {
                // Withdrawn meanwhile: its descriptor waits to be closed.
                std::lock_guard<std::mutex> g(s.lock);
                auto it = s.windows.find(owners[i - 1].first);
                if (it == s.windows.end() || it->second.fd != fds[i].fd) continue;
            }
            int client = accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            serve(client, owners[i - 1].first, owners[i - 1].second);
            close(client);
        }
    }
}

// ---- the finding side ----

class RemoteWindow : public PlatformObject {
public:
    RemoteWindow(std::string p, pid_t owner) : PlatformObject(ObjectType::Other), path(std::move(p)), pid(owner) {}
    const std::string path;
    const pid_t pid;
};

std::mutex foundLock;
std::map<std::string, HandleValue> &found() {
    static auto *m = new std::map<std::string, HandleValue>;
    return *m;
}

HWND handleFor(const std::string &path, pid_t pid) {
    std::lock_guard<std::mutex> g(foundLock);
    auto it = found().find(path);
    if (it != found().end() && handleGet<RemoteWindow>(handleFromValue<HWND>(it->second)))
        return handleFromValue<HWND>(it->second);
    HWND h = handleNew<HWND>(std::make_shared<RemoteWindow>(path, pid));
    if (h) found()[path] = handleValue(h);
    return h;
}

enum class Connect { Ok, Stale, Failed };

// Connects to a window's socket and checks that its process is the one the
// name says, running as this user. A socket nobody listens on is stale.
Connect connectTo(const std::string &path, pid_t pid, int *out) {
    sockaddr_un a;
    if (!fillAddress(a, path)) return Connect::Failed;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Connect::Failed;
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        int e = errno;
        close(fd);
        return e == ECONNREFUSED || e == ENOENT ? Connect::Stale : Connect::Failed;
    }
    if (!peerIsOurs(fd, pid)) {
        close(fd);
        return Connect::Failed;
    }
    setTimeouts(fd);
    *out = fd;
    return Connect::Ok;
}

// Removes a stale socket file of this user's directory.
void removeStale(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == geteuid()) unlink(path.c_str());
    std::lock_guard<std::mutex> g(foundLock);
    found().erase(path);
}

bool parseName(const char *name, std::string *hash, pid_t *pid) {
    unsigned long long p = 0, h = 0;
    char hex[17];
    int used = 0;
    if (std::sscanf(name, "%16[0-9a-f]-%llu-%llu%n", hex, &p, &h, &used) != 3 || name[used] != '\0') return false;
    if (std::strlen(hex) != 16 || p == 0) return false;
    *hash = hex;
    *pid = static_cast<pid_t>(p);
    return true;
}

bool askFind(int fd, const char *className, const char *title) {
    uint32_t head[4] = {kMagic, kFind, static_cast<uint32_t>(std::strlen(className)),
                        title ? static_cast<uint32_t>(std::strlen(title) + 1) : 0};
    unsigned char answer = 0;
    return sendAll(fd, head, sizeof head) && sendAll(fd, className, head[2]) &&
           (!title || sendAll(fd, title, head[3] - 1)) && recvAll(fd, &answer, 1) && answer == 1;
}

}  // namespace

void remoteRegister(HWND hwnd, const std::string &className, HINSTANCE classInstance, DWORD exStyle) {
    if (!classInstance || (exStyle & WS_EX_TOOLWINDOW) || className.empty() || className.size() > kMaxName) return;
    std::string dir = directory(true);
    if (dir.empty()) return;
    std::string path = dir + "/" + classHash(className.c_str()) + "-" + std::to_string(getpid()) + "-" +
                       std::to_string(handleValue(hwnd));
    sockaddr_un a;
    if (!fillAddress(a, path)) return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    unlink(path.c_str());  // a leftover of a process that had our pid
    if (bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return;
    }
    Server &s = server();
    std::lock_guard<std::mutex> g(s.lock);
    if (!s.started) {
        s.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (s.wakeFd < 0) {
            close(fd);
            unlink(path.c_str());
            return;
        }
        std::thread(serverLoop).detach();
        s.started = true;
    }
    s.windows[hwnd] = Registered{fd, path, className};
    wake(s);
}

void remoteUnregister(HWND hwnd) {
    Server &s = server();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.windows.find(hwnd);
    if (it == s.windows.end()) return;
    unlink(it->second.path.c_str());
    s.closing.push_back(it->second.fd);
    s.windows.erase(it);
    wake(s);
}

namespace {

// Classes found absent, with the directory's modification time at that scan.
// Only a time at least a second old is trusted: a file system's clock may be
// coarse, and an entry made within the same tick would not change it.
std::mutex g_absentLock;
std::map<std::string, timespec> g_absent;

bool sameTime(const timespec &a, const timespec &b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool knownAbsent(const std::string &hash, const timespec &modified) {
    std::lock_guard<std::mutex> g(g_absentLock);
    auto it = g_absent.find(hash);
    return it != g_absent.end() && sameTime(it->second, modified);
}

void rememberAbsent(const std::string &hash, const timespec &modified) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::lock_guard<std::mutex> g(g_absentLock);
    if (now.tv_sec - modified.tv_sec >= 2) g_absent[hash] = modified;
    else g_absent.erase(hash);
}

}  // namespace

HWND remoteFind(const char *className, const char *title) {
    if (!className || reinterpret_cast<uintptr_t>(className) <= 0xFFFF || std::strlen(className) > kMaxName ||
        (title && std::strlen(title) > kMaxName))
        return nullptr;
    std::string wanted = classHash(className);
    // A class that had no window in the directory still has none while the
    // directory is unchanged: callers that poll (the tray module looks for a
    // taskbar on every tick) then cost one stat, not a scan.
    struct stat before {};
    bool dated = stat(directoryPath().c_str(), &before) == 0;
    if (dated && knownAbsent(wanted, before.st_mtim)) return nullptr;
    std::string dir = directory(false);
    if (dir.empty()) return nullptr;
    DIR *d = opendir(dir.c_str());
    if (!d) return nullptr;
    std::vector<std::pair<std::string, pid_t>> candidates;
    while (dirent *e = readdir(d)) {
        std::string hash;
        pid_t pid;
        if (!parseName(e->d_name, &hash, &pid) || hash != wanted || pid == getpid()) continue;
        candidates.emplace_back(dir + "/" + e->d_name, pid);
    }
    closedir(d);
    if (dated && candidates.empty()) rememberAbsent(wanted, before.st_mtim);
    for (auto &[path, pid] : candidates) {
        int fd = -1;
        Connect c = connectTo(path, pid, &fd);
        if (c == Connect::Stale) removeStale(path);
        if (c != Connect::Ok) continue;
        bool match = askFind(fd, className, title);
        close(fd);
        if (match) return handleFor(path, pid);
    }
    return nullptr;
}

int remotePost(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto remote = handleGet<RemoteWindow>(hwnd);
    if (!remote) return -1;
    if (!postable(msg)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    int fd = -1;
    Connect c = connectTo(remote->path, remote->pid, &fd);
    if (c != Connect::Ok) {
        if (c == Connect::Stale) removeStale(remote->path);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    struct {
        uint32_t magic, op, msg;
        uint64_t wParam, lParam;
    } __attribute__((packed)) request{kMagic, kPost, msg, static_cast<uint64_t>(wParam),
                                      static_cast<uint64_t>(lParam)};
    unsigned char answer = 0;
    bool ok = sendAll(fd, &request, sizeof request) && recvAll(fd, &answer, 1) && answer == 1;
    close(fd);
    if (!ok) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return ok ? TRUE : FALSE;
}

}  // namespace platform::ui
