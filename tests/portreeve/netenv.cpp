// Network namespace and interfaces for the gateway tests.
#include "netenv.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace netenv {

bool run(const std::string &command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

namespace {

// A veth end reports a carrier a moment after both ends are up; the UPnP
// stack skips an interface that is not running yet, so wait for it.
bool waitRunning(const std::string &name) {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return false;
    bool running = false;
    for (int i = 0; i < 100 && !running; ++i) {
        ifreq request{};
        std::snprintf(request.ifr_name, sizeof request.ifr_name, "%s", name.c_str());
        running = ioctl(s, SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags & IFF_RUNNING) != 0;
        if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    close(s);
    return running;
}

// The plug-in starts its stack only once the interface also carries its IPv6
// link-local address (where IPv6 is on); wait for that too, so a test does not
// begin with the plug-in still waiting for the network.
bool waitLinkLocal(const std::string &name) {
    std::string flag = "/proc/sys/net/ipv6/conf/" + name + "/disable_ipv6";
    FILE *f = std::fopen(flag.c_str(), "r");
    int disabled = 1;
    if (f) {
        if (std::fscanf(f, "%d", &disabled) != 1) disabled = 1;
        std::fclose(f);
    }
    if (disabled) return true;
    for (int i = 0; i < 100; ++i) {
        ifaddrs *list = nullptr;
        bool found = false;
        if (getifaddrs(&list) == 0) {
            for (ifaddrs *a = list; a && !found; a = a->ifa_next)
                found = a->ifa_addr && a->ifa_addr->sa_family == AF_INET6 && name == a->ifa_name &&
                        IN6_IS_ADDR_LINKLOCAL(&reinterpret_cast<sockaddr_in6 *>(a->ifa_addr)->sin6_addr);
            freeifaddrs(list);
        }
        if (found) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// A veth pair: dummy interfaces need a kernel module that containers often
// lack. The peer end stays without an address and without multicast, so
// neither this PC's address list nor the stack uses it.
bool addVeth(const std::string &name, const std::string &cidr, bool multicast) {
    std::string peer = name + "p";
    return run("ip link add " + name + " type veth peer name " + peer) && run("ip link set " + peer + " multicast off") &&
           run("ip link set " + peer + " up") &&
           run("ip link set " + name + " multicast " + (multicast ? "on" : "off")) &&
           run("ip addr add " + cidr + " dev " + name) && run("ip link set " + name + " up") &&
           (!multicast || run("ip route add 239.0.0.0/8 dev " + name)) && waitRunning(name) &&
           (!multicast || waitLinkLocal(name));
}

}  // namespace

std::string enterPrivateNetwork(const std::string &multicastName, const std::string &multicastCidr) {
    static std::string verdict = [&] {
        if (geteuid() != 0) return std::string("not running as root");
        if (!run("ip -V")) return std::string("the ip command is missing");
        if (unshare(CLONE_NEWNET) != 0) return std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
        // Addresses are usable at once: the stack cannot bind to an IPv6
        // link-local address still under duplicate detection.
        for (const char *scope : {"all", "default"}) {
            std::string path = std::string("/proc/sys/net/ipv6/conf/") + scope + "/accept_dad";
            if (FILE *f = std::fopen(path.c_str(), "w")) {
                std::fputs("0", f);
                std::fclose(f);
            }
        }
        if (!run("ip link set lo up") || !run("ip link set lo multicast on"))
            return std::string("cannot set up the loopback interface");
        // The interface the UPnP stack uses lives as long as the process: the
        // stack, started again on a re-created interface, cannot bind.
        if (!addVeth(multicastName, multicastCidr, true)) return std::string("cannot create a veth interface");
        return std::string();
    }();
    return verdict;
}

Network::~Network() {
    for (const std::string &address : loopbackAddresses_) run("ip addr del " + address + "/32 dev lo");
    for (const std::string &link : links_) run("ip link del " + link);
}

bool Network::addLocalInterface(const std::string &name, const std::string &cidr) {
    if (!addVeth(name, cidr, false)) {
        run("ip link del " + name);
        return false;
    }
    links_.push_back(name);
    return true;
}

bool Network::addGatewayAddress(const std::string &address) {
    if (!run("ip addr add " + address + "/32 dev lo")) return false;
    loopbackAddresses_.push_back(address);
    return true;
}

}  // namespace netenv
