// The fixture of the gateway tests: a private network, test gateways and the
// real plug-in loaded by the plug-in manager.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "extmod/extmod.h"
#include "gateway_process.h"
#include "netenv.h"
#include "plugin_host.h"
#include "zelext.h"

namespace portreevetest {

inline constexpr const char *PC = "10.77.0.100";
inline constexpr int PASS_TIMEOUT_MS = 25000;

inline std::string uuidFor(int n) { return "uuid:7e570000-0000-4000-8000-00000000000" + std::to_string(n); }

inline std::string add(const std::string &path, int port, const char *proto, const std::string &client, int enabled) {
    return path + " AddPortMapping NewRemoteHost=0.0.0.0 NewExternalPort=" + std::to_string(port) +
           " NewProtocol=" + proto + " NewInternalPort=" + std::to_string(port) + " NewInternalClient=" + client +
           " NewEnabled=" + std::to_string(enabled) + " NewPortMappingDescription=pm" + std::to_string(port) +
           " NewLeaseDuration=0";
}

inline std::string del(const std::string &path, int port, const char *proto) {
    return path + " DeletePortMapping NewRemoteHost=0.0.0.0 NewExternalPort=" + std::to_string(port) +
           " NewProtocol=" + proto;
}

inline std::vector<std::string> from(const std::vector<std::string> &lines, size_t first) {
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
                              const std::function<void(harness::GatewayOptions &)> &customise = nullptr) {
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

}  // namespace portreevetest
