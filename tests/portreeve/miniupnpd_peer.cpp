// The real gateway daemon in its own network namespace.
#include "miniupnpd_peer.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "netenv.h"

namespace portreevetest {

namespace {

constexpr const char *TABLES = R"(table inet miniupnpd {
  chain forward {
    type filter hook forward priority 0; policy accept;
    jump miniupnpd
  }
  chain miniupnpd {
  }
  chain prerouting {
    type nat hook prerouting priority -100; policy accept;
    jump prerouting_miniupnpd
  }
  chain postrouting {
    type nat hook postrouting priority 100; policy accept;
    jump postrouting_miniupnpd
  }
  chain prerouting_miniupnpd {
  }
  chain postrouting_miniupnpd {
  }
}
)";

std::string readAll(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string output(const std::string &command) {
    std::string text;
    if (FILE *p = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) text.append(buffer, n);
        pclose(p);
    }
    return text;
}

}  // namespace

MiniupnpdPeer::MiniupnpdPeer(std::string lanInterface, std::string lanCidr, std::string workDir)
    : lan_(std::move(lanInterface)), lanCidr_(std::move(lanCidr)), work_(std::move(workDir)),
      ns_("prgw" + std::to_string(getpid())) {
    std::ofstream(work_ + "/tables.nft") << TABLES;
    std::ofstream(work_ + "/miniupnpd.conf") << "ext_ifname=wan0\nlistening_ip=" << lan_
                                             << "\nenable_upnp=yes\nenable_natpmp=no\nsecure_mode=yes\n"
                                                "system_uptime=no\nnotify_interval=30\n"
                                                "uuid=5b1e7000-0000-4000-8000-0000000000a1\n"
                                                "friendly_name=Home Router\n"
                                                "upnp_table_name=miniupnpd\nupnp_nat_table_name=miniupnpd\n"
                                                "upnp_forward_chain=miniupnpd\n"
                                                "upnp_nat_chain=prerouting_miniupnpd\n"
                                                "upnp_nat_postrouting_chain=postrouting_miniupnpd\n"
                                                "allow 1024-65535 10.77.0.0/24 1024-65535\n"
                                                "deny 0-65535 0.0.0.0/0 0-65535\n";
    std::string n = "ip netns exec " + ns_ + " ";
    // A public address on the WAN side: the daemon refuses to forward behind
    // a private one. The namespace reaches nothing, so it harms nobody.
    bool ok = netenv::run("ip netns add " + ns_) && netenv::run("ip link set " + lan_ + " netns " + ns_) &&
              netenv::run(n + "ip link set lo up") && netenv::run(n + "ip addr add " + lanCidr_ + " dev " + lan_) &&
              netenv::run(n + "ip link set " + lan_ + " multicast on up") &&
              netenv::run(n + "ip link add wan0 type veth peer name wan1") &&
              netenv::run(n + "ip addr add 5.5.5.2/24 dev wan0") && netenv::run(n + "ip link set wan1 up") &&
              netenv::run(n + "ip link set wan0 up") && netenv::run(n + "ip route add default via 5.5.5.1") &&
              netenv::run(n + "nft -f " + work_ + "/tables.nft");
    if (!ok) error_ = "cannot set up the gateway's network namespace";
}

MiniupnpdPeer::~MiniupnpdPeer() {
    kill();
    // The LAN end goes home first: deleting the namespace would destroy it,
    // and with it this PC's interface, which the process keeps using.
    std::string self = std::to_string(getpid());
    netenv::run("ip -n " + ns_ + " addr flush dev " + lan_);
    netenv::run("ip -n " + ns_ + " link set " + lan_ + " netns " + self);
    netenv::run("ip link set " + lan_ + " multicast off up");
    netenv::run("ip netns del " + ns_);
}

bool MiniupnpdPeer::start(bool versionOne) {
    if (!error_.empty()) return false;
    std::string logPath = work_ + "/miniupnpd-" + std::to_string(++starts_) + ".log";
    std::string pidPath = work_ + "/miniupnpd.pid";
    int pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        freopen(logPath.c_str(), "w", stdout);
        dup2(fileno(stdout), 2);
        std::string conf = work_ + "/miniupnpd.conf";
        if (versionOne)
            execlp("ip", "ip", "netns", "exec", ns_.c_str(), "miniupnpd", "-f", conf.c_str(), "-d", "-1", "-P",
                   pidPath.c_str(), (char *)nullptr);
        else
            execlp("ip", "ip", "netns", "exec", ns_.c_str(), "miniupnpd", "-f", conf.c_str(), "-d", "-P",
                   pidPath.c_str(), (char *)nullptr);
        _exit(127);
    }
    if (pid < 0) return false;
    pid_ = pid;
    // Ready once its HTTP server listens.
    for (int i = 0; i < 100; ++i) {
        if (readAll(logPath).find("HTTP listening on port") != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void MiniupnpdPeer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void MiniupnpdPeer::flushRules() {
    for (const char *chain : {"miniupnpd", "prerouting_miniupnpd", "postrouting_miniupnpd"})
        netenv::run("ip netns exec " + ns_ + " nft flush chain inet miniupnpd " + chain);
}

std::string MiniupnpdPeer::redirects() const {
    return inside("nft list chain inet miniupnpd prerouting_miniupnpd");
}

std::string MiniupnpdPeer::log() const {
    std::string all;
    for (int i = 1; i <= starts_; ++i) all += readAll(work_ + "/miniupnpd-" + std::to_string(i) + ".log");
    return all;
}

std::string MiniupnpdPeer::inside(const std::string &command) const {
    return output("ip netns exec " + ns_ + " " + command);
}

}  // namespace portreevetest
