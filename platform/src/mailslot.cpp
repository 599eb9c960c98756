// Mailslots as Unix datagram sockets: the reader binds the socket, writers
// connect to it and send one datagram per message.
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "fileerror.h"
#include "io.h"

using namespace platform;

namespace {

// How long a writer waits for room in the reader's queue before failing.
constexpr int kWriteWaitMs = 1000;

class MailslotReader : public IoObject {
public:
    MailslotReader(int fd, std::string path, DWORD maxSize, DWORD timeout, ino_t inode)
        : IoObject(ObjectType::Mailslot), fd_(fd), path_(std::move(path)), maxSize_(maxSize), timeout_(timeout),
          inode_(inode) {}
    ~MailslotReader() override {
        removeSocketFile();
        close(fd_);
    }

    // The mailslot ends with its last handle: its name is free again at once,
    // and a read still waiting on it returns.
    void lastHandleClosed() override {
        closed_ = true;
        removeSocketFile();
        shutdown(fd_, SHUT_RDWR);
    }

    bool read(void *buffer, DWORD size, DWORD *done) override {
        *done = 0;
        DWORD timeout = timeout_;
        int waitMs = timeout == MAILSLOT_WAIT_FOREVER ? -1 : static_cast<int>(std::min<DWORD>(timeout, 0x7FFFFFFF));
        struct pollfd p = {fd_, POLLIN, 0};
        int rc;
        while ((rc = poll(&p, 1, waitMs)) < 0 && errno == EINTR) {
        }
        if (closed_) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        if (rc == 0) {
            SetLastError(ERROR_SEM_TIMEOUT);
            return false;
        }
        ssize_t length = recv(fd_, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
        if (length < 0) return failWithErrno(errno == EAGAIN ? ETIMEDOUT : errno);
        // A message longer than the buffer stays queued, as on Windows.
        if (static_cast<size_t>(length) > size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        ssize_t n = recv(fd_, buffer, size, MSG_DONTWAIT);
        if (n < 0) return failWithErrno(errno == EAGAIN ? ETIMEDOUT : errno);
        *done = static_cast<DWORD>(n);
        return true;
    }

    bool write(const void *, DWORD, DWORD *done) override {
        *done = 0;
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    int fd() const { return fd_; }
    DWORD maxSize() const { return maxSize_; }
    DWORD timeout() const { return timeout_; }
    void setTimeout(DWORD t) { timeout_ = t; }

private:
    // Removes the socket file unless a new reader has replaced it.
    void removeSocketFile() {
        std::lock_guard<std::mutex> guard(pathLock_);
        struct stat st;
        if (!path_.empty() && stat(path_.c_str(), &st) == 0 && st.st_ino == inode_) unlink(path_.c_str());
        path_.clear();
    }

    int fd_;
    std::atomic<bool> closed_{false};
    std::mutex pathLock_;
    std::string path_;
    DWORD maxSize_;
    std::atomic<DWORD> timeout_;
    ino_t inode_;
};

class MailslotWriter : public IoObject {
public:
    explicit MailslotWriter(int fd) : IoObject(ObjectType::Mailslot), fd_(fd) {}
    ~MailslotWriter() override { close(fd_); }

    bool read(void *, DWORD, DWORD *done) override {
        *done = 0;
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    bool write(const void *buffer, DWORD size, DWORD *done) override {
        *done = 0;
        for (;;) {
            ssize_t n = send(fd_, buffer, size, MSG_NOSIGNAL);
            if (n >= 0) {
                *done = static_cast<DWORD>(n);
                return true;
            }
            if (errno == EINTR) continue;
            if (errno != EAGAIN) {
                SetLastError(errno == ECONNREFUSED || errno == ENOENT || errno == ENOTCONN ? ERROR_FILE_NOT_FOUND
                                                                                          : errnoToError(errno));
                return false;
            }
            // The reader's queue is full: wait a little for room, never long.
            struct pollfd p = {fd_, POLLOUT, 0};
            if (poll(&p, 1, kWriteWaitMs) <= 0) {
                SetLastError(ERROR_TIMEOUT);
                return false;
            }
        }
    }

private:
    int fd_;
};

// The directory of the sockets, created with mode 0700 and checked to be ours.
bool mailslotDir(std::string *dir) {
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    *dir = (runtime && *runtime) ? std::string(runtime) + "/mailslot"
                                 : "/tmp/mailslot-" + std::to_string(getuid());
    if (mkdir(dir->c_str(), 0700) != 0 && errno != EEXIST) return failWithErrno(errno == ENOENT ? ENOTDIR : errno);
    struct stat st;
    if (lstat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if ((st.st_mode & 0777) != 0700) chmod(dir->c_str(), 0700);
    return true;
}

bool socketAddress(const std::string &name, struct sockaddr_un *address, std::string *path) {
    std::string dir;
    if (!mailslotDir(&dir)) return false;
    *path = dir + "/" + name;
    memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path->size() >= sizeof address->sun_path) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    memcpy(address->sun_path, path->c_str(), path->size() + 1);
    return true;
}

// Is a reader bound at the address?
bool readerAlive(const struct sockaddr_un &address) {
    int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return false;
    bool alive = connect(probe, reinterpret_cast<const struct sockaddr *>(&address), sizeof address) == 0;
    close(probe);
    return alive;
}

bool validName(const std::string &name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

namespace platform {

bool isMailslotPath(const char *path, std::string *name) {
    // "\\.\mailslot\NAME" or "//./mailslot/NAME".
    static const char kPrefix[] = "//./mailslot/";
    size_t n = sizeof kPrefix - 1;
    if (strlen(path) < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = path[i] == '\\' ? '/' : path[i];
        if (std::tolower(static_cast<unsigned char>(c)) != kPrefix[i]) return false;
    }
    *name = path + n;
    return true;
}

HANDLE openMailslotWriter(const std::string &name) {
    if (!validName(name)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    struct sockaddr_un address;
    std::string path;
    if (!socketAddress(name, &address, &path)) return nullptr;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        failWithErrno(errno);
        return nullptr;
    }
    if (connect(fd, reinterpret_cast<const struct sockaddr *>(&address), sizeof address) != 0) {
        int err = errno;
        close(fd);
        // No reader has created the mailslot (or it has gone).
        SetLastError(err == ENOENT || err == ECONNREFUSED ? ERROR_FILE_NOT_FOUND : errnoToError(err));
        return nullptr;
    }
    return handleNew(std::make_shared<MailslotWriter>(fd));
}

}  // namespace platform

extern "C" {

WINBASEAPI HANDLE WINAPI CreateMailslotA(LPCSTR lpName, DWORD nMaxMessageSize, DWORD lReadTimeout,
                                         LPSECURITY_ATTRIBUTES) {
    std::string name;
    if (!lpName || !isMailslotPath(lpName, &name) || !validName(name)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    struct sockaddr_un address;
    std::string path;
    if (!socketAddress(name, &address, &path)) return INVALID_HANDLE_VALUE;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        failWithErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    if (bind(fd, reinterpret_cast<const struct sockaddr *>(&address), sizeof address) != 0) {
        if (errno != EADDRINUSE) {
            int err = errno;
            close(fd);
            failWithErrno(err);
            return INVALID_HANDLE_VALUE;
        }
        // One reader only; a socket file nobody reads any more is replaced.
        if (readerAlive(address)) {
            close(fd);
            SetLastError(ERROR_ALREADY_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        unlink(path.c_str());
        if (bind(fd, reinterpret_cast<const struct sockaddr *>(&address), sizeof address) != 0) {
            int err = errno;
            close(fd);
            SetLastError(err == EADDRINUSE ? ERROR_ALREADY_EXISTS : errnoToError(err));
            return INVALID_HANDLE_VALUE;
        }
    }
    struct stat st;
    stat(path.c_str(), &st);
    // A deeper queue than the default, so bursts of messages are not refused.
    int size = 1 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    HANDLE h = handleNew(std::make_shared<MailslotReader>(fd, path, nMaxMessageSize, lReadTimeout, st.st_ino));
    return h ? h : INVALID_HANDLE_VALUE;
}

WINBASEAPI BOOL WINAPI GetMailslotInfo(HANDLE hMailslot, LPDWORD lpMaxMessageSize, LPDWORD lpNextSize,
                                       LPDWORD lpMessageCount, LPDWORD lpReadTimeout) {
    auto slot = handleGet<MailslotReader>(hMailslot);
    if (!slot) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ssize_t next = recv(slot->fd(), nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
    if (lpMaxMessageSize) *lpMaxMessageSize = slot->maxSize();
    if (lpNextSize) *lpNextSize = next >= 0 ? static_cast<DWORD>(next) : MAILSLOT_NO_MESSAGE;
    // Sockets do not tell how many datagrams wait: 1 stands for "some".
    if (lpMessageCount) *lpMessageCount = next >= 0 ? 1 : 0;
    if (lpReadTimeout) *lpReadTimeout = slot->timeout();
    return TRUE;
}

WINBASEAPI BOOL WINAPI SetMailslotInfo(HANDLE hMailslot, DWORD lReadTimeout) {
    auto slot = handleGet<MailslotReader>(hMailslot);
    if (!slot) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    slot->setTimeout(lReadTimeout);
    return TRUE;
}

}  // extern "C"
