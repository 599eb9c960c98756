// The ".hidden" file of a directory.
#include "hidden.h"

#include <windows.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "fileerror.h"

namespace platform {

void splitPath(const std::string &path, std::string *dir, std::string *name) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) {
        *dir = ".";
        *name = p;
    } else {
        *dir = slash == 0 ? "/" : p.substr(0, slash);
        *name = p.substr(slash + 1);
    }
}

std::vector<std::string> hiddenList(const std::string &dir) {
    std::vector<std::string> names;
    std::ifstream in(dir + "/.hidden", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) names.push_back(line);
    }
    return names;
}

bool isListedHidden(const std::string &path) {
    std::string dir, name;
    splitPath(path, &dir, &name);
    auto names = hiddenList(dir);
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isHiddenPath(const std::string &path) {
    std::string dir, name;
    splitPath(path, &dir, &name);
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") return true;
    auto names = hiddenList(dir);
    return std::find(names.begin(), names.end(), name) != names.end();
}

namespace {

// Holds an exclusive flock on a directory while the list is changed.
class DirLock {
public:
    explicit DirLock(const std::string &dir) : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~DirLock() {
        if (fd_ >= 0) close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

bool writeList(const std::string &dir, const std::vector<std::string> &names) {
    std::string target = dir + "/.hidden";
    if (names.empty()) {
        if (unlink(target.c_str()) != 0 && errno != ENOENT) return failWithErrno(errno);
        return true;
    }
    std::string text;
    for (const auto &n : names) text += n + "\n";
    std::string temp = dir + "/.hidden.XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return failWithErrno(errno);
    fchmod(fd, 0644);
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    int err = errno;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return failWithErrno(err ? err : EIO);
    }
    return true;
}

}  // namespace

bool setHiddenListed(const std::string &path, bool hidden) {
    std::string dir, name;
    splitPath(path, &dir, &name);
    if (name.empty() || name.find('\n') != std::string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    DirLock lock(dir);
    if (!lock.ok()) return failWithErrno(errno == ENOENT ? ENOTDIR : errno);
    auto names = hiddenList(dir);
    auto it = std::find(names.begin(), names.end(), name);
    if (hidden == (it != names.end())) return true;
    if (hidden) names.push_back(name);
    else names.erase(std::remove(names.begin(), names.end(), name), names.end());
    return writeList(dir, names);
}

}  // namespace platform
