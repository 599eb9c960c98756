// Global atoms: a process-wide table of reference-counted, case-insensitive
// strings numbered from 0xC000; integer atoms ("#123", MAKEINTATOM) below it.
#include <windows.h>

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

constexpr unsigned kFirstStringAtom = 0xC000;
constexpr size_t kMaxName = 255;

struct Entry {
    std::string name;
    unsigned references = 0;
};

struct Table {
    std::mutex lock;
    std::map<ATOM, Entry> byAtom;
};

Table &table() {
    static auto *t = new Table;
    return *t;
}

// An integer atom named by the argument: MAKEINTATOM(n) or "#n". Returns
// false when the argument is a string atom; *value 0 means an invalid one.
bool integerAtom(LPCSTR s, ATOM *value) {
    uintptr_t raw = reinterpret_cast<uintptr_t>(s);
    if (raw < 0x10000) {
        *value = raw > 0 && raw < kFirstStringAtom ? static_cast<ATOM>(raw) : 0;
        return true;
    }
    if (s[0] != '#' || !s[1]) return false;
    unsigned long v = 0;
    for (const char *p = s + 1; *p; ++p) {
        if (!isdigit(static_cast<unsigned char>(*p))) return false;
        v = v * 10 + static_cast<unsigned long>(*p - '0');
        if (v >= 0x10000) break;
    }
    *value = v > 0 && v < kFirstStringAtom ? static_cast<ATOM>(v) : 0;
    return true;
}

// The atom of a name, or 0. Caller holds the lock.
ATOM find(Table &t, const char *name) {
    for (auto &[atom, entry] : t.byAtom)
        if (strcasecmp(entry.name.c_str(), name) == 0) return atom;
    return 0;
}

}  // namespace

extern "C" {

WINBASEAPI ATOM WINAPI GlobalAddAtomA(LPCSTR lpString) {
    ATOM value;
    if (integerAtom(lpString, &value)) {
        if (!value) SetLastError(ERROR_INVALID_PARAMETER);
        return value;
    }
    if (!*lpString || strlen(lpString) > kMaxName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    if (ATOM existing = find(t, lpString)) {
        ++t.byAtom[existing].references;
        return existing;
    }
    // The lowest free number.
    unsigned next = kFirstStringAtom;
    for (auto &[atom, entry] : t.byAtom) {
        if (atom != next) break;
        ++next;
    }
    if (next > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    t.byAtom[static_cast<ATOM>(next)] = Entry{lpString, 1};
    return static_cast<ATOM>(next);
}

WINBASEAPI ATOM WINAPI GlobalFindAtomA(LPCSTR lpString) {
    ATOM value;
    if (integerAtom(lpString, &value)) {
        if (!value) SetLastError(ERROR_INVALID_PARAMETER);
        return value;
    }
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    ATOM atom = find(t, lpString);
    if (!atom) SetLastError(ERROR_FILE_NOT_FOUND);
    return atom;
}

WINBASEAPI UINT WINAPI GlobalGetAtomNameA(ATOM nAtom, LPSTR lpBuffer, int nSize) {
    if (!lpBuffer || nSize <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::string name;
    if (nAtom == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (nAtom < kFirstStringAtom) {
        name = "#" + std::to_string(nAtom);
    } else {
        Table &t = table();
        std::lock_guard<std::mutex> guard(t.lock);
        auto it = t.byAtom.find(nAtom);
        if (it == t.byAtom.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        name = it->second.name;
    }
    size_t n = std::min(name.size(), static_cast<size_t>(nSize) - 1);
    memcpy(lpBuffer, name.data(), n);
    lpBuffer[n] = '\0';
    return static_cast<UINT>(n);
}

WINBASEAPI ATOM WINAPI GlobalDeleteAtom(ATOM nAtom) {
    if (nAtom != 0 && nAtom < kFirstStringAtom) return 0;
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.byAtom.find(nAtom);
    if (it == t.byAtom.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nAtom;
    }
    if (--it->second.references == 0) t.byAtom.erase(it);
    return 0;
}

}  // extern "C"
