// Gateway control: what is refused before anything goes on the network.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include "upnpmod.h"

namespace {

const char *WANIP = "urn:schemas-upnp-org:service:WANIPConnection:1";

TEST(Upnpmod, RefusesBadArgumentsAndUnknownDevicesWithoutSending) {
    EXPECT_EQ(upnpmodAddPortMapping("uuid:x", WANIP, 0, 80, 1, 1), -1);
    EXPECT_EQ(upnpmodFindDevices("urn:x", 0), -1);
    ASSERT_EQ(upnpmodInit(), 0);
    EXPECT_EQ(upnpmodInit(), -1);

    uint32_t client = htonl(0xC0A80005);  // 192.168.0.5
    EXPECT_EQ(upnpmodAddPortMapping("uuid:x", WANIP, client, 8080, 3, 1), -2);
    EXPECT_EQ(upnpmodAddPortMapping("uuid:x", WANIP, client, 0, 2, 1), -2);
    EXPECT_EQ(upnpmodAddPortMapping(nullptr, WANIP, client, 8080, 2, 1), -2);
    EXPECT_EQ(upnpmodAddPortMapping("uuid:x", nullptr, client, 8080, 2, 1), -2);
    EXPECT_EQ(upnpmodDeletePortMapping("uuid:x", WANIP, 8080, 0), -2);
    // A device id that never answered a search.
    EXPECT_EQ(upnpmodAddPortMapping("uuid:x", WANIP, client, 8080, 2, 1), -2);
    EXPECT_EQ(upnpmodDeletePortMapping("uuid:x", WANIP, 8080, 1), -2);

    int32_t value = 0;
    EXPECT_EQ(upnpmodSetOption(2, &value, 2), -2);
    EXPECT_EQ(upnpmodSetOption(4, &value, 4), -2);
    EXPECT_EQ(upnpmodSetOption(1, nullptr, 4), -2);
    EXPECT_EQ(upnpmodSetOption(1, &value, 4), 0);
    EXPECT_EQ(upnpmodSetOption(3, &value, 4), 0);  // deactivating while inactive does nothing
    EXPECT_EQ(upnpmodFindDevices("urn:x", 0), -6);
    EXPECT_EQ(upnpmodReleaseDevices(1023), -3);

    EXPECT_EQ(upnpmodShutdown(), 0);
    EXPECT_EQ(upnpmodShutdown(), -1);
}

}  // namespace
