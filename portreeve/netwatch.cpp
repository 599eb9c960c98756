// Network change watcher on a netlink route socket.
#include "netwatch.h"

#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

constexpr int STOP_CHECK_MS = 200;

std::thread g_thread;
std::atomic<bool> g_stop{false};

void watch(int fd, HANDLE changed) {
    char buffer[8192];
    while (!g_stop) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, STOP_CHECK_MS) <= 0) continue;
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
    g_stop = false;
    g_thread = std::thread(watch, fd, changed);
    return true;
}

void netwatchStop() {
    g_stop = true;
    if (g_thread.joinable()) g_thread.join();
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

bool netwatchInterfaceReady(const char *interfaceName) {
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    constexpr unsigned WANTED = IFF_UP | IFF_RUNNING | IFF_MULTICAST;
    bool ready = false;
    for (ifaddrs *i = list; i && !ready; i = i->ifa_next)
        ready = i->ifa_addr && i->ifa_addr->sa_family == AF_INET && (i->ifa_flags & WANTED) == WANTED &&
                !(i->ifa_flags & IFF_LOOPBACK) && (!interfaceName || std::strcmp(i->ifa_name, interfaceName) == 0);
    freeifaddrs(list);
    return ready;
}
