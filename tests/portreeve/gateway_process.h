// Test gateway processes: each one is the gateway program of this folder,
// started with its options and stopped by the destructor.
#pragma once
#include <string>
#include <vector>

namespace harness {

struct GatewayOptions {
    std::string address;        // where its HTTP server listens
    std::string ssdpInterface;  // address of this PC's multicast interface
    std::string uuid;
    std::string name = "Test Gateway";
    std::string manufacturer = "Test Maker";
    std::string layout = "embedded";  // or "root"
    bool urlBase = false;
    std::string control = "relative";     // absolute, otherhost, missing
    std::string description = "normal";   // missing, huge, malformed, nowanip
    int answerDelayMs = 0;
    std::string hostile;      // an attack of the gateway program (see its header)
    std::string trapAddress;  // another host, where nothing may arrive
    int answers = 1;          // answers to each search
};

// One test gateway process, stopped by the destructor.
class Gateway {
public:
    Gateway(const GatewayOptions &options, const std::string &workDir);
    ~Gateway();
    bool ready() const { return pid_ > 0; }
    // Every action received so far, one line each: "<path> <action> name=value ...".
    std::vector<std::string> actions() const;
    // How many searches it has received.
    size_t searches() const;
    // Lines for the mode file: "fault=718", "slow=3000", "broken=1".
    void setMode(const std::string &lines);
    void sayGoodbye();

private:
    int pid_ = -1;
    std::string record_;
    std::string mode_;
};

}  // namespace harness
