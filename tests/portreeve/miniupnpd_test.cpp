// The real plug-in against a real gateway daemon (version 2 by default, or
// version 1), in network namespaces: what a user meets with a home router.
// Each case prints the time until the ports were forwarded.
#include <cstdio>

#include "gateway_fixture.h"
#include "miniupnpd_peer.h"

namespace {

using namespace portreevetest;
using Clock = std::chrono::steady_clock;

constexpr const char *SERVICES = "[waymark-services]\nWeb=1:TCP(8080-8081),UDP(5000-5000)\n";
constexpr const char *RULE_8080 = "dport 8080 dnat ip to 10.77.0.100:8080";
constexpr const char *RULE_8081 = "dport 8081 dnat ip to 10.77.0.100:8081";
constexpr const char *RULE_5000 = "dport 5000 dnat ip to 10.77.0.100:5000";

long msSince(Clock::time_point since) {
    return (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

size_t occurrences(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class MiniupnpdTest : public GatewayTest {
protected:
    void SetUp() override {
        GatewayTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(netenv::run("command -v miniupnpd") && netenv::run("command -v nft") &&
                    netenv::run("command -v upnpc"))
            << "miniupnpd-nftables, nftables and miniupnpc must be installed (tools/debian-packages.txt)";
        peer_ = std::make_unique<MiniupnpdPeer>("pr0p", "10.77.0.1/24", work_);
        ASSERT_EQ(peer_->error(), "");
    }
    void TearDown() override {
        host_.stop();
        netenv::run(std::string("ip addr replace ") + PC + "/24 dev pr0");
        bringUpThisPc();
        peer_.reset();
        GatewayTest::TearDown();
    }
    // Waits until every port of the service is a DNAT rule of the gateway.
    bool waitForwarded(int timeoutMs) {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            std::string rules = peer_->redirects();
            if (rules.find(RULE_8080) != std::string::npos && rules.find(RULE_8081) != std::string::npos &&
                rules.find(RULE_5000) != std::string::npos)
                return true;
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    // This PC's link as a network that came up: the link, and the multicast
    // route that went with it when it went down.
    static void bringUpThisPc() {
        netenv::run("ip link set pr0 up");
        netenv::run("ip route replace 239.0.0.0/8 dev pr0");
    }
    std::string all() { return dump() + "--- gateway ---\n" + peer_->log() + "--- rules ---\n" + peer_->redirects(); }

    std::unique_ptr<MiniupnpdPeer> peer_;
};

TEST_F(MiniupnpdTest, AVersionTwoGatewayForwardsWithAFiniteLeaseThatIsRenewed) {
    ASSERT_TRUE(peer_->start(false)) << peer_->log();
    auto started = Clock::now();
    start(std::string("[upnp]\nLeaseDuration=6\n") + SERVICES);
    ASSERT_TRUE(waitForwarded(PASS_TIMEOUT_MS)) << all();
    long forwardedMs = msSince(started);
    std::printf("version 2 gateway: forwarded %ld ms after start\n", forwardedMs);
    RecordProperty("forwarded_ms", (int)forwardedMs);
    ASSERT_TRUE(waitFor("Device Home Router (")) << all();
    EXPECT_EQ(count("configured for service Web"), 1) << all();
    // Past two lease times the rules are still there: each lease of 6 s was
    // renewed after about 3 s; without renewal the gateway drops them.
    std::this_thread::sleep_for(std::chrono::milliseconds(13000));
    EXPECT_TRUE(waitForwarded(0)) << all();
    std::string log = peer_->log();
    EXPECT_GE(occurrences(log, "ext port 8080 to 10.77.0.100:8080 protocol TCP for: pm8080 leaseduration=6 rhost"), 3u) << log;
    EXPECT_EQ(occurrences(log, "leaseduration=0 rhost"), 0u) << log;
    EXPECT_EQ(count("ERROR upnpmodAddPortMapping"), 0) << all();
}

TEST_F(MiniupnpdTest, AVersionOneGatewayGetsPermanentMappingsAsBefore) {
    ASSERT_TRUE(peer_->start(true)) << peer_->log();
    auto started = Clock::now();
    start(std::string("[upnp]\nLeaseDuration=6\n") + SERVICES);
    ASSERT_TRUE(waitForwarded(PASS_TIMEOUT_MS)) << all();
    long forwardedMs = msSince(started);
    std::printf("version 1 gateway: forwarded %ld ms after start\n", forwardedMs);
    RecordProperty("forwarded_ms", (int)forwardedMs);
    ASSERT_TRUE(waitFor("configured for service Web")) << all();
    std::this_thread::sleep_for(std::chrono::milliseconds(8000));
    EXPECT_TRUE(waitForwarded(0)) << all();
    // Version 1 service, permanent mappings (the daemon logs a lease of 0 as
    // its own maximum), nothing renewed.
    std::string log = peer_->log();
    EXPECT_EQ(occurrences(log, "SOAPAction: urn:schemas-upnp-org:service:WANIPConnection:1#AddPortMapping"), 3u) << log;
    EXPECT_EQ(occurrences(log, "WANIPConnection:2"), 0u) << log;
    EXPECT_EQ(occurrences(log, "leaseduration=6 rhost"), 0u) << log;
    EXPECT_EQ(occurrences(log, "rhost=0.0.0.0"), 3u) << log;
}

TEST_F(MiniupnpdTest, AMappingDeletedBehindOurBackIsPutBackByTheCheck) {
    ASSERT_TRUE(peer_->start(false)) << peer_->log();
    start(std::string("[upnp]\nCheckInterval=2\n") + SERVICES);
    ASSERT_TRUE(waitForwarded(PASS_TIMEOUT_MS)) << all();
    ASSERT_TRUE(waitFor("configured for service Web")) << all();
    ASSERT_TRUE(netenv::run("upnpc -u http://10.77.0.1:$(sed -n 's/.*HTTP listening on port \\([0-9]*\\).*/\\1/p' '" +
                            work_ + "/miniupnpd-1.log' | head -n1)/rootDesc.xml -d 8081 TCP"))
        << all();
    ASSERT_EQ(peer_->redirects().find(RULE_8081), std::string::npos) << all();
    auto deleted = Clock::now();
    ASSERT_TRUE(waitForwarded(20000)) << all();
    long backMs = msSince(deleted);
    std::printf("mapping deleted behind our back: forwarded again %ld ms later\n", backMs);
    RecordProperty("forwarded_again_ms", (int)backMs);
    EXPECT_EQ(count("lost the forwarding of TCP port 8081; configuring it again"), 1) << all();
}

TEST_F(MiniupnpdTest, AGatewayThatRestartsWithoutItsMappingsGetsThemBack) {
    ASSERT_TRUE(peer_->start(false)) << peer_->log();
    start(SERVICES);
    ASSERT_TRUE(waitForwarded(PASS_TIMEOUT_MS)) << all();
    ASSERT_TRUE(waitFor("configured for service Web")) << all();
    peer_->kill();
    peer_->flushRules();
    ASSERT_EQ(peer_->redirects().find(RULE_8080), std::string::npos) << all();
    auto restarted = Clock::now();
    ASSERT_TRUE(peer_->start(false)) << peer_->log();
    ASSERT_TRUE(waitForwarded(60000)) << all();
    long backMs = msSince(restarted);
    std::printf("gateway restarted: forwarded again %ld ms later\n", backMs);
    RecordProperty("forwarded_again_ms", (int)backMs);
    EXPECT_EQ(count("is back; configuring it again"), 1) << all();
}

TEST_F(MiniupnpdTest, APcWhoseLinkComesUpLateIsForwardedOnceItIsUp) {
    ASSERT_TRUE(peer_->start(false)) << peer_->log();
    ASSERT_TRUE(netenv::run("ip link set pr0 down"));
    auto started = Clock::now();
    start(SERVICES);
    ASSERT_TRUE(waitFor("The forwarding worker is waiting for the network", 1, 10000)) << all();
    std::this_thread::sleep_until(started + std::chrono::seconds(2));
    auto up = Clock::now();
    bringUpThisPc();
    ASSERT_TRUE(waitForwarded(30000)) << all();
    long forwardedMs = msSince(up);
    std::printf("link up 2 s after start: forwarded %ld ms after the link came up\n", forwardedMs);
    RecordProperty("forwarded_ms", (int)forwardedMs);
    ASSERT_TRUE(waitFor("configured for service Web")) << all();
    EXPECT_EQ(count("The forwarding worker is waiting for the network"), 1) << all();
    EXPECT_EQ(count("The forwarding worker is active again on address 10.77.0.100"), 1) << all();
    // The failed start was reported once, not at every retry.
    EXPECT_EQ(count("ERROR upnpmodSetOption() returned error code -5"), 1) << all();
}

TEST_F(MiniupnpdTest, WhenThisPcsAddressGoesAwayTheWorkerWaitsForItAndStartsAgain) {
    ASSERT_TRUE(peer_->start(false)) << peer_->log();
    start(SERVICES);
    ASSERT_TRUE(waitForwarded(PASS_TIMEOUT_MS)) << all();
    ASSERT_TRUE(waitFor("configured for service Web")) << all();
    ASSERT_TRUE(netenv::run(std::string("ip addr del ") + PC + "/24 dev pr0"));
    ASSERT_TRUE(waitFor("The forwarding worker is waiting for the network", 1, 10000)) << all();
    peer_->flushRules();
    auto back = Clock::now();
    ASSERT_TRUE(netenv::run(std::string("ip addr add ") + PC + "/24 dev pr0"));
    ASSERT_TRUE(waitFor("The forwarding worker is active again on address 10.77.0.100", 1, 10000)) << all();
    ASSERT_TRUE(waitForwarded(30000)) << all();
    std::printf("address back: forwarded %ld ms later\n", msSince(back));
    EXPECT_EQ(count("configured for service Web"), 2) << all();
    EXPECT_EQ(count("ERROR"), 0) << all();
}

}  // namespace
