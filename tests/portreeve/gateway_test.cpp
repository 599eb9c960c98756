// The real plug-in, loaded by the plug-in manager from the program directory,
// against test gateways in a private network namespace.
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "extmod/extmod.h"
#include "gateway_process.h"
#include "netenv.h"
#include "plugin_host.h"
#include "zelext.h"

namespace {

constexpr const char *PC = "10.77.0.100";
constexpr int PASS_TIMEOUT_MS = 25000;

std::string uuidFor(int n) { return "uuid:7e570000-0000-4000-8000-00000000000" + std::to_string(n); }

std::string add(const std::string &path, int port, const char *proto, const std::string &client, int enabled) {
    return path + " AddPortMapping NewRemoteHost=0.0.0.0 NewExternalPort=" + std::to_string(port) +
           " NewProtocol=" + proto + " NewInternalPort=" + std::to_string(port) + " NewInternalClient=" + client +
           " NewEnabled=" + std::to_string(enabled) + " NewPortMappingDescription=pm" + std::to_string(port) +
           " NewLeaseDuration=0";
}

std::string del(const std::string &path, int port, const char *proto) {
    return path + " DeletePortMapping NewRemoteHost=0.0.0.0 NewExternalPort=" + std::to_string(port) +
           " NewProtocol=" + proto;
}

std::vector<std::string> from(const std::vector<std::string> &lines, size_t first) {
    return std::vector<std::string>(lines.begin() + (long)std::min(first, lines.size()), lines.end());
}

class GatewayTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why = netenv::enterPrivateNetwork("pr0", std::string(PC) + "/24");
        if (!why.empty()) GTEST_SKIP() << "network namespaces are not available here: " << why;
        char pattern[] = "/tmp/portreeve-gw-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        work_ = pattern;
    }
    void TearDown() override {
        host_.stop();
        gateways_.clear();
        if (!work_.empty()) std::system(("rm -rf '" + work_ + "'").c_str());
    }

    harness::Gateway &gateway(const std::string &address, int n,
                              void (*customise)(harness::GatewayOptions &) = nullptr) {
        EXPECT_TRUE(net_.addGatewayAddress(address));
        harness::GatewayOptions o;
        o.address = address;
        o.ssdpInterface = PC;
        o.uuid = uuidFor(n);
        o.name = "Gateway " + std::to_string(n);
        o.manufacturer = "Maker " + std::to_string(n);
        if (customise) customise(o);
        gateways_.push_back(std::make_unique<harness::Gateway>(o, work_));
        EXPECT_TRUE(gateways_.back()->ready()) << "gateway at " << address << " did not start";
        return *gateways_.back();
    }

    void start(const std::string &ini) {
        host_.addDistPlugin("portreeve.dll");
        host_.setConfig(ini);
        ASSERT_EQ(host_.start(), 0);
        ASSERT_NE(GetModuleHandleA("portreeve.dll"), nullptr) << "the manager did not load the plug-in";
    }

    int count(const std::string &text) {
        int n = 0;
        for (const std::string &t : host_.log().texts())
            if (t.find(text) != std::string::npos) ++n;
        return n;
    }
    bool waitFor(const std::string &text, int times = 1, int timeoutMs = PASS_TIMEOUT_MS) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (count(text) < times) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    std::string ini(const char *key) {
        char value[256] = {};
        GetPrivateProfileStringA("upnp", key, "", value, sizeof value, host_.configPath().c_str());
        return value;
    }
    void setIni(const char *section, const char *key, const char *value) {
        WritePrivateProfileStringA(section, key, value, host_.configPath().c_str());
    }
    // A wake-up that arrives while a pass still runs causes no further pass,
    // by design; give the pass that just logged its last line time to reach
    // its wait before waking the worker.
    int wakeWithReload() {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return extmodNotify(EXT_NOTIFY_CONFIG_CHANGED, EXT_CONFIG_RELOAD);
    }
    std::string dump() {
        std::string all;
        for (const std::string &t : host_.log().texts()) all += t + "\n";
        return all;
    }

    netenv::Network net_;
    std::string work_;
    std::vector<std::unique_ptr<harness::Gateway>> gateways_;
    suite::PluginHost host_;
};

const char *kServices = "[waymark-services]\nWeb=1:TCP(8080-8081),UDP(5000-5000)\nOff=0:TCP(9000-9000)\n";

TEST_F(GatewayTest, ForwardsEnabledServicesWithArgumentsInOrderAndWritesTheAutoDevice) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start(kServices);
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 configured for service Web")) << dump();

    std::vector<std::string> expected = {
        del("/ctl/ipconn", 8080, "TCP"), add("/ctl/ipconn", 8080, "TCP", PC, 1),
        del("/ctl/ipconn", 8081, "TCP"), add("/ctl/ipconn", 8081, "TCP", PC, 1),
        del("/ctl/ipconn", 5000, "UDP"), add("/ctl/ipconn", 5000, "UDP", PC, 1),
    };
    EXPECT_EQ(gw.actions(), expected);
    EXPECT_EQ(ini("Device"), uuidFor(1));
    // The gateway had no mappings yet, so each deletion failed and was
    // reported in the plug-in's error form; the additions went through.
    EXPECT_TRUE(waitFor("): ERROR upnpmodDeletePortMapping() returned error code -5", 3)) << dump();
    EXPECT_EQ(count("worker.cpp("), count("ERROR upnpmodDeletePortMapping()"));
    EXPECT_EQ(count("could not be configured"), 0);

    // Entry points of the page contract, on the module the manager loaded.
    HMODULE module = GetModuleHandleA("portreeve.dll");
    auto dlg = reinterpret_cast<PFN_zelextGetEntryPointDlg>(
        reinterpret_cast<void *>(GetProcAddress(module, "zelextGetEntryPointDlg")));
    auto proc = reinterpret_cast<PFN_zelextGetEntryPointProc>(
        reinterpret_cast<void *>(GetProcAddress(module, "zelextGetEntryPointProc")));
    auto initEx = reinterpret_cast<PFN_zelextInitEx>(reinterpret_cast<void *>(GetProcAddress(module, "zelextInitEx")));
    ASSERT_TRUE(dlg && proc && initEx);
    EXPECT_EQ(dlg(0), 10);
    EXPECT_EQ(dlg(1), -2);
    EXPECT_EQ(proc(1), nullptr);
    ExtInitInfo again{};
    again.size = EXT_INIT_INFO_SIZE;
    EXPECT_EQ(initEx(&again), -1);

    // Closing with the defaults (persistent, not removed) sends nothing.
    size_t before = gw.actions().size();
    host_.stop();
    EXPECT_EQ(gw.actions().size(), before);
}

TEST_F(GatewayTest, AutoTakesTheFirstGatewayAndConfiguresOnlyIt) {
    harness::Gateway &first = gateway("10.77.0.1", 1, [](harness::GatewayOptions &o) {
        o.layout = "root";
        o.urlBase = true;
    });
    harness::Gateway &second = gateway("10.77.0.2", 2, [](harness::GatewayOptions &o) {
        o.answerDelayMs = 1500;
        o.control = "absolute";
    });
    start(std::string("[upnp]\nDevice=auto\n") + kServices);
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 configured for service Web")) << dump();
    EXPECT_EQ(ini("Device"), uuidFor(1));
    // The root device's service, resolved against URLBase.
    auto actions = first.actions();
    ASSERT_EQ(actions.size(), 6u);
    EXPECT_EQ(actions[1], add("/base/ctl/ipconn", 8080, "TCP", PC, 1));
    // A woken pass still configures only the chosen gateway, which by then
    // has every mapping: its deletions succeed.
    ASSERT_EQ(wakeWithReload(), 0);
    ASSERT_TRUE(waitFor("configured for service Web", 2)) << dump();
    EXPECT_EQ(first.actions().size(), 12u);
    EXPECT_TRUE(second.actions().empty());
    EXPECT_EQ(count("Gateway 2"), 0);
}

TEST_F(GatewayTest, ADeviceSettingThatNamesNoGatewayConfiguresNothing) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start(std::string("[upnp]\nDevice=uuid:somebody-else\n") + kServices);
    // Let the first search (5 s) and its configuration pass run.
    std::this_thread::sleep_for(std::chrono::milliseconds(6500));
    host_.stop();
    EXPECT_TRUE(gw.actions().empty());
    EXPECT_EQ(count("Device "), 0) << dump();
    EXPECT_EQ(count("ERROR"), 0) << dump();
    EXPECT_EQ(ini("Device"), "uuid:somebody-else");
}

TEST_F(GatewayTest, EveryGatewayGetsTheLocalAddressWithTheLongestCommonPrefix) {
    ASSERT_TRUE(net_.addLocalInterface("pr1", "192.168.77.5/24"));
    harness::Gateway &near = gateway("10.77.0.1", 1);
    harness::Gateway &far = gateway("192.168.77.1", 2, [](harness::GatewayOptions &o) { o.control = "absolute"; });
    start(std::string("[upnp]\nConfigureAllDevices=1\nDevice=uuid:somebody-else\n") + kServices);
    ASSERT_TRUE(waitFor("at address 10.77.0.1 configured for service Web")) << dump();
    ASSERT_TRUE(waitFor("at address 192.168.77.1 configured for service Web")) << dump();
    ASSERT_EQ(near.actions().size(), 6u);
    EXPECT_EQ(near.actions()[1], add("/ctl/ipconn", 8080, "TCP", PC, 1));
    ASSERT_EQ(far.actions().size(), 6u);
    EXPECT_EQ(far.actions()[5], add("/abs/ipconn", 5000, "UDP", "192.168.77.5", 1));
    EXPECT_EQ(ini("Device"), "uuid:somebody-else");  // only "AUTO" is replaced
}

TEST_F(GatewayTest, ADisabledServiceIsRemovedFromTheSecondWokenPassOn) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start("[waymark-services]\nWeb=1:TCP(8080-8080)\nMail=1:TCP(2525-2525)\n");
    ASSERT_TRUE(waitFor("configured for service Mail")) << dump();
    ASSERT_EQ(wakeWithReload(), 0);  // first woken pass: nothing to remove yet
    ASSERT_TRUE(waitFor("configured for service Mail", 2)) << dump();
    EXPECT_EQ(count("removed forwarding"), 0);

    size_t before = gw.actions().size();
    setIni("waymark-services", "Mail", "0:TCP(2525-2525)");
    ASSERT_EQ(wakeWithReload(), 0);
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 successfully removed forwarding on TCP port 2525"))
        << dump();
    ASSERT_TRUE(waitFor("configured for service Web", 3)) << dump();
    std::vector<std::string> expected = {
        add("/ctl/ipconn", 2525, "TCP", "10.77.0.0", 0), del("/ctl/ipconn", 2525, "TCP"),
        del("/ctl/ipconn", 8080, "TCP"), add("/ctl/ipconn", 8080, "TCP", PC, 1),
    };
    EXPECT_EQ(from(gw.actions(), before), expected);
    EXPECT_EQ(count("configured for service Mail"), 2);
}

TEST_F(GatewayTest, RemoveOnCloseSetLaterNeutralisesAndDeletesEveryMapping) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start("[upnp]\nPersistentForwarding=1\n[waymark-services]\nWeb=1:TCP(8080-8080),UDP(5000-5000)\n");
    ASSERT_TRUE(waitFor("configured for service Web")) << dump();
    setIni("upnp", "RemoveForwardingOnClose", "1");
    ASSERT_EQ(wakeWithReload(), 0);
    ASSERT_TRUE(waitFor("configured for service Web", 2)) << dump();
    size_t before = gw.actions().size();
    host_.stop();
    std::vector<std::string> expected = {
        add("/ctl/ipconn", 8080, "TCP", "10.77.0.0", 0), del("/ctl/ipconn", 8080, "TCP"),
        add("/ctl/ipconn", 5000, "UDP", "10.77.0.0", 0), del("/ctl/ipconn", 5000, "UDP"),
    };
    EXPECT_EQ(from(gw.actions(), before), expected);
    EXPECT_EQ(count("Device Gateway 1 (Maker 1) at address 10.77.0.1 removed forwarding for service Web"), 1)
        << dump();
}

TEST_F(GatewayTest, ClosingWithoutPersistenceLeavesTheMappingsDisabled) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start("[upnp]\nPersistentForwarding=0\n[waymark-services]\nWeb=1:TCP(8080-8080),UDP(5000-5000)\n");
    ASSERT_TRUE(waitFor("configured for service Web")) << dump();
    size_t before = gw.actions().size();
    host_.stop();
    std::vector<std::string> expected = {
        add("/ctl/ipconn", 8080, "TCP", PC, 0),
        add("/ctl/ipconn", 5000, "UDP", PC, 0),
    };
    EXPECT_EQ(from(gw.actions(), before), expected);
    EXPECT_EQ(count("at address 10.77.0.1 removed forwarding for service Web"), 1) << dump();
}

TEST_F(GatewayTest, RefusedAndBrokenAnswersFailTheServiceOnly) {
    harness::Gateway &refusing = gateway("10.77.0.1", 1);
    harness::Gateway &broken = gateway("10.77.0.2", 2);
    refusing.setMode("fault=718");
    broken.setMode("broken=1");
    start(std::string("[upnp]\nConfigureAllDevices=1\n") + kServices + "Mail=1:TCP(2525-2525)\n");
    ASSERT_TRUE(waitFor("Device Gateway 1 (Maker 1) at address 10.77.0.1 could not be configured for service Mail"))
        << dump();
    ASSERT_TRUE(waitFor("Device Gateway 2 (Maker 2) at address 10.77.0.2 could not be configured for service Mail"))
        << dump();
    EXPECT_EQ(count("could not be configured for service Web"), 2);
    EXPECT_EQ(count("configured for service Off"), 0);
    EXPECT_EQ(count("ERROR upnpmodAddPortMapping() returned error code -5"), 8);
    // Every port was still tried on both gateways.
    EXPECT_EQ(refusing.actions().size(), 8u);
    EXPECT_EQ(broken.actions().size(), 8u);
}

TEST_F(GatewayTest, AGatewayThatSaysGoodbyeIsLeftOutOfLaterPasses) {
    harness::Gateway &leaving = gateway("10.77.0.1", 1);
    harness::Gateway &staying = gateway("10.77.0.2", 2);
    start(std::string("[upnp]\nConfigureAllDevices=1\n") + kServices);
    ASSERT_TRUE(waitFor("at address 10.77.0.1 configured for service Web")) << dump();
    ASSERT_TRUE(waitFor("at address 10.77.0.2 configured for service Web")) << dump();
    size_t leftBefore = leaving.actions().size();
    leaving.sayGoodbye();
    // The announcement is handled on the stack's own threads; give it time
    // to arrive before the worker is woken.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    ASSERT_EQ(wakeWithReload(), 0);
    ASSERT_TRUE(waitFor("at address 10.77.0.2 configured for service Web", 2)) << dump();
    EXPECT_EQ(leaving.actions().size(), leftBefore);
    EXPECT_EQ(count("at address 10.77.0.1 configured for service Web"), 1);
    EXPECT_EQ(staying.actions().size(), 12u);
}

TEST_F(GatewayTest, HostileGatewaysNeitherCrashNorStopThePlugin) {
    harness::Gateway &normal = gateway("10.77.0.1", 1);
    harness::Gateway &huge = gateway("10.77.0.2", 2, [](harness::GatewayOptions &o) { o.description = "huge"; });
    gateway("10.77.0.3", 3, [](harness::GatewayOptions &o) { o.description = "malformed"; });
    harness::Gateway &bare = gateway("10.77.0.4", 4, [](harness::GatewayOptions &o) { o.description = "missing"; });
    harness::Gateway &elsewhere = gateway("10.77.0.5", 5, [](harness::GatewayOptions &o) { o.control = "otherhost"; });
    harness::Gateway &noControl = gateway("10.77.0.6", 6, [](harness::GatewayOptions &o) { o.control = "missing"; });
    start(std::string("[upnp]\nConfigureAllDevices=1\n") + "[waymark-services]\nWeb=1:TCP(8080-8080)\n");
    ASSERT_TRUE(waitFor("at address 10.77.0.1 configured for service Web")) << dump();
    ASSERT_TRUE(waitFor("could not be configured for service Web", 3)) << dump();
    EXPECT_EQ(normal.actions().size(), 2u);
    // A description without names still lists the device, with empty names.
    EXPECT_EQ(count("Device  () at address 10.77.0.4 could not be configured for service Web"), 1) << dump();
    EXPECT_EQ(count("at address 10.77.0.5 could not be configured"), 1) << dump();
    EXPECT_EQ(count("at address 10.77.0.6 could not be configured"), 1) << dump();
    EXPECT_EQ(count("10.77.0.3"), 0);
    EXPECT_TRUE(bare.actions().empty());
    EXPECT_TRUE(elsewhere.actions().empty());
    EXPECT_TRUE(noControl.actions().empty());
    // The several-megabyte description is an ordinary gateway, if it
    // arrived within the search time.
    if (count("at address 10.77.0.2") > 0) {
        EXPECT_EQ(huge.actions().size(), 2u);
    }
    host_.stop();
}

TEST_F(GatewayTest, AClosingPassThatOverrunsIsCutShortAndWaitedFor) {
    harness::Gateway &gw = gateway("10.77.0.1", 1);
    start("[upnp]\nPersistentForwarding=0\n[waymark-services]\nWeb=1:TCP(8080-8085)\n");
    ASSERT_TRUE(waitFor("configured for service Web")) << dump();
    gw.setMode("slow=2500");
    host_.stop();  // six slow actions would take 15 s
    EXPECT_EQ(count("The forwarding worker did not finish its closing pass in time"), 1) << dump();
    EXPECT_EQ(count("removed forwarding for service Web"), 0);
    EXPECT_LT(from(gw.actions(), 12).size(), 6u);
    EXPECT_EQ(GetModuleHandleA("portreeve.dll"), nullptr);
}

}  // namespace
