#include "logfollow.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "logframe.h"

namespace {

enum Outcome { GO_ON, STOP, NOT_A_LOG };

// One open generation and the bytes read from it that are not yet handed on.
struct FileReader {
    int fd = -1;
    ino_t inode = 0;
    uint64_t offset = 0;  // file offset of buffer[0]
    bool checked = false;  // the magic has been seen
    std::vector<unsigned char> buffer;

    bool open(const std::string &path) {
        close();
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || fstat(fd, &st) != 0) {
            close();
            return false;
        }
        inode = st.st_ino;
        return true;
    }
    void close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        inode = 0;
        offset = 0;
        checked = false;
        buffer.clear();
    }
    ~FileReader() { close(); }

    // Hands every complete record read so far to the sink.
    Outcome drain(LogfollowSink sink, void *context, bool *delivered) {
        if (fd < 0) return GO_ON;
        struct stat st;
        if (fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) < offset + buffer.size()) {
            // Cut back by the writer (a damaged tail removed): go on from its end.
            offset = static_cast<uint64_t>(st.st_size);
            buffer.clear();
        }
        unsigned char chunk[65536];
        ssize_t n;
        while ((n = pread(fd, chunk, sizeof chunk, static_cast<off_t>(offset + buffer.size()))) > 0)
            buffer.insert(buffer.end(), chunk, chunk + n);
        std::size_t at = 0;
        if (!checked) {
            if (buffer.empty()) return GO_ON;
            std::size_t seen = buffer.size() < LOGFRAME_MAGIC_SIZE ? buffer.size() : LOGFRAME_MAGIC_SIZE;
            if (std::memcmp(buffer.data(), LOGFRAME_MAGIC, seen) != 0) return NOT_A_LOG;
            if (seen < LOGFRAME_MAGIC_SIZE) return GO_ON;
            checked = true;
            at = LOGFRAME_MAGIC_SIZE;
        }
        Outcome outcome = GO_ON;
        while (at < buffer.size()) {
            std::size_t size = 0;
            LogframeStatus status = logframeParse(buffer.data() + at, buffer.size() - at, &size);
            if (status == LOGFRAME_INCOMPLETE) break;
            if (status == LOGFRAME_DAMAGED) {
                std::size_t next = logframeResync(buffer.data(), buffer.size(), at + 1);
                if (next >= buffer.size()) break;  // perhaps sound frames follow later
                at = next;
                continue;
            }
            *delivered = true;
            bool more = sink(buffer.data() + at + LOGFRAME_HEADER_SIZE, size, context);
            at += LOGFRAME_HEADER_SIZE + size;
            if (!more) {
                outcome = STOP;
                break;
            }
        }
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
        offset += at;
        return outcome;
    }
};

ino_t inodeOf(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string directoryOf(const std::string &path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int result(Outcome outcome) { return outcome == NOT_A_LOG ? -2 : 0; }

}  // namespace

int logfollowRun(const char *pathText, bool follow, long timeoutMs, LogfollowSink sink, void *context) {
    if (!pathText || !*pathText || !sink) return -2;
    std::string path = pathText;
    // The watch comes first, so nothing written after the first read is missed.
    int watch = -1;
    if (follow) {
        watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (watch < 0 || inotify_add_watch(watch, directoryOf(path).c_str(),
                                           IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
            if (watch >= 0) close(watch);
            return -3;
        }
    }
    bool delivered = false;
    Outcome outcome = GO_ON;
    {
        FileReader older;
        if (older.open(path + ".1")) outcome = older.drain(sink, context, &delivered);
    }
    FileReader current;
    if (outcome == GO_ON) {
        if (current.open(path)) {
            outcome = current.drain(sink, context, &delivered);
        } else if (!follow) {
            return -3;
        }
    }
    if (!follow || outcome != GO_ON) {
        if (watch >= 0) close(watch);
        return result(outcome);
    }

    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        // A new file under the name: finish the old one, then start on the new.
        ino_t now = inodeOf(path);
        if (now && now != current.inode) {
            ino_t finished = current.inode;
            outcome = current.drain(sink, context, &delivered);
            if (outcome != GO_ON) break;
            // Rotated twice since the last look: the generation in between
            // is now the older one, not yet read.
            FileReader between;
            if (finished && between.open(path + ".1") && between.inode != finished && between.inode != now)
                outcome = between.drain(sink, context, &delivered);
            if (outcome != GO_ON) break;
            if (current.open(path)) outcome = current.drain(sink, context, &delivered);
            if (outcome != GO_ON) break;
            continue;
        }
        if (delivered) {
            deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
            delivered = false;
        }
        int waitMs = -1;
        if (timeoutMs >= 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) break;
            waitMs = static_cast<int>(left);
        }
        struct pollfd p = {watch, POLLIN, 0};
        int rc = poll(&p, 1, waitMs);
        if (rc < 0 && errno != EINTR) break;
        char events[4096];
        while (read(watch, events, sizeof events) > 0) {
        }
        outcome = current.drain(sink, context, &delivered);
        if (outcome != GO_ON) break;
    }
    close(watch);
    return result(outcome);
}
