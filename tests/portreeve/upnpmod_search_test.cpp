// The gateway control module driven directly against a test gateway: when it
// searches, and what a repeated answer leaves behind.
#include "gateway_fixture.h"
#include "listmod.h"
#include "upnpmod.h"

namespace {

using namespace portreevetest;

constexpr const char *IGD = "urn:schemas-upnp-org:device:InternetGatewayDevice:1";
constexpr const char *WANIP = "urn:schemas-upnp-org:service:WANIPConnection:1";

TEST_F(GatewayTest, UpnpmodSearchesOnlyWhenAskedAndKeepsOneEntryPerDevice) {
    harness::Gateway &gw = gateway("10.77.0.1", 1, [](harness::GatewayOptions &o) { o.answers = 2; });
    ASSERT_EQ(upnpmodInit(), 0);
    int32_t on = 1;
    ASSERT_EQ(upnpmodSetOption(UPNPMOD_OPT_ACTIVE, &on, 4), 0);
    EXPECT_EQ(upnpmodSetOption(UPNPMOD_OPT_ACTIVE, &on, 4), 0);  // already active: nothing happens

    // Search time 0 lists what is known (nothing yet) and sends no search.
    int list = upnpmodFindDevices(IGD, 0);
    ASSERT_GE(list, 0);
    EXPECT_EQ(listGetCount(list), 0);
    EXPECT_EQ(upnpmodReleaseDevices(list), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(gw.searches(), 0u);

    // Two answers of one device give one entry, in the search and after it.
    list = upnpmodFindDevices(IGD, 1);
    ASSERT_GE(list, 0);
    EXPECT_EQ(listGetCount(list), 1);
    EXPECT_EQ(upnpmodReleaseDevices(list), 0);
    size_t searches = gw.searches();
    EXPECT_GE(searches, 1u);
    list = upnpmodFindDevices(IGD, 0);
    ASSERT_GE(list, 0);
    ASSERT_EQ(listGetCount(list), 1);
    UpnpDevice device{};
    ASSERT_EQ(listGetItem(list, listGetItemId(list, 0), &device, sizeof device), (int)sizeof device);
    EXPECT_STREQ(device.deviceId, uuidFor(1).c_str());
    EXPECT_STREQ(device.address, "10.77.0.1");
    EXPECT_STREQ(device.friendlyName, "Gateway 1");
    EXPECT_EQ(upnpmodReleaseDevices(list), 0);

    // The one known device takes an action; a protocol outside 1 and 2 sends nothing.
    EXPECT_EQ(upnpmodAddPortMapping(uuidFor(1).c_str(), WANIP, htonl(0xC0A80005), 8080, 2, 1), 0);
    EXPECT_EQ(upnpmodAddPortMapping(uuidFor(1).c_str(), WANIP, htonl(0xC0A80005), 8080, 3, 1), -2);
    std::vector<std::string> expected = {add("/ctl/ipconn", 8080, "UDP", "192.168.0.5", 1)};
    EXPECT_EQ(gw.actions(), expected);
    EXPECT_EQ(gw.searches(), searches);

    int32_t off = 0;
    EXPECT_EQ(upnpmodSetOption(UPNPMOD_OPT_ACTIVE, &off, 4), 0);
    EXPECT_EQ(upnpmodShutdown(), 0);
}

}  // namespace
