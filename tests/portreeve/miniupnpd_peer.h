// A real gateway daemon for the tests: the miniupnpd of the distribution,
// with its nftables backend, in a network namespace of its own. The LAN side
// is the peer end of this PC's veth interface (moved into that namespace and
// given the gateway's address), the WAN side another veth pair there.
#pragma once
#include <string>

namespace portreevetest {

class MiniupnpdPeer {
public:
    // lanInterface: the peer end of this PC's interface; lanCidr: the
    // gateway's address on it ("10.77.0.1/24").
    MiniupnpdPeer(std::string lanInterface, std::string lanCidr, std::string workDir);
    ~MiniupnpdPeer();
    MiniupnpdPeer(const MiniupnpdPeer &) = delete;
    MiniupnpdPeer &operator=(const MiniupnpdPeer &) = delete;

    // Empty when the namespace is ready, else what failed.
    const std::string &error() const { return error_; }
    // Starts the daemon (versionOne: announce the version 1 device only);
    // false when it did not come up.
    bool start(bool versionOne);
    // Kills the daemon without a goodbye, as a power cut would.
    void kill();
    // Forgets every mapping: the redirect and filter rules are flushed.
    void flushRules();
    // The DNAT rules of its redirect chain, one line each.
    std::string redirects() const;
    // The daemon's own log.
    std::string log() const;
    // Runs a command inside the gateway's namespace; its output.
    std::string inside(const std::string &command) const;

private:
    std::string lan_, lanCidr_, work_, ns_;
    std::string error_;
    int pid_ = -1;
    int starts_ = 0;
};

}  // namespace portreevetest
