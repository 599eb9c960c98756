// Reading help archives with libzip: the map, pop-up texts, and unpacking the
// pages for the browser.
#include "help/helparchive.h"

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::ui {
namespace {

std::string trim(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return std::string(s.substr(a, b - a));
}

bool parseNumber(const std::string &s, uint32_t *out) {
    if (s.empty() || s.size() > 10) return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

struct Archive {
    explicit Archive(const std::string &path) {
        int error = 0;
        zip = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    }
    ~Archive() {
        if (zip) zip_discard(zip);
    }
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;
    zip_t *zip = nullptr;
};

// Reads entry index completely, at most limit bytes (whatever the header says).
std::optional<std::string> readIndex(zip_t *zip, zip_uint64_t index, int64_t limit) {
    zip_file_t *file = zip_fopen_index(zip, index, 0);
    if (!file) return std::nullopt;
    std::string data;
    char buffer[16384];
    while (true) {
        zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            zip_fclose(file);
            return std::nullopt;
        }
        if (n == 0) break;
        if (static_cast<int64_t>(data.size()) + n > limit) {
            zip_fclose(file);
            return std::nullopt;
        }
        data.append(buffer, static_cast<size_t>(n));
    }
    zip_fclose(file);
    return data;
}

bool makeDirectories(const std::string &path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool writeFile(const std::string &path, const std::string &data) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return close(fd) == 0;
}

void removeTree(const std::string &path) {
    // The tree holds only files and directories written here.
    std::vector<std::string> stack{path};
    std::vector<std::string> dirs;
    while (!stack.empty()) {
        std::string dir = stack.back();
        stack.pop_back();
        dirs.push_back(dir);
        if (DIR *d = opendir(dir.c_str())) {
            while (dirent *e = readdir(d)) {
                if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
                std::string child = dir + "/" + e->d_name;
                struct stat st {};
                if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) stack.push_back(child);
                else unlink(child.c_str());
            }
            closedir(d);
        }
    }
    for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) rmdir(it->c_str());
}

std::string cacheRoot() {
    const char *xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/cradle-help";
    const char *home = std::getenv("HOME");
    if (home && *home == '/') return std::string(home) + "/.cache/cradle-help";
    return "/tmp/cradle-help-" + std::to_string(getuid());
}

}  // namespace

std::optional<std::string> HelpMap::page(uint32_t context) const {
    std::istringstream in(entries);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        uint32_t n = 0;
        if (eq != std::string::npos && parseNumber(line.substr(0, eq), &n) && n == context) return line.substr(eq + 1);
    }
    return std::nullopt;
}

bool helpSafeEntryName(const std::string &name) {
    if (name.empty() || name.size() > 255 || name.front() == '/' || name.find('\\') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        std::string part = name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        // A trailing slash marks a directory entry; empty parts elsewhere are refused.
        if (part.empty() && slash != std::string::npos) return false;
        if (part == "." || part == "..") return false;
        if (slash == std::string::npos) break;
        start = slash + 1;
        if (start == name.size()) break;
    }
    return true;
}

bool helpParseMap(const std::string &text, HelpMap *map, int *badLine) {
    HelpMap result;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        std::string line = trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            if (badLine) *badLine = number;
            return false;
        }
        std::string key = trim(std::string_view(line).substr(0, eq));
        std::string value = trim(std::string_view(line).substr(eq + 1));
        uint32_t context = 0;
        if (key == "title") result.title = value;
        else if (key == "contents" && helpSafeEntryName(value)) result.contents = value;
        else if (key == "popups" && helpSafeEntryName(value)) result.popups = value;
        else if (parseNumber(key, &context) && !value.empty() && helpSafeEntryName(value.substr(0, value.find('#'))))
            result.entries += std::to_string(context) + "=" + value + "\n";
        else {
            if (badLine) *badLine = number;
            return false;
        }
    }
    *map = result;
    return true;
}

std::optional<std::string> helpReadEntry(const std::string &archive, const std::string &name) {
    Archive a(archive);
    if (!a.zip) return std::nullopt;
    zip_int64_t index = zip_name_locate(a.zip, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) return std::nullopt;
    return readIndex(a.zip, static_cast<zip_uint64_t>(index), kHelpMaxEntryBytes);
}

std::optional<HelpMap> helpReadMap(const std::string &archive) {
    auto text = helpReadEntry(archive, "help.map");
    if (!text) return std::nullopt;
    HelpMap map;
    if (!helpParseMap(*text, &map, nullptr)) return std::nullopt;
    return map;
}

std::optional<std::string> helpPopupText(const std::string &text, uint32_t topic) {
    std::istringstream in(text);
    std::string raw, body;
    bool inTopic = false;
    while (std::getline(in, raw)) {
        std::string line = trim(raw);
        if (line.rfind(".topic", 0) == 0) {
            if (inTopic) break;
            uint32_t n = 0;
            inTopic = parseNumber(trim(std::string_view(line).substr(6)), &n) && n == topic;
            continue;
        }
        if (inTopic) body += (body.empty() ? "" : "\n") + line;
    }
    if (!inTopic) return std::nullopt;
    while (!body.empty() && body.back() == '\n') body.pop_back();
    return body;
}

std::optional<std::string> helpUnpack(const std::string &archive) {
    struct stat st {};
    if (stat(archive.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::string base = archive.substr(archive.rfind('/') + 1);
    for (char &c : base)
        if (c == '/' || c == ' ') c = '_';
    std::string root = cacheRoot();
    // One directory per version of the file: its size and modification time.
    std::string target = root + "/" + base + "-" + std::to_string(st.st_size) + "-" + std::to_string(st.st_mtim.tv_sec) +
                         "." + std::to_string(st.st_mtim.tv_nsec);
    struct stat existing {};
    if (lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) return target;
    if (!makeDirectories(root)) return std::nullopt;
    char temp[4096];
    std::snprintf(temp, sizeof temp, "%s/.unpack-XXXXXX", root.c_str());
    if (!mkdtemp(temp)) return std::nullopt;
    std::string work = temp;

    Archive a(archive);
    bool ok = a.zip != nullptr;
    zip_int64_t count = ok ? zip_get_num_entries(a.zip, 0) : 0;
    if (count < 0 || count > kHelpMaxEntries) ok = false;
    int64_t total = 0;
    for (zip_int64_t i = 0; ok && i < count; ++i) {
        const char *name = zip_get_name(a.zip, static_cast<zip_uint64_t>(i), 0);
        if (!name || !helpSafeEntryName(name)) {
            ok = false;
            break;
        }
        std::string entry = name;
        if (entry.back() == '/') {
            ok = makeDirectories(work + "/" + entry.substr(0, entry.size() - 1));
            continue;
        }
        auto data = readIndex(a.zip, static_cast<zip_uint64_t>(i), kHelpMaxEntryBytes);
        if (!data || (total += static_cast<int64_t>(data->size())) > kHelpMaxTotalBytes) {
            ok = false;
            break;
        }
        size_t slash = entry.rfind('/');
        if (slash != std::string::npos && !makeDirectories(work + "/" + entry.substr(0, slash))) ok = false;
        if (ok && !writeFile(work + "/" + entry, *data)) ok = false;
    }
    if (!ok) {
        removeTree(work);
        return std::nullopt;
    }
    if (rename(work.c_str(), target.c_str()) != 0) {
        // Another process unpacked the same version first.
        removeTree(work);
        if (lstat(target.c_str(), &existing) != 0 || !S_ISDIR(existing.st_mode)) return std::nullopt;
    }
    return target;
}

}  // namespace platform::ui
