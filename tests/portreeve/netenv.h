// A private network for gateway tests: the test process moves into its own
// network namespace, where veth interfaces carry this PC's addresses and the
// loopback interface carries the test gateways' addresses (so they are not
// listed as addresses of this PC).
#pragma once
#include <string>
#include <vector>

namespace netenv {

// Moves the calling process into a new network namespace once, with an
// interface of this PC that carries multicast (where SSDP runs). Returns an
// empty string on success, else why namespaces cannot be used here.
std::string enterPrivateNetwork(const std::string &multicastName, const std::string &multicastCidr);

// Runs a shell command; true when it exited with 0.
bool run(const std::string &command);

class Network {
public:
    Network() = default;
    ~Network();
    Network(const Network &) = delete;
    Network &operator=(const Network &) = delete;

    // A further interface of this PC with one address ("192.168.77.5/24"),
    // without multicast; removed by the destructor.
    bool addLocalInterface(const std::string &name, const std::string &cidr);
    // An address for a test gateway, outside this PC's interface list.
    bool addGatewayAddress(const std::string &address);

private:
    std::vector<std::string> links_;
    std::vector<std::string> loopbackAddresses_;
};

}  // namespace netenv
