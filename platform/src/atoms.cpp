// Global atoms: reference-counted, case-insensitive strings numbered from
// 0xC000, shared by all processes of the user (the store in atom_store.cpp);
// integer atoms ("#123", MAKEINTATOM) below 0xC000 need no store.
#include <windows.h>

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "atom_store.h"

using namespace platform;

namespace {

constexpr unsigned kFirstStringAtom = MAXINTATOM;
constexpr size_t kMaxName = 255;

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

std::vector<AtomRecord>::iterator byName(std::vector<AtomRecord> &records, const char *name) {
    return std::find_if(records.begin(), records.end(),
                        [&](const AtomRecord &r) { return strcasecmp(r.name.c_str(), name) == 0; });
}

std::vector<AtomRecord>::iterator byAtom(std::vector<AtomRecord> &records, ATOM atom) {
    return std::find_if(records.begin(), records.end(), [&](const AtomRecord &r) { return r.atom == atom; });
}

// The name of a string atom; false with the last error set.
bool stringAtomName(ATOM atom, std::string *name) {
    AtomStore store;
    std::vector<AtomRecord> records;
    if (!store.locked() || !store.load(&records)) return false;
    auto it = byAtom(records, atom);
    if (it == records.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    *name = it->name;
    return true;
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
    AtomStore store;
    std::vector<AtomRecord> records;
    if (!store.locked() || !store.load(&records)) return 0;
    auto it = byName(records, lpString);
    if (it != records.end()) {
        if (it->references == UINT32_MAX) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        ++it->references;
        return store.save(records) ? it->atom : 0;
    }
    if (records.size() >= kMaxStoredAtoms) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    // The lowest free number.
    std::sort(records.begin(), records.end(), [](auto &a, auto &b) { return a.atom < b.atom; });
    unsigned next = kFirstStringAtom;
    for (auto &r : records) {
        if (r.atom != next) break;
        ++next;
    }
    records.push_back(AtomRecord{static_cast<ATOM>(next), 1, lpString});
    return store.save(records) ? static_cast<ATOM>(next) : 0;
}

WINBASEAPI ATOM WINAPI GlobalFindAtomA(LPCSTR lpString) {
    ATOM value;
    if (integerAtom(lpString, &value)) {
        if (!value) SetLastError(ERROR_INVALID_PARAMETER);
        return value;
    }
    AtomStore store;
    std::vector<AtomRecord> records;
    if (!store.locked() || !store.load(&records)) return 0;
    auto it = byName(records, lpString);
    if (it == records.end()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return it->atom;
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
    if (nAtom < kFirstStringAtom)
        name = "#" + std::to_string(nAtom);
    else if (!stringAtomName(nAtom, &name))
        return 0;
    size_t n = std::min(name.size(), static_cast<size_t>(nSize) - 1);
    memcpy(lpBuffer, name.data(), n);
    lpBuffer[n] = '\0';
    return static_cast<UINT>(n);
}

WINBASEAPI ATOM WINAPI GlobalDeleteAtom(ATOM nAtom) {
    if (nAtom != 0 && nAtom < kFirstStringAtom) return 0;
    AtomStore store;
    std::vector<AtomRecord> records;
    if (!store.locked() || !store.load(&records)) return nAtom;
    auto it = byAtom(records, nAtom);
    if (it == records.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nAtom;
    }
    if (--it->references == 0) records.erase(it);
    return store.save(records) ? 0 : nAtom;
}

}  // extern "C"
