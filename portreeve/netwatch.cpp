// Network change watcher on a netlink route socket.
#include "netwatch.h"

#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::thread g_thread;
std::atomic<bool> g_stop{false};
int g_wake = -1;  // eventfd: written when the watcher is to stop

// Sleeps until the kernel reports a change or the watcher is stopped, so an
// idle host is not woken for nothing.
void watch(int fd, HANDLE changed) {
    char buffer[8192];
    while (!g_stop) {
        pollfd p[2] = {{fd, POLLIN, 0}, {g_wake, POLLIN, 0}};
        if (poll(p, 2, -1) <= 0 || !(p[0].revents & POLLIN)) continue;
        // Every message is a change worth a look; the content is not needed.
        ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0 || (n < 0 && errno == ENOBUFS)) SetEvent(changed);
    }
    close(fd);
}

}  // namespace

bool netwatchStart(HANDLE changed) {
    if (g_thread.joinable()) return true;
    int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return false;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
    if (bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        close(fd);
        return false;
    }
    if (g_wake < 0) g_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (g_wake < 0) {
        close(fd);
        return false;
    }
    g_stop = false;
    g_thread = std::thread(watch, fd, changed);
    return true;
}

void netwatchStop() {
    g_stop = true;
    if (g_thread.joinable()) {
        uint64_t one = 1;
        ssize_t ignored = write(g_wake, &one, sizeof one);
        (void)ignored;
        g_thread.join();
    }
    if (g_wake >= 0) {
        close(g_wake);
        g_wake = -1;
    }
}

bool netwatchHasAddress(uint32_t address) {
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) return true;  // cannot tell: assume it is still there
    bool found = false;
    for (ifaddrs *i = list; i && !found; i = i->ifa_next)
        found = i->ifa_addr && i->ifa_addr->sa_family == AF_INET && (i->ifa_flags & IFF_UP) &&
                reinterpret_cast<sockaddr_in *>(i->ifa_addr)->sin_addr.s_addr == address;
    freeifaddrs(list);
    return found;
}

namespace {

bool ipv6Enabled(const char *name) {
    std::string path = std::string("/proc/sys/net/ipv6/conf/") + name + "/disable_ipv6";
    FILE *f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    int disabled = 1;
    if (std::fscanf(f, "%d", &disabled) != 1) disabled = 1;
    std::fclose(f);
    return disabled == 0;
}

}  // namespace

bool netwatchInterfaceReady(const char *interfaceName) {
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    // The stack takes the first interface with an IPv4 address that is up,
    // multicast and not loopback (or the one named); that one must be running,
    // and carry its IPv6 link-local address when it has IPv6.
    const char *chosen = interfaceName;
    for (ifaddrs *i = list; i && !chosen; i = i->ifa_next)
        if ((i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_MULTICAST) && !(i->ifa_flags & IFF_LOOPBACK) &&
            i->ifa_addr && i->ifa_addr->sa_family == AF_INET)
            chosen = i->ifa_name;
    bool running = false, ipv4 = false, linkLocal = false;
    for (ifaddrs *i = list; i && chosen; i = i->ifa_next) {
        if (std::strcmp(i->ifa_name, chosen) != 0) continue;
        running = (i->ifa_flags & (IFF_UP | IFF_RUNNING | IFF_MULTICAST)) == (IFF_UP | IFF_RUNNING | IFF_MULTICAST) &&
                  !(i->ifa_flags & IFF_LOOPBACK);
        if (!i->ifa_addr) continue;
        if (i->ifa_addr->sa_family == AF_INET) ipv4 = true;
        if (i->ifa_addr->sa_family == AF_INET6 &&
            IN6_IS_ADDR_LINKLOCAL(&reinterpret_cast<sockaddr_in6 *>(i->ifa_addr)->sin6_addr))
            linkLocal = true;
    }
    bool ready = chosen && running && ipv4 && (linkLocal || !ipv6Enabled(chosen));
    freeifaddrs(list);
    return ready;
}
