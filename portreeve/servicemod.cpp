// Service definitions: a list of service records, each owning a list of port
// ranges, loaded from and saved to one section of the configuration file.
#include "servicemod.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <strings.h>
#include <mutex>
#include <string>
#include <vector>

#include "listmod.h"

namespace {

constexpr int NAME_SIZE = 128;     // 127 characters and the NUL
constexpr int SECTION_SIZE = 128;
constexpr int PATH_SIZE = 260;
constexpr DWORD SECTION_BUFFER = 16384;

struct ServiceRecord {
    char name[NAME_SIZE];
    int32_t enabled;
    int32_t ranges;  // list handle of the service's PortRange records
};

struct State {
    bool initialised = false;
    bool ownsListModule = false;
    char section[SECTION_SIZE] = {};
    char path[PATH_SIZE] = {};
    int services = -1;
};

State g;
// Guards the module state and makes each operation whole: the worker reads
// while the settings page edits, and a range list must not be swapped out
// under a reader.
std::recursive_mutex g_lock;

bool readService(int id, ServiceRecord *rec) {
    return listGetItem(g.services, id, rec, sizeof *rec) == (int)sizeof *rec;
}

void destroyServiceList() {
    if (g.services < 0) return;
    ServiceRecord rec;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g.services, pos);
        if (id < 0) break;
        if (readService(id, &rec) && rec.ranges >= 0) listDestroy(rec.ranges);
    }
    listDestroy(g.services);
    g.services = -1;
}

// Copies at most size - 1 characters and always terminates.
void copyText(char *dst, const char *src, int size) {
    std::snprintf(dst, (size_t)size, "%s", src);
}

bool nameCharsValid(const char *name) {
    return name[0] != '\0' && std::strpbrk(name, "=\t\r\n") == nullptr;
}

bool startsWithNoCase(const char *s, const char *prefix) {
    for (; *prefix; ++s, ++prefix) {
        char c = *s;
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
        if (c != *prefix) return false;
    }
    return true;
}

// Decimal number at s, modulo 65536; stops at the first non-digit.
uint16_t parsePort(const char *s) {
    unsigned value = 0;
    for (; *s >= '0' && *s <= '9'; ++s) value = (value * 10 + (unsigned)(*s - '0')) % 65536u;
    return (uint16_t)value;
}

void parseToken(const std::string &token, int rangeList) {
    PortRange range{};
    if (startsWithNoCase(token.c_str(), "TCP(")) range.protocol = PROTO_TCP;
    else if (startsWithNoCase(token.c_str(), "UDP(")) range.protocol = PROTO_UDP;
    else return;
    const char *numbers = token.c_str() + 4;
    const char *dash = std::strchr(numbers, '-');
    if (dash) {
        range.from = parsePort(numbers);
        range.to = parsePort(dash + 1);
    }
    if (range.to < range.from) return;
    listAddItem(rangeList, &range, sizeof range);
}

// One "name=value" string of the section.
void loadEntry(const char *entry) {
    static const char *kSeparators = "=\t\r\n";
    while (*entry && std::strchr(kSeparators, *entry)) ++entry;
    size_t nameLen = std::strcspn(entry, kSeparators);
    if (entry[nameLen] != '=') return;
    const char *value = entry + nameLen + 1;
    size_t valueLen = std::strcspn(value, "\t\r\n");
    if (nameLen == 0 || valueLen == 0) return;

    ServiceRecord rec{};
    std::memcpy(rec.name, entry, nameLen < NAME_SIZE - 1 ? nameLen : NAME_SIZE - 1);
    std::string text(value, valueLen);
    rec.enabled = text.compare(0, 2, "1:") == 0 ? 1 : 0;
    text.erase(0, 2);

    rec.ranges = listCreate();
    if (rec.ranges < 0) return;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(", \t\r\n", pos);
        if (end == std::string::npos) end = text.size();
        if (end > pos) parseToken(text.substr(pos, end - pos), rec.ranges);
        pos = end + 1;
    }
    if (listAddItem(g.services, &rec, sizeof rec) < 0) listDestroy(rec.ranges);
}

int load() {
    g.services = listCreate();
    if (g.services < 0) return -3;
    // The section is read whole; grow the buffer when it was filled, so a long
    // section written by servicemodSave is never cut on the way back in.
    std::vector<char> buffer(SECTION_BUFFER);
    for (;;) {
        DWORD got = GetPrivateProfileSectionA(g.section, buffer.data(), (DWORD)buffer.size(), g.path);
        if (got + 2 < buffer.size() || buffer.size() >= (1u << 24)) {
            buffer[got < buffer.size() ? got : buffer.size() - 1] = '\0';
            break;
        }
        buffer.assign(buffer.size() * 4, '\0');
    }
    for (const char *p = buffer.data(); *p; p += std::strlen(p) + 1) loadEntry(p);
    return 0;
}

bool rangesOverlap(const PortRange &a, const PortRange &b) {
    return a.protocol == b.protocol && a.from <= b.to && b.from <= a.to;
}

bool overlapsAnyService(const PortRange &candidate) {
    ServiceRecord rec;
    PortRange range;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g.services, pos);
        if (id < 0) return false;
        if (!readService(id, &rec)) continue;
        for (int rpos = 0;; ++rpos) {
            int rid = listGetItemId(rec.ranges, rpos);
            if (rid < 0) break;
            if (listGetItem(rec.ranges, rid, &range, sizeof range) == (int)sizeof range &&
                rangesOverlap(candidate, range))
                return true;
        }
    }
}

}  // namespace

int servicemodInit(const char *configPath, const char *section) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (g.initialised) return -1;
    if (!configPath || !section || std::strlen(configPath) >= PATH_SIZE ||
        std::strlen(section) >= SECTION_SIZE)
        return -2;
    int rc = listInit();
    if (rc != 0 && rc != -1) return -3;
    g.ownsListModule = rc == 0;
    std::strcpy(g.path, configPath);
    std::strcpy(g.section, section);
    if (load() != 0) {
        if (g.ownsListModule) listShutdown();
        g.ownsListModule = false;
        return -3;
    }
    g.initialised = true;
    return 0;
}

int servicemodShutdown() {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    destroyServiceList();
    if (g.ownsListModule) listShutdown();
    g.ownsListModule = false;
    g.initialised = false;
    return 0;
}

int servicemodReload() {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    destroyServiceList();
    return load();
}

int servicemodSave() {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    WritePrivateProfileStringA(g.section, nullptr, nullptr, g.path);
    ServiceRecord rec;
    PortRange range;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g.services, pos);
        if (id < 0) break;
        if (!readService(id, &rec)) continue;
        // A value longer than a classic 2048-byte buffer is written whole.
        std::string value = std::to_string(rec.enabled) + ":";
        for (int rpos = 0;; ++rpos) {
            int rid = listGetItemId(rec.ranges, rpos);
            if (rid < 0) break;
            if (listGetItem(rec.ranges, rid, &range, sizeof range) != (int)sizeof range) continue;
            char item[32];
            std::snprintf(item, sizeof item, "%s(%u-%u),", range.protocol == PROTO_UDP ? "UDP" : "TCP",
                          (unsigned)range.from, (unsigned)range.to);
            value += item;
        }
        if (value.back() == ',') value.pop_back();
        WritePrivateProfileStringA(g.section, rec.name, value.c_str(), g.path);
    }
    return 0;
}

int servicemodAddService(const char *name, int enabled) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    if (!name || std::strlen(name) >= NAME_SIZE || !nameCharsValid(name)) return -2;
    char existing[NAME_SIZE];
    for (int pos = 0; servicemodEnumServices(pos, existing, sizeof existing) >= 0; ++pos)
        if (strcasecmp(existing, name) == 0) return -2;
    ServiceRecord rec{};
    std::strcpy(rec.name, name);
    rec.enabled = enabled;
    rec.ranges = listCreate();
    if (rec.ranges < 0) return -3;
    int id = listAddItem(g.services, &rec, sizeof rec);
    if (id < 0) {
        listDestroy(rec.ranges);
        return -3;
    }
    return id;
}

int servicemodRemoveService(int serviceId) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!readService(serviceId, &rec)) return -2;
    if (listDeleteItem(g.services, serviceId) != 0) return -3;
    listDestroy(rec.ranges);
    return 0;
}

int servicemodEnumServices(int position, char *name, int nameSize) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    if (position < 0 || !name || nameSize < 1) return -2;
    int id = listGetItemId(g.services, position);
    ServiceRecord rec;
    if (id < 0 || !readService(id, &rec)) return -2;
    copyText(name, rec.name, nameSize);
    return id;
}

int servicemodGetServiceName(int serviceId, char *name, int nameSize) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!name || nameSize < 1 || !readService(serviceId, &rec)) return -2;
    copyText(name, rec.name, nameSize);
    return 0;
}

int servicemodSetServiceName(int serviceId, const char *name) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!name || !nameCharsValid(name) || !readService(serviceId, &rec)) return -2;
    copyText(rec.name, name, NAME_SIZE);
    return listUpdateItem(g.services, serviceId, &rec, sizeof rec) == 0 ? 0 : -3;
}

int servicemodGetServiceEnable(int serviceId) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!readService(serviceId, &rec)) return -2;
    return rec.enabled ? 1 : 0;
}

int servicemodSetServiceEnable(int serviceId, int enabled) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!readService(serviceId, &rec)) return -2;
    rec.enabled = enabled ? 1 : 0;
    return listUpdateItem(g.services, serviceId, &rec, sizeof rec) == 0 ? 0 : -3;
}

int servicemodGetPortRange(int serviceId, int position, PortRange *range) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!range || position < 0 || !readService(serviceId, &rec)) return -2;
    int rid = listGetItemId(rec.ranges, position);
    if (rid < 0 || listGetItem(rec.ranges, rid, range, sizeof *range) != (int)sizeof *range) return -2;
    return rid;
}

int servicemodAddPortRange(int serviceId, const PortRange *range) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!range || (range->protocol != PROTO_TCP && range->protocol != PROTO_UDP) ||
        range->to < range->from || !readService(serviceId, &rec))
        return -2;
    if (overlapsAnyService(*range)) return -4;
    PortRange copy = *range;
    int rid = listAddItem(rec.ranges, &copy, sizeof copy);
    return rid >= 0 ? rid : -3;
}

int servicemodClearPortRanges(int serviceId) {
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (!g.initialised) return -1;
    ServiceRecord rec;
    if (!readService(serviceId, &rec)) return -2;
    int fresh = listCreate();
    if (fresh < 0) return -3;
    int old = rec.ranges;
    rec.ranges = fresh;
    if (listUpdateItem(g.services, serviceId, &rec, sizeof rec) != 0) {
        listDestroy(fresh);
        return -3;
    }
    listDestroy(old);
    return 0;
}
