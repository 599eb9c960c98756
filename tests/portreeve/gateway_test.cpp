// The real plug-in, loaded by the plug-in manager from the program directory,
// against test gateways in a private network namespace.
#include "gateway_fixture.h"

namespace {

using namespace portreevetest;

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
    EXPECT_EQ(count("control URL http://10.99.99.99:"), 1) << dump();
    // Malformed and oversized descriptions are refused whole, once each.
    EXPECT_EQ(count("at address 10.77.0.3 ignored: its description was refused (not well-formed XML)"), 1) << dump();
    EXPECT_EQ(count("10.77.0.3"), 1);
    EXPECT_EQ(count("at address 10.77.0.2 ignored: its description was refused (answer larger than the size limit)"), 1)
        << dump();
    EXPECT_EQ(count("10.77.0.2"), 1);
    EXPECT_TRUE(huge.actions().empty());
    EXPECT_TRUE(bare.actions().empty());
    EXPECT_TRUE(elsewhere.actions().empty());
    EXPECT_TRUE(noControl.actions().empty());
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
