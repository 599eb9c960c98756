// The forwarding's upkeep against the project's test gateway: the service a
// gateway offers, finite leases and their renewal, the periodic check, and
// refusals that are reported once.
#include "gateway_fixture.h"

namespace {

using namespace portreevetest;

constexpr const char *WEB = "[waymark-services]\nWeb=1:TCP(8080-8080)\n";

std::string leased(std::string action, int seconds) {
    size_t at = action.rfind("NewLeaseDuration=0");
    return action.replace(at, std::string::npos, "NewLeaseDuration=" + std::to_string(seconds));
}

bool waitForActions(const harness::Gateway &gw, size_t n, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (gw.actions().size() < n) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

TEST_F(GatewayTest, AGatewayWithOnlyAPppConnectionIsConfiguredThroughIt) {
    harness::Gateway &gw = gateway("10.77.0.1", 1, [](harness::GatewayOptions &o) { o.description = "ppp"; });
    start(WEB);
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 configured for service Web")) << dump();
    std::vector<std::string> expected = {del("/ctl/pppconn", 8080, "TCP"), add("/ctl/pppconn", 8080, "TCP", PC, 1)};
    EXPECT_EQ(gw.actions(), expected);
}

TEST_F(GatewayTest, AGatewayThatRefusesPermanentMappingsGetsLeasesRenewedBeforeTheyEnd) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    gw.setMode("finite=1");
    start(std::string("[upnp]\nLeaseDuration=4\n") + WEB);
    ASSERT_TRUE(waitFor("configured for service Web")) << dump();
    // Refused at lease 0 (error 725), granted at 4 s, renewed after about 2 s
    // without being deleted first.
    ASSERT_TRUE(waitForActions(gw, 5, 8000)) << dump();
    auto actions = gw.actions();
    std::string granted = leased(add("/ctl/ipconn", 8080, "TCP", PC, 1), 4);
    std::vector<std::string> expected = {del("/ctl/ipconn", 8080, "TCP"), add("/ctl/ipconn", 8080, "TCP", PC, 1),
                                         granted, granted, granted};
    EXPECT_EQ(std::vector<std::string>(actions.begin(), actions.begin() + 5), expected);
    EXPECT_EQ(count("ERROR upnpmodAddPortMapping"), 0) << dump();
    EXPECT_EQ(count("could not"), 0) << dump();
}

TEST_F(GatewayTest, ThePeriodicCheckAsksAboutOurMappingsAndLeavesPresentOnesAlone) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start(std::string("[upnp]\nCheckInterval=1\n") + WEB);
    ASSERT_TRUE(waitFor("configured for service Web")) << dump();
    ASSERT_TRUE(waitForActions(gw, 5, 8000)) << dump();
    std::string check = "/ctl/ipconn GetSpecificPortMappingEntry NewRemoteHost= NewExternalPort=8080 NewProtocol=TCP";
    for (const std::string &action : from(gw.actions(), 2)) EXPECT_EQ(action, check);
    EXPECT_EQ(count("lost the forwarding"), 0) << dump();
    EXPECT_EQ(count("configured for service Web"), 1) << dump();
}

TEST_F(GatewayTest, AMappingAnotherHostHoldsIsReportedOnceNotAtEveryPass) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    gw.setMode("fault=718");
    start(WEB);
    ASSERT_TRUE(waitFor("could not be configured for service Web")) << dump();
    ASSERT_EQ(wakeWithReload(), 0);
    ASSERT_TRUE(waitFor("could not be configured for service Web", 2)) << dump();
    EXPECT_EQ(count("Device Gateway 1 (Maker 1) at address 10.77.0.1 forwards TCP port 8080 to another host already"), 1)
        << dump();
    EXPECT_EQ(count("ERROR upnpmodAddPortMapping() returned error code -5"), 1) << dump();
    EXPECT_EQ(gw.actions().size(), 4u);
}

TEST_F(GatewayTest, AGatewayThatLeavesAndAnnouncesItselfAgainIsConfiguredWithoutAWake) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start(WEB);
    ASSERT_TRUE(waitFor("configured for service Web")) << dump();
    size_t before = gw.actions().size();
    // Announcements are handled on the stack's threads: each gets time to
    // arrive before the next.
    gw.sayGoodbye();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    gw.sayAlive();
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 is back; configuring it again")) << dump();
    ASSERT_TRUE(waitFor("configured for service Web", 2)) << dump();
    std::vector<std::string> expected = {del("/ctl/ipconn", 8080, "TCP"), add("/ctl/ipconn", 8080, "TCP", PC, 1)};
    EXPECT_EQ(from(gw.actions(), before), expected);
    // The gateway's regular announcements at the same place are no return.
    gw.sayAlive();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(count("is back"), 1) << dump();
    EXPECT_EQ(gw.actions().size(), before + 2);
}

}  // namespace
