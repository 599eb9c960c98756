// Change notifications on a directory, on inotify. A small thread per
// notification reads the events and signals the handle through the wait lock.
#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>
#include <thread>

#include "fileerror.h"
#include "waitable.h"

using namespace platform;

namespace {

// State shared by the handle's object and its reading thread; the fields
// below the comment are guarded by the wait lock.
struct WatchState {
    DWORD filter = 0;
    bool subtree = false;
    int inotifyFd = -1;
    int stopFd = -1;
    std::map<int, std::string> directories;  // watch descriptor -> path (thread only)
    int rootWatch = -1;

    // Guarded by the wait lock:
    uint64_t changes = 0;   // relevant event batches seen
    uint64_t taken = 0;     // changes when a wait last took the signal
    bool gone = false;      // the directory was removed, renamed or unmounted
    bool goneTaken = false; // ... and a wait has seen that
};

uint32_t inotifyMask(DWORD filter) {
    uint32_t mask = IN_DELETE_SELF | IN_MOVE_SELF;
    if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME))
        mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) mask |= IN_ATTRIB;
    if (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) mask |= IN_MODIFY | IN_CLOSE_WRITE;
    if (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS) mask |= IN_ACCESS;
    if (filter & FILE_NOTIFY_CHANGE_CREATION) mask |= IN_CREATE;
    return mask;
}

// Does the event count for the filter? Name changes are split between files
// and directories as on Windows.
bool relevant(const struct inotify_event &e, DWORD filter) {
    const uint32_t names = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (e.mask & names) {
        DWORD kind = (e.mask & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME;
        if (filter & kind) return true;
        if ((e.mask & IN_CREATE) && (filter & FILE_NOTIFY_CHANGE_CREATION)) return true;
    }
    if ((e.mask & IN_ATTRIB) && (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY))) return true;
    if ((e.mask & (IN_MODIFY | IN_CLOSE_WRITE)) && (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)))
        return true;
    if ((e.mask & IN_ACCESS) && (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS)) return true;
    return false;
}

// Watches a directory and, for a subtree, every directory below it.
void addWatches(WatchState &s, const std::string &path, bool recurse) {
    int wd = inotify_add_watch(s.inotifyFd, path.c_str(), inotifyMask(s.filter) | IN_ONLYDIR);
    if (wd < 0) return;
    s.directories[wd] = path;
    if (!recurse) return;
    DIR *dir = opendir(path.c_str());
    if (!dir) return;
    while (struct dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string child = path + "/" + name;
        struct stat st;
        if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) addWatches(s, child, true);
    }
    closedir(dir);
}

void readEvents(const std::shared_ptr<WatchState> &state) {
    WatchState &s = *state;
    alignas(struct inotify_event) char buffer[16384];
    for (;;) {
        struct pollfd fds[2] = {{s.inotifyFd, POLLIN, 0}, {s.stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) return;
        ssize_t n = read(s.inotifyFd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        bool change = false, gone = false;
        for (ssize_t off = 0; off < n;) {
            auto *e = reinterpret_cast<struct inotify_event *>(buffer + off);
            off += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
            if (e->mask & IN_Q_OVERFLOW) {
                change = true;
                continue;
            }
            const bool root = e->wd == s.rootWatch;
            if (root && (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))) {
                gone = true;
                continue;
            }
            if (e->mask & IN_IGNORED) {
                s.directories.erase(e->wd);
                continue;
            }
            if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) continue;  // reported by its parent
            if (relevant(*e, s.filter)) change = true;
            // New directories inside a watched subtree are watched too.
            if (s.subtree && (e->mask & IN_ISDIR) && (e->mask & (IN_CREATE | IN_MOVED_TO)) && e->len) {
                auto it = s.directories.find(e->wd);
                if (it != s.directories.end()) addWatches(s, it->second + "/" + e->name, true);
            }
        }
        if (change || gone) {
            {
                std::lock_guard<std::mutex> guard(waitLock());
                if (change) ++s.changes;
                if (gone) s.gone = true;
            }
            waitNotifyAll();
        }
        if (gone) return;
    }
    // The descriptor failed: treat the watch as lost rather than spin.
    {
        std::lock_guard<std::mutex> guard(waitLock());
        s.gone = true;
    }
    waitNotifyAll();
}

class ChangeNotification : public Waitable {
public:
    explicit ChangeNotification(std::shared_ptr<WatchState> state)
        : Waitable(ObjectType::ChangeNotification), state_(std::move(state)) {
        thread_ = std::thread(readEvents, state_);
    }
    ~ChangeNotification() override {
        uint64_t one = 1;
        if (write(state_->stopFd, &one, sizeof one) < 0) {
            // The thread also ends when its descriptors close below.
        }
        thread_.join();
        close(state_->inotifyFd);
        close(state_->stopFd);
    }

    // With the wait lock held.
    bool isSignaled(DWORD, uint64_t) const override {
        return state_->changes != state_->taken || (state_->gone && !state_->goneTaken);
    }
    bool acquire(DWORD) override {
        // The handle stays signalled until FindNextChangeNotification;
        // remember what this wait has seen.
        taken_ = state_->changes;
        sawGone_ = state_->gone;
        return false;
    }
    // With the wait lock held. False when the directory is gone.
    bool rearm() {
        state_->taken = taken_;
        if (state_->gone && sawGone_) {
            state_->goneTaken = true;
            return false;
        }
        return !state_->gone || !state_->goneTaken;
    }

private:
    std::shared_ptr<WatchState> state_;
    std::thread thread_;
    uint64_t taken_ = 0;  // guarded by the wait lock
    bool sawGone_ = false;
};

}  // namespace

extern "C" {

WINBASEAPI HANDLE WINAPI FindFirstChangeNotificationA(LPCSTR lpPathName, BOOL bWatchSubtree, DWORD dwNotifyFilter) {
    const DWORD known = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                        FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_LAST_ACCESS |
                        FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_SECURITY;
    if (!lpPathName || !dwNotifyFilter || (dwNotifyFilter & ~known)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (stat(lpPathName, &st) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : errnoToError(errno));
        return INVALID_HANDLE_VALUE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return INVALID_HANDLE_VALUE;
    }
    auto state = std::make_shared<WatchState>();
    state->filter = dwNotifyFilter;
    state->subtree = bWatchSubtree != FALSE;
    state->inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    state->stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (state->inotifyFd < 0 || state->stopFd < 0) {
        int err = errno;
        if (state->inotifyFd >= 0) close(state->inotifyFd);
        if (state->stopFd >= 0) close(state->stopFd);
        SetLastError(err == EMFILE || err == ENFILE ? ERROR_TOO_MANY_OPEN_FILES : errnoToError(err));
        return INVALID_HANDLE_VALUE;
    }
    std::string root = lpPathName;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    addWatches(*state, root, state->subtree);
    if (state->directories.empty()) {
        int err = errno;
        close(state->inotifyFd);
        close(state->stopFd);
        SetLastError(errnoToError(err));
        return INVALID_HANDLE_VALUE;
    }
    state->rootWatch = state->directories.begin()->first;
    for (auto &[wd, path] : state->directories)
        if (path == root) state->rootWatch = wd;
    HANDLE h = handleNew(std::make_shared<ChangeNotification>(state));
    return h ? h : INVALID_HANDLE_VALUE;
}

WINBASEAPI BOOL WINAPI FindNextChangeNotification(HANDLE hChangeHandle) {
    auto notification = handleGet<ChangeNotification>(hChangeHandle);
    if (!notification) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool ok;
    {
        std::lock_guard<std::mutex> guard(waitLock());
        ok = notification->rearm();
    }
    if (!ok) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

WINBASEAPI BOOL WINAPI FindCloseChangeNotification(HANDLE hChangeHandle) {
    if (!handleGet<ChangeNotification>(hChangeHandle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    handleRemove(handleValue(hChangeHandle));
    return TRUE;
}

}  // extern "C"
