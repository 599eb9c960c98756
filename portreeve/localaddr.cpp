// Longest-prefix choice of the local address for a gateway.
#include "localaddr.h"

#include <arpa/inet.h>

#include "ifmod.h"

int sharedLeadingBits(uint32_t a, uint32_t b) {
    uint32_t differ = a ^ b;
    if (differ == 0) return 32;
    return __builtin_clz(differ);
}

int bestLocalAddress(uint32_t device, const std::vector<uint32_t> &candidates) {
    int best = -1;
    int bestBits = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        int bits = sharedLeadingBits(device, candidates[i]);
        if (bits > bestBits) {
            best = (int)i;
            bestBits = bits;
        }
    }
    return best;
}

uint32_t chooseLocalAddress(const char *deviceAddress) {
    in_addr device{};
    if (!deviceAddress || inet_pton(AF_INET, deviceAddress, &device) != 1) device.s_addr = 0;
    std::vector<uint32_t> candidates;
    char text[64];
    for (int n = 1; ifmodGetAddress(n, text, sizeof text) == 0; ++n) {
        in_addr local{};
        if (inet_pton(AF_INET, text, &local) == 1) candidates.push_back(ntohl(local.s_addr));
    }
    int best = bestLocalAddress(ntohl(device.s_addr), candidates);
    return best < 0 ? 0 : htonl(candidates[(size_t)best]);
}
