// A new user's configuration folder, made from what the installed copy ships
// beside the program. Every copy is built under a temporary name and moved
// into place whole, and never over something that appeared meanwhile (a
// second start racing this one, or the user), so a user's own files are
// never replaced and an interrupted copy leaves nothing that looks finished.
#include "shell/startup.h"

#include "shell/shell.h"
#include "zellog.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

constexpr int kMaxDepth = 8;  // shipped folders are shallow; deeper ones are not copied

bool exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

bool writeAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies a regular file with its modification time (the shipped thumbnails
// must stay newer than their photos). -1 from cannot be read, -2 to cannot
// be written; a partial to is removed.
int copyFile(const std::string &from, const std::string &to) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return -1;
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return -1;
    }
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        close(in);
        return -2;
    }
    int result = 0;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) result = -1;
        if (n <= 0) break;
        if (!writeAll(out, buffer, static_cast<size_t>(n))) {
            result = -2;
            break;
        }
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (result == 0 && (futimens(out, times) != 0 || fsync(out) != 0)) result = -2;
    if (close(out) != 0 && result == 0) result = -2;
    close(in);
    if (result != 0) unlink(to.c_str());
    return result;
}

// Removes a folder with everything in it; a link is removed, not followed.
void removeTree(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (!S_ISDIR(st.st_mode)) {
        unlink(path.c_str());
        return;
    }
    if (DIR *d = opendir(path.c_str())) {
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") removeTree(path + "/" + name);
        }
        closedir(d);
    }
    rmdir(path.c_str());
}

// The folders and regular files of from into the existing folder to.
int copyTree(const std::string &from, const std::string &to, int depth) {
    DIR *d = opendir(from.c_str());
    if (!d) return -1;
    int result = 0;
    while (result == 0) {
        errno = 0;
        dirent *e = readdir(d);
        if (!e) {
            if (errno != 0) result = -1;
            break;
        }
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string source = from + "/" + name, target = to + "/" + name;
        struct stat st;
        if (lstat(source.c_str(), &st) != 0) continue;  // gone meanwhile
        if (S_ISREG(st.st_mode)) {
            result = copyFile(source, target);
        } else if (S_ISDIR(st.st_mode) && depth < kMaxDepth) {
            if (mkdir(target.c_str(), 0777) != 0) result = -2;
            else result = copyTree(source, target, depth + 1);
        }
    }
    closedir(d);
    return result;
}

// Moves the finished copy tmp to its name unless that exists by now.
// 1 moved; 0 the name was taken (tmp is left for the caller); -2 failed.
int publish(const std::string &tmp, const std::string &to) {
    if (renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 1;
    if (errno == EEXIST) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -2;
    // A file system without the no-replace flag: a check just before.
    if (exists(to)) return 0;
    return rename(tmp.c_str(), to.c_str()) == 0 ? 1 : -2;
}

std::string temporaryName(const char *to) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%d.part", static_cast<int>(getpid()));
    return std::string(to) + suffix;
}

// Logs a piece that could not be made; the program goes on without it.
void report(const std::string &to, int result) {
    if (result < 0) zelextLog("cradle", ZELLOG_ERROR, "could not make %s (error code %d)", to.c_str(), result);
}

}  // namespace

int shellSeedFile(const char *from, const char *to) {
    if (!from || !to || !*from || !*to) return -1;
    if (exists(to)) return 0;
    std::string tmp = temporaryName(to);
    unlink(tmp.c_str());  // left by an earlier start of the same process id
    int result = copyFile(from, tmp);
    if (result < 0) return result;
    result = publish(tmp, to);
    if (result != 1) unlink(tmp.c_str());
    return result;
}

int shellSeedFolder(const char *from, const char *to) {
    if (!from || !to || !*from || !*to) return -1;
    if (exists(to)) return 0;
    struct stat st;
    if (stat(from, &st) != 0 || !S_ISDIR(st.st_mode)) return -1;
    std::string tmp = temporaryName(to);
    removeTree(tmp);
    if (mkdir(tmp.c_str(), 0777) != 0) return -2;
    int result = copyTree(from, tmp, 0);
    if (result == 0) result = publish(tmp, to);
    if (result != 1) removeTree(tmp);
    return result;
}

void shellSeedUserFolder() {
    const ShellPaths &p = shellState().paths;
    if (!p.shippedDir[0]) return;
    std::string config = p.config;
    std::string folder = config.substr(0, config.find_last_of('/') + 1);
    std::string shipped = p.shippedDir;
    report(config, shellSeedFile((shipped + "cradle.ini").c_str(), config.c_str()));
    // The sample collection only for a user who has no collections yet.
    std::string collections = folder + "Collections";
    report(collections, shellSeedFolder((shipped + "Collections").c_str(), collections.c_str()));
}
