// Private profile (ini) files. Every call reads the file afresh; a write
// builds the new text and replaces the file atomically (a temporary file
// beside it, then rename), with writers in the process serialised.
#include <windows.h>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "fileerror.h"

namespace {

std::mutex &writerLock() {
    static std::mutex *m = new std::mutex;
    return *m;
}

const char *const kBlanks = " \t\r";

std::string trim(const std::string &s) {
    size_t b = s.find_first_not_of(kBlanks);
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(kBlanks);
    return s.substr(b, e - b + 1);
}

bool sameName(const std::string &a, const char *b) { return strcasecmp(a.c_str(), b) == 0; }

// One line of the file, kept verbatim so that a write changes only what it must.
struct Line {
    enum Kind { Other, Section, Entry } kind = Other;
    std::string text;   // the line without its end of line
    std::string name;   // section name or key, trimmed
    std::string value;  // entry value, trimmed
};

struct Profile {
    std::vector<Line> lines;
    bool crlf = false;
    bool exists = false;
};

Line parseLine(const std::string &text) {
    Line line;
    line.text = text;
    std::string t = trim(text);
    if (t.empty() || t[0] == ';') return line;
    if (t[0] == '[') {
        size_t close = t.find(']');
        line.kind = Line::Section;
        line.name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return line;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos) return line;
    line.kind = Line::Entry;
    line.name = trim(t.substr(0, eq));
    line.value = trim(t.substr(eq + 1));
    return line;
}

// Reads the file; false (with the last error set) only for a read failure
// other than a missing file.
bool load(const char *path, Profile *profile) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        SetLastError(platform::errnoToError(errno));
        return false;
    }
    std::string data;
    char buffer[8192];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<size_t>(n));
    int readErrno = errno;
    close(fd);
    if (n < 0) {
        SetLastError(platform::errnoToError(readErrno));
        return false;
    }
    profile->exists = true;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string text = data.substr(start, end - start);
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
            if (profile->lines.empty()) profile->crlf = true;
        }
        Line line = parseLine(text);
        // A UTF-8 byte order mark (editors add one) does not hide the first line.
        if (profile->lines.empty() && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line = parseLine(text.substr(3));
            line.text = text;
        }
        profile->lines.push_back(line);
        start = end + 1;
    }
    return true;
}

// Index of the first section line of this name, or -1.
long findSection(const Profile &p, const char *section) {
    for (size_t i = 0; i < p.lines.size(); ++i)
        if (p.lines[i].kind == Line::Section && sameName(p.lines[i].name, section)) return static_cast<long>(i);
    return -1;
}

// One past the last line of the section that starts at index s.
size_t sectionEnd(const Profile &p, size_t s) {
    size_t i = s + 1;
    while (i < p.lines.size() && p.lines[i].kind != Line::Section) ++i;
    return i;
}

long findKey(const Profile &p, long s, const char *key) {
    if (s < 0) return -1;
    size_t end = sectionEnd(p, static_cast<size_t>(s));
    for (size_t i = static_cast<size_t>(s) + 1; i < end; ++i)
        if (p.lines[i].kind == Line::Entry && sameName(p.lines[i].name, key)) return static_cast<long>(i);
    return -1;
}

// A value in matching quotes is returned without them.
std::string unquote(const std::string &v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
    return v;
}

// Copies a string with truncation: returns the characters stored.
DWORD copyString(const std::string &s, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    size_t n = std::min<size_t>(s.size(), size - 1);
    memcpy(out, s.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// Copies a list of strings as a double-NUL-terminated list. When it does not
// fit, the list is cut and the result is size - 2, as Win32 documents.
DWORD copyList(const std::vector<std::string> &items, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    if (size == 1) {
        out[0] = '\0';
        return 0;
    }
    size_t pos = 0;
    for (const std::string &item : items) {
        if (pos + item.size() + 1 > size - 1) {
            // Cut: fill what fits, then the two terminating NULs.
            size_t room = pos < size - 2 ? size - 2 - pos : 0;
            memcpy(out + pos, item.data(), room);
            out[size - 2] = '\0';
            out[size - 1] = '\0';
            return size - 2;
        }
        memcpy(out + pos, item.c_str(), item.size() + 1);
        pos += item.size() + 1;
    }
    out[pos] = '\0';
    if (pos + 1 < size && pos == 0) out[1] = '\0';
    return static_cast<DWORD>(pos);
}

std::string defaultValue(LPCSTR def) {
    std::string d = def ? def : "";
    size_t e = d.find_last_not_of(' ');
    return e == std::string::npos ? std::string() : d.substr(0, e + 1);
}

// Writes the profile to a temporary file beside the target and renames it
// over the target, so the file is never seen half written.
bool save(const char *path, const Profile &p) {
    std::string text;
    const char *eol = p.crlf ? "\r\n" : "\n";
    for (const Line &line : p.lines) {
        text += line.text;
        text += eol;
    }
    std::string target = path;
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : platform::errnoToError(errno));
        return false;
    }
    struct stat st;
    fchmod(fd, stat(path, &st) == 0 ? (st.st_mode & 07777) : 0644);
    size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    int err = errno;
    if (ok && fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(name.data(), path) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(name.data());
        SetLastError(platform::errnoToError(err));
    }
    return ok;
}

// Appends a new section at the end, after a blank line; returns its index.
size_t appendSection(Profile &p, const char *section) {
    if (!p.lines.empty() && !trim(p.lines.back().text).empty()) p.lines.push_back(parseLine(""));
    p.lines.push_back(parseLine(std::string("[") + section + "]"));
    return p.lines.size() - 1;
}

// Where a new key of the section starting at s goes: after its last
// non-blank line.
size_t insertionPoint(const Profile &p, size_t s) {
    size_t end = sectionEnd(p, s);
    while (end > s + 1 && trim(p.lines[end - 1].text).empty()) --end;
    return end;
}

void eraseSection(Profile &p, long s) {
    if (s < 0) return;
    size_t end = sectionEnd(p, static_cast<size_t>(s));
    p.lines.erase(p.lines.begin() + s, p.lines.begin() + static_cast<long>(end));
}

// Names and values that would break the file's lines (or, for a key, its
// "=") are refused rather than written.
bool safeText(const char *s, const char *forbidden) { return !s || !strpbrk(s, forbidden); }

bool safeWrite(LPCSTR section, LPCSTR key, LPCSTR value) {
    if (safeText(section, "\r\n]") && safeText(key, "\r\n=") && safeText(value, "\r\n")) return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

}  // namespace

extern "C" {

WINBASEAPI DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                                 LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (!lpReturnedString || nSize == 0) return 0;
    lpReturnedString[0] = '\0';
    Profile p;
    if (!lpFileName || !load(lpFileName, &p)) return copyString(defaultValue(lpDefault), lpReturnedString, nSize);
    SetLastError(p.exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (!lpAppName) {
        std::vector<std::string> names;
        for (const Line &line : p.lines)
            if (line.kind == Line::Section) names.push_back(line.name);
        return copyList(names, lpReturnedString, nSize);
    }
    long s = findSection(p, lpAppName);
    if (!lpKeyName) {
        std::vector<std::string> keys;
        if (s >= 0) {
            size_t end = sectionEnd(p, static_cast<size_t>(s));
            for (size_t i = static_cast<size_t>(s) + 1; i < end; ++i)
                if (p.lines[i].kind == Line::Entry) keys.push_back(p.lines[i].name);
        }
        return copyList(keys, lpReturnedString, nSize);
    }
    long k = findKey(p, s, lpKeyName);
    if (k < 0) return copyString(defaultValue(lpDefault), lpReturnedString, nSize);
    return copyString(unquote(p.lines[static_cast<size_t>(k)].value), lpReturnedString, nSize);
}

WINBASEAPI UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    char buffer[64];
    if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
    if (GetPrivateProfileStringA(lpAppName, lpKeyName, "", buffer, sizeof buffer, lpFileName) == 0)
        return static_cast<UINT>(nDefault);
    // Leading digits count (with a sign, or 0x for hexadecimal); anything
    // else gives 0.
    const char *s = buffer;
    bool negative = false;
    if (*s == '-' || *s == '+') negative = *s++ == '-';
    int base = 10;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s += 2;
    }
    unsigned long long value = 0;
    for (; *s; ++s) {
        int digit;
        if (*s >= '0' && *s <= '9') digit = *s - '0';
        else if (base == 16 && *s >= 'a' && *s <= 'f') digit = *s - 'a' + 10;
        else if (base == 16 && *s >= 'A' && *s <= 'F') digit = *s - 'A' + 10;
        else break;
        value = (value * static_cast<unsigned>(base) + static_cast<unsigned>(digit)) & 0xFFFFFFFFull;
    }
    UINT result = static_cast<UINT>(value);
    return negative ? 0u - result : result;
}

WINBASEAPI DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                                  LPCSTR lpFileName) {
    if (!lpReturnedString || nSize == 0) return 0;
    lpReturnedString[0] = '\0';
    Profile p;
    if (!lpAppName || !lpFileName || !load(lpFileName, &p)) return 0;
    std::vector<std::string> entries;
    long s = findSection(p, lpAppName);
    if (s >= 0) {
        size_t end = sectionEnd(p, static_cast<size_t>(s));
        for (size_t i = static_cast<size_t>(s) + 1; i < end; ++i) {
            if (p.lines[i].kind == Line::Entry) {
                entries.push_back(p.lines[i].name + "=" + p.lines[i].value);
            } else {
                // Lines without "=" come back as they are, like on Windows
                // (the plug-in manager's "rename" list relies on it).
                std::string t = trim(p.lines[i].text);
                if (!t.empty() && t[0] != ';') entries.push_back(t);
            }
        }
    }
    return copyList(entries, lpReturnedString, nSize);
}

WINBASEAPI DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
    return GetPrivateProfileStringA(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

WINBASEAPI BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                                  LPCSTR lpFileName) {
    if (!lpAppName && !lpKeyName && !lpString) return TRUE;  // "flush": nothing is cached
    if (!lpAppName || !lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!safeWrite(lpAppName, lpKeyName, lpString)) return FALSE;
    std::lock_guard<std::mutex> guard(writerLock());
    Profile p;
    if (!load(lpFileName, &p)) return FALSE;
    long s = findSection(p, lpAppName);
    if (!lpKeyName) {
        if (s < 0) return TRUE;
        eraseSection(p, s);
    } else if (!lpString) {
        long k = findKey(p, s, lpKeyName);
        if (k < 0) return TRUE;
        p.lines.erase(p.lines.begin() + k);
    } else {
        Line entry = parseLine(std::string(lpKeyName) + "=" + lpString);
        long k = findKey(p, s, lpKeyName);
        if (k >= 0) {
            if (p.lines[static_cast<size_t>(k)].text == entry.text) return TRUE;
            p.lines[static_cast<size_t>(k)] = entry;
        } else {
            size_t at = s >= 0 ? insertionPoint(p, static_cast<size_t>(s)) : appendSection(p, lpAppName) + 1;
            p.lines.insert(p.lines.begin() + static_cast<long>(at), entry);
        }
    }
    return save(lpFileName, p) ? TRUE : FALSE;
}

WINBASEAPI BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
    if (!lpAppName || !lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!safeWrite(lpAppName, nullptr, nullptr)) return FALSE;
    for (const char *item = lpString; item && *item; item += strlen(item) + 1)
        if (!safeWrite(nullptr, nullptr, item)) return FALSE;
    std::lock_guard<std::mutex> guard(writerLock());
    Profile p;
    if (!load(lpFileName, &p)) return FALSE;
    long s = findSection(p, lpAppName);
    if (!lpString) {
        if (s < 0) return TRUE;
        eraseSection(p, s);
        return save(lpFileName, p) ? TRUE : FALSE;
    }
    // The section's lines are replaced by the given "key=value" strings.
    size_t at;
    if (s >= 0) {
        size_t end = insertionPoint(p, static_cast<size_t>(s));
        p.lines.erase(p.lines.begin() + s + 1, p.lines.begin() + static_cast<long>(end));
        at = static_cast<size_t>(s) + 1;
    } else {
        at = appendSection(p, lpAppName) + 1;
    }
    for (const char *item = lpString; *item; item += strlen(item) + 1)
        p.lines.insert(p.lines.begin() + static_cast<long>(at++), parseLine(item));
    return save(lpFileName, p) ? TRUE : FALSE;
}

}  // extern "C"
