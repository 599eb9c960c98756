#include "mimetypes_desc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

const char* kMimeDir = "/usr/share/mime";

struct Database {
    std::unordered_map<std::string, std::string> byExtension;  // lower-case extension -> type
    std::unordered_map<std::string, std::string> aliases;      // alias -> canonical type
    std::unordered_map<std::string, std::string> comments;     // type -> description (cache)
    std::mutex lock;
};

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// globs2 lines read "weight:type:pattern"; the list is sorted by weight, so
// the first type of an extension is the preferred one.
void loadGlobs(Database& db) {
    std::ifstream in(std::string(kMimeDir) + "/globs2");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t a = line.find(':');
        size_t b = a == std::string::npos ? a : line.find(':', a + 1);
        if (b == std::string::npos) continue;
        std::string type = line.substr(a + 1, b - a - 1);
        std::string pattern = line.substr(b + 1);
        size_t extra = pattern.find(':');  // flags after the pattern
        if (extra != std::string::npos) pattern.resize(extra);
        if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0) continue;
        std::string ext = pattern.substr(2);
        if (ext.find_first_of("*?[") != std::string::npos) continue;
        db.byExtension.emplace(lower(ext), type);
    }
    std::ifstream al(std::string(kMimeDir) + "/aliases");
    while (std::getline(al, line)) {
        size_t sp = line.find(' ');
        if (sp != std::string::npos) db.aliases.emplace(line.substr(0, sp), line.substr(sp + 1));
    }
}

Database& database() {
    static Database db;
    static std::once_flag once;
    std::call_once(once, [] { loadGlobs(db); });
    return db;
}

void unescapeXml(std::string& s) {
    static const std::pair<const char*, char> ents[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (auto& [ent, ch] : ents) {
        size_t pos;
        while ((pos = s.find(ent)) != std::string::npos) s.replace(pos, std::strlen(ent), 1, ch);
    }
}

// The untranslated <comment> of the type's own description file.
std::string readComment(const std::string& type) {
    if (type.find("..") != std::string::npos) return {};
    std::ifstream in(std::string(kMimeDir) + "/" + type + ".xml");
    std::string line;
    while (std::getline(in, line)) {
        size_t p = line.find("<comment>");
        if (p == std::string::npos) continue;
        size_t e = line.find("</comment>", p);
        if (e == std::string::npos) continue;
        std::string text = line.substr(p + 9, e - p - 9);
        unescapeXml(text);
        return text;
    }
    return {};
}

const char* extensionOf(const char* name) {
    const char* slash = std::strrchr(name, '/');
    const char* base = slash ? slash + 1 : name;
    const char* dot = std::strrchr(base, '.');
    return dot && dot[1] ? dot + 1 : nullptr;
}

int copyOut(const std::string& s, char* out, int size) {
    if (!out || size <= 0) return 0;
    int n = std::min(static_cast<int>(s.size()), size - 1);
    std::memcpy(out, s.data(), n);
    out[n] = 0;
    return n;
}

}  // namespace

const char* mimeTypeOfName(const char* name) {
    if (!name) return "";
    const char* ext = extensionOf(name);
    if (!ext) return "";
    Database& db = database();
    auto it = db.byExtension.find(lower(ext));
    return it == db.byExtension.end() ? "" : it->second.c_str();
}

int mimeTypeText(const char* name, char* out, int size) {
    if (!name) return copyOut("", out, size);
    const char* type = mimeTypeOfName(name);
    if (*type) {
        Database& db = database();
        std::lock_guard<std::mutex> guard(db.lock);
        auto it = db.comments.find(type);
        if (it == db.comments.end()) {
            std::string comment = readComment(type);
            if (comment.empty()) {
                auto alias = db.aliases.find(type);
                if (alias != db.aliases.end()) comment = readComment(alias->second);
            }
            it = db.comments.emplace(type, comment).first;
        }
        if (!it->second.empty()) return copyOut(it->second, out, size);
    }
    const char* ext = extensionOf(name);
    if (!ext) return copyOut("Unknown File Type", out, size);
    std::string upper = ext;
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return copyOut(upper + " File", out, size);
}

const char* mimeIconFamily(const char* name) {
    std::string type = mimeTypeOfName(name);
    if (type.empty()) return "generic";
    if (type.compare(0, 6, "image/") == 0) return "image";
    if (type.compare(0, 6, "audio/") == 0) return "audio";
    if (type.compare(0, 6, "video/") == 0) return "video";
    static const char* archives[] = {"zip", "x-tar", "gzip", "x-gzip", "x-bzip", "x-bzip2", "x-xz", "x-7z",
                                     "x-rar", "vnd.rar", "x-compressed-tar", "x-lzma", "zstd", "x-cpio",
                                     "x-archive", "x-iso9660-image", "x-lha", "x-arj", "x-cd-image",
                                     "vnd.debian.binary-package", "x-rpm"};
    static const char* executables[] = {"x-executable", "x-msdos-program", "x-msdownload", "x-ms-dos-executable",
                                        "x-shellscript", "x-sharedlib", "vnd.microsoft.portable-executable",
                                        "x-msi", "x-ms-shortcut", "x-desktop", "x-java-archive"};
    static const char* documents[] = {"pdf", "msword", "rtf", "vnd.oasis.opendocument", "vnd.openxmlformats",
                                      "vnd.ms-excel", "vnd.ms-powerpoint", "postscript", "epub", "x-abiword",
                                      "vnd.ms-works", "x-dvi"};
    if (type.compare(0, 12, "application/") == 0) {
        std::string sub = type.substr(12);
        for (const char* a : archives)
            if (sub.compare(0, std::strlen(a), a) == 0) return "archive";
        for (const char* e : executables)
            if (sub == e) return "executable";
        for (const char* d : documents)
            if (sub.compare(0, std::strlen(d), d) == 0) return "document";
    }
    if (type.compare(0, 5, "text/") == 0) return "text";
    if (type.find("+xml") != std::string::npos || type == "application/json" || type == "application/xml")
        return "text";
    return "generic";
}
