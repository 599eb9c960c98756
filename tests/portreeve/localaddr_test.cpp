// Choice of the local address a gateway forwards to.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include "localaddr.h"

namespace {

uint32_t ip(const char *text) {
    in_addr a{};
    inet_pton(AF_INET, text, &a);
    return ntohl(a.s_addr);
}

TEST(LocalAddress, LongestSharedPrefixWinsAndEarlierOnTies) {
    EXPECT_EQ(sharedLeadingBits(ip("192.168.0.1"), ip("192.168.0.1")), 32);
    EXPECT_EQ(sharedLeadingBits(ip("128.0.0.0"), ip("0.0.0.0")), 0);
    EXPECT_EQ(sharedLeadingBits(ip("192.168.0.1"), ip("192.168.0.5")), 29);

    std::vector<uint32_t> two = {ip("10.0.0.7"), ip("192.168.0.5")};
    EXPECT_EQ(bestLocalAddress(ip("192.168.0.1"), two), 1);
    // No shared leading bit: no local address (0.0.0.0 is sent).
    EXPECT_EQ(bestLocalAddress(ip("172.16.0.1"), {ip("10.0.0.7")}), -1);
    // The gateway's own address is a local address: 32 bits.
    EXPECT_EQ(bestLocalAddress(ip("192.168.0.5"), {ip("192.168.0.4"), ip("192.168.0.5")}), 1);
    // Equal counts: the earlier address.
    EXPECT_EQ(bestLocalAddress(ip("192.168.0.1"), {ip("192.168.0.2"), ip("192.168.0.3")}), 0);
    EXPECT_EQ(bestLocalAddress(ip("192.168.0.1"), {}), -1);
}

}  // namespace
