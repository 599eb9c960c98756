// A hostile device beside a well-behaved gateway, against the real plug-in:
// the plug-in survives, closes in time, stays within its CPU and memory
// bounds, talks to nobody but the device itself, logs each cause once, and
// still configures the good gateway.
#include <sys/resource.h>

#include <cstdio>
#include <fstream>

#include "gateway_fixture.h"

namespace {

using namespace portreevetest;

constexpr const char *HOSTILE = "10.77.0.2";
constexpr const char *ELSEWHERE = "10.77.0.9";  // another host on the network
constexpr const char *REFUSED = "at address 10.77.0.2 ignored: its description was refused";
constexpr long SHUTDOWN_LIMIT_MS = 8000;
constexpr double CPU_LIMIT_S = 15.0;  // the whole test process, sanitizer build included
constexpr long PEAK_LIMIT_MIB = 400;

struct HostileCase {
    const char *kind;
    const char *cause;    // a log text that must appear exactly once, or null
    const char *outcome;  // the hostile device's line for service Web, or null when it has none
};

const HostileCase kCases[] = {
    {"deep-chunked", REFUSED, nullptr},
    {"trailers", REFUSED, nullptr},
    {"siblings-chunked", REFUSED, nullptr},
    {"many-headers", REFUSED, nullptr},
    {"long-header", REFUSED, nullptr},
    {"stall-description", "ignored: its description was refused (no answer in time)", nullptr},
    {"huge-description", "ignored: its description was refused (answer larger than the size limit)", nullptr},
    {"blackhole", "ignored: its description was refused (no answer in time)", nullptr},
    {"location-loopback", "ignored: its description location http://127.0.0.1:", nullptr},
    {"soap-siblings", "action not answered (answer larger than the size limit)", "could not be configured for service Web"},
    {"soap-stall", "action not answered (no answer in time)", nullptr},
    {"control-mapped", "control URL http://[::ffff:10.77.0.9]:", "could not be configured for service Web"},
    {"control-v6loopback", "control URL http://[::1]:", "could not be configured for service Web"},
    {"fault-zero", nullptr, "could not be configured for service Web"},
    {"fault-text", nullptr, "could not be configured for service Web"},
    {"control-spaced", nullptr, "configured for service Web"},
    {"byebye-flood", "removeKnownDevice() returned error code -2", "configured for service Web"},
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

class HostileDeviceTest : public GatewayTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileDeviceTest, IsSurvivedAndTheGoodGatewayIsStillConfigured) {
    const HostileCase &c = GetParam();
    ASSERT_TRUE(net_.addGatewayAddress(ELSEWHERE));
    harness::Gateway &good = gateway("10.77.0.1", 1);
    harness::Gateway &bad = gateway(HOSTILE, 2, [&](harness::GatewayOptions &o) {
        o.hostile = c.kind;
        o.trapAddress = ELSEWHERE;
    });
    double cpuBefore = cpuSeconds();
    start("[upnp]\nConfigureAllDevices=1\nPersistentForwarding=0\n[waymark-services]\nWeb=1:TCP(8080-8081)\n");
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 configured for service Web")) << dump();
    if (c.outcome) {
        std::string line = std::string("Device Gateway 2 (Maker 2) at address 10.77.0.2 ") + c.outcome;
        ASSERT_TRUE(waitFor(line)) << dump();
    }
    if (c.cause) {
        ASSERT_TRUE(waitFor(c.cause)) << dump();
    }
    if (std::string(c.kind) == "byebye-flood") std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    auto closing = std::chrono::steady_clock::now();
    host_.stop();
    long shutdownMs = (long)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                  closing)
                          .count();
    double cpu = cpuSeconds() - cpuBefore;
    long peak = peakMiB();
    std::printf("hostile %-20s shutdown %5ld ms  peak %4ld MiB  cpu %5.2f s\n", c.kind, shutdownMs, peak, cpu);
    RecordProperty("shutdown_ms", (int)shutdownMs);
    RecordProperty("peak_mib", (int)peak);
    RecordProperty("cpu_ms", (int)(cpu * 1000));

    EXPECT_EQ(GetModuleHandleA("portreeve.dll"), nullptr);
    EXPECT_LT(shutdownMs, SHUTDOWN_LIMIT_MS);
    EXPECT_LT(cpu, CPU_LIMIT_S);
    EXPECT_LT(peak, PEAK_LIMIT_MIB);
    if (c.cause) {
        EXPECT_EQ(count(c.cause), 1) << dump();
    }
    // The good gateway got its mappings, and closing disabled them first.
    auto goodActions = good.actions();
    ASSERT_GE(goodActions.size(), 4u);
    EXPECT_EQ(goodActions[1], add("/ctl/ipconn", 8080, "TCP", PC, 1));
    // Nothing reached another host or this PC's loopback; a refused control
    // URL means nothing was sent at all.
    for (const std::string &line : bad.actions()) {
        EXPECT_EQ(line.rfind("TRAP", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("/ctl/ipconn ", 0), 0u) << line;
    }
    if (std::string(c.cause ? c.cause : "").rfind("control URL", 0) == 0) {
        EXPECT_TRUE(bad.actions().empty());
    }
    bool configured = c.outcome && std::string(c.outcome) == "configured for service Web";
    EXPECT_EQ(count("at address 10.77.0.2 configured for service Web"), configured ? 1 : 0) << dump();
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostileDeviceTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase> &info) {
                             std::string name = info.param.kind;
                             for (char &ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

}  // namespace
