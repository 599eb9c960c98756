// Local IPv4 addresses through getifaddrs. The host name of a Debian machine
// resolves to 127.0.1.1, which is useless as the target of a port mapping, so
// the addresses come from the interfaces themselves.
#include "ifmod.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct State {
    bool initialised = false;
    char hostName[256] = {};
};

State g;
std::mutex g_lock;

struct LocalAddress {
    unsigned index;  // interface index, for ordering
    std::string interfaceName;
    in_addr address;
};

// -3 when the interfaces cannot be listed.
int listAddresses(std::vector<LocalAddress> *out) {
    ifaddrs *all = nullptr;
    if (getifaddrs(&all) != 0) return -3;
    for (ifaddrs *it = all; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET) continue;
        if (!(it->ifa_flags & IFF_UP) || (it->ifa_flags & IFF_LOOPBACK)) continue;
        LocalAddress entry;
        entry.index = if_nametoindex(it->ifa_name);
        entry.interfaceName = it->ifa_name;
        entry.address = reinterpret_cast<const sockaddr_in *>(it->ifa_addr)->sin_addr;
        out->push_back(entry);
    }
    freeifaddrs(all);
    std::stable_sort(out->begin(), out->end(),
                     [](const LocalAddress &a, const LocalAddress &b) { return a.index < b.index; });
    return 0;
}

}  // namespace

int ifmodInit() {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g.initialised) return -1;
    if (gethostname(g.hostName, sizeof g.hostName - 1) != 0) return -3;
    g.initialised = true;
    return 0;
}

int ifmodShutdown() {
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g.initialised) return -1;
    g.initialised = false;
    return 0;
}

int ifmodGetAddress(int n, char *text, int size) {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (!g.initialised) return -1;
    }
    if (!text || size < 1 || n < 1) return -2;
    std::vector<LocalAddress> addresses;
    if (listAddresses(&addresses) != 0) return -3;
    if ((size_t)n > addresses.size()) return -2;
    char dotted[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &addresses[(size_t)n - 1].address, dotted, sizeof dotted);
    std::snprintf(text, (size_t)size, "%s", dotted);
    return 0;
}

int ifmodFindInterface(uint32_t address, char *name, int size) {
    if (!name || size < 1) return -2;
    std::vector<LocalAddress> addresses;
    if (listAddresses(&addresses) != 0) return -3;
    for (const LocalAddress &entry : addresses) {
        if (entry.address.s_addr != address) continue;
        std::snprintf(name, (size_t)size, "%s", entry.interfaceName.c_str());
        return 0;
    }
    return -5;
}
