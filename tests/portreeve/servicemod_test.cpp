// Service definitions against real configuration files.
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "servicemod.h"

namespace {

const char *SECTION = "waymark-services";

class ServicemodTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/servicemod-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/cradle.ini";
    }
    void TearDown() override {
        servicemodShutdown();
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    void writeFile(const std::string &text) { std::ofstream(path_) << text; }
    std::string readValue(const char *key) {
        char value[4096] = {};
        GetPrivateProfileStringA(SECTION, key, "<none>", value, sizeof value, path_.c_str());
        return value;
    }
    int idOf(const std::string &name) {
        char buffer[128];
        for (int pos = 0;; ++pos) {
            int id = servicemodEnumServices(pos, buffer, sizeof buffer);
            if (id < 0 || name == buffer) return id;
        }
    }
    std::vector<PortRange> ranges(int id) {
        std::vector<PortRange> out;
        PortRange r;
        for (int pos = 0; servicemodGetPortRange(id, pos, &r) >= 0; ++pos) out.push_back(r);
        return out;
    }
    int count() {
        char buffer[128];
        int n = 0;
        while (servicemodEnumServices(n, buffer, sizeof buffer) >= 0) ++n;
        return n;
    }

    std::string dir_;
    std::string path_;
};

TEST_F(ServicemodTest, LoadsEachLineOfTheSectionByItsRules) {
    writeFile("[waymark-services]\n"
              "Web=1:TCP(80-80),tcp(443-443)\n"
              "Game=0:UDP(27015-27030)\n"
              "Reversed=1:TCP(90-80)\n"
              "NoDash=1:TCP(80)\n"
              "Two=2:TCP(80-80)\n"
              "NoColon=1TCP(80-80)\n"
              "Wrap=1:UDP(65537-65538) junk,TCP(7-9)\n"
              "NoValue=\n");
    ASSERT_EQ(servicemodInit(path_.c_str(), SECTION), 0);
    EXPECT_EQ(count(), 7);

    int web = idOf("Web");
    EXPECT_EQ(servicemodGetServiceEnable(web), 1);
    auto r = ranges(web);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].protocol, PROTO_TCP);
    EXPECT_EQ(r[1].from, 443);
    EXPECT_EQ(r[1].to, 443);

    int game = idOf("Game");
    EXPECT_EQ(servicemodGetServiceEnable(game), 0);
    r = ranges(game);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].protocol, PROTO_UDP);
    EXPECT_EQ(r[0].from, 27015);
    EXPECT_EQ(r[0].to, 27030);

    EXPECT_TRUE(ranges(idOf("Reversed")).empty());
    r = ranges(idOf("NoDash"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].from, 0);
    EXPECT_EQ(r[0].to, 0);
    EXPECT_EQ(servicemodGetServiceEnable(idOf("Two")), 0);
    EXPECT_EQ(ranges(idOf("Two")).size(), 1u);
    EXPECT_EQ(servicemodGetServiceEnable(idOf("NoColon")), 0);
    EXPECT_TRUE(ranges(idOf("NoColon")).empty());
    r = ranges(idOf("Wrap"));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].from, 1);
    EXPECT_EQ(r[0].to, 2);
    EXPECT_EQ(r[1].protocol, PROTO_TCP);
    EXPECT_LT(idOf("NoValue"), 0);
}

TEST_F(ServicemodTest, SavesInTheFileFormatAndReloadsTheSame) {
    writeFile("[other]\nkeep=1\n[waymark-services]\nGame=0:UDP(27015-27030)\nWeb=1:TCP(80-80),tcp(443-443)\n");
    ASSERT_EQ(servicemodInit(path_.c_str(), SECTION), 0);
    int empty = servicemodAddService("Empty", 1);
    ASSERT_GE(empty, 0);
    ASSERT_EQ(servicemodSave(), 0);
    EXPECT_EQ(readValue("Game"), "0:UDP(27015-27030)");
    EXPECT_EQ(readValue("Web"), "1:TCP(80-80),TCP(443-443)");
    EXPECT_EQ(readValue("Empty"), "1:");

    // Reload throws away what was not saved.
    ASSERT_GE(servicemodAddService("Unsaved", 1), 0);
    ASSERT_EQ(servicemodReload(), 0);
    EXPECT_EQ(count(), 3);
    EXPECT_LT(idOf("Unsaved"), 0);

    // Removing every service and saving removes the section, nothing else.
    char first[128];
    for (int id; (id = servicemodEnumServices(0, first, sizeof first)) >= 0;)
        ASSERT_EQ(servicemodRemoveService(id), 0);
    ASSERT_EQ(servicemodSave(), 0);
    char names[1024] = {};
    DWORD got = GetPrivateProfileSectionNamesA(names, sizeof names, path_.c_str());
    EXPECT_EQ(std::string(names, got).find("waymark-services"), std::string::npos);
    char keep[8] = {};
    GetPrivateProfileStringA("other", "keep", "", keep, sizeof keep, path_.c_str());
    EXPECT_STREQ(keep, "1");
}

TEST_F(ServicemodTest, RefusesOverlappingRangesOfTheSameProtocol) {
    writeFile("[waymark-services]\nOther=1:TCP(8010-8020)\n");
    ASSERT_EQ(servicemodInit(path_.c_str(), SECTION), 0);
    int svc = servicemodAddService("New", 1);
    ASSERT_GE(svc, 0);
    PortRange tcp{8000, 8010, PROTO_TCP};
    EXPECT_EQ(servicemodAddPortRange(svc, &tcp), -4);
    PortRange udp{8000, 8010, PROTO_UDP};
    EXPECT_GE(servicemodAddPortRange(svc, &udp), 0);
    PortRange inside{8005, 8005, PROTO_UDP};  // overlaps the service's own range
    EXPECT_EQ(servicemodAddPortRange(svc, &inside), -4);
    PortRange below{8000, 8009, PROTO_TCP};
    EXPECT_GE(servicemodAddPortRange(svc, &below), 0);
    PortRange reversed{10, 9, PROTO_TCP};
    EXPECT_EQ(servicemodAddPortRange(svc, &reversed), -2);
    PortRange badProtocol{1, 1, 3};
    EXPECT_EQ(servicemodAddPortRange(svc, &badProtocol), -2);
    EXPECT_EQ(servicemodAddPortRange(9999, &below), -2);
    EXPECT_EQ(ranges(svc).size(), 2u);

    // Clearing gives the ports free again.
    ASSERT_EQ(servicemodClearPortRanges(svc), 0);
    EXPECT_TRUE(ranges(svc).empty());
    EXPECT_GE(servicemodAddPortRange(svc, &inside), 0);
}

TEST_F(ServicemodTest, NamesAreUniqueWithoutRegardToCaseOnlyWhenAdded) {
    writeFile("[waymark-services]\nWeb=1:TCP(80-80)\n");
    ASSERT_EQ(servicemodInit(path_.c_str(), SECTION), 0);
    EXPECT_EQ(servicemodAddService("web", 1), -2);
    EXPECT_EQ(servicemodAddService(nullptr, 1), -2);
    EXPECT_EQ(servicemodAddService(std::string(128, 'n').c_str(), 1), -2);
    int longest = servicemodAddService(std::string(127, 'n').c_str(), 1);
    EXPECT_GE(longest, 0);
    // Names that could not be read back from the file are refused.
    EXPECT_EQ(servicemodAddService("a=b", 1), -2);
    EXPECT_EQ(servicemodAddService("", 1), -2);

    int mail = servicemodAddService("Mail", 0);
    ASSERT_GE(mail, 0);
    EXPECT_EQ(servicemodSetServiceName(mail, "WEB"), 0);
    char name[128];
    EXPECT_EQ(servicemodGetServiceName(mail, name, sizeof name), 0);
    EXPECT_STREQ(name, "WEB");
    char small[4];
    EXPECT_EQ(servicemodGetServiceName(mail, small, sizeof small), 0);
    EXPECT_STREQ(small, "WEB");
    EXPECT_EQ(servicemodSetServiceEnable(mail, 1), 0);
    EXPECT_EQ(servicemodGetServiceEnable(mail), 1);
    EXPECT_EQ(servicemodGetServiceEnable(12345), -2);
    EXPECT_EQ(servicemodEnumServices(99, name, sizeof name), -2);
}

TEST_F(ServicemodTest, LifecycleAndArguments) {
    EXPECT_EQ(servicemodAddService("x", 1), -1);
    EXPECT_EQ(servicemodInit(nullptr, SECTION), -2);
    EXPECT_EQ(servicemodInit(std::string(260, 'p').c_str(), SECTION), -2);
    EXPECT_EQ(servicemodInit(path_.c_str(), std::string(128, 's').c_str()), -2);
    ASSERT_EQ(servicemodInit(path_.c_str(), SECTION), 0);  // no file: empty list
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(servicemodInit(path_.c_str(), SECTION), -1);
    EXPECT_EQ(servicemodShutdown(), 0);
    EXPECT_EQ(servicemodShutdown(), -1);
    EXPECT_EQ(servicemodReload(), -1);
}

TEST_F(ServicemodTest, LongValuesAndLongSectionsSurviveSaveAndReload) {
    ASSERT_EQ(servicemodInit(path_.c_str(), SECTION), 0);
    // One service with 300 ranges (a value far beyond 2047 characters) and
    // enough services to make the section larger than 16384 characters.
    int big = servicemodAddService("Big", 1);
    for (int i = 0; i < 300; ++i) {
        PortRange r{(uint16_t)(10000 + i * 2), (uint16_t)(10000 + i * 2), PROTO_TCP};
        ASSERT_GE(servicemodAddPortRange(big, &r), 0);
    }
    for (int i = 0; i < 300; ++i) {
        int svc = servicemodAddService(("Service with a longer name, number " + std::to_string(i)).c_str(), i % 2);
        PortRange r{(uint16_t)(20000 + i), (uint16_t)(20000 + i), PROTO_UDP};
        ASSERT_GE(servicemodAddPortRange(svc, &r), 0);
    }
    ASSERT_EQ(servicemodSave(), 0);
    ASSERT_EQ(servicemodReload(), 0);
    EXPECT_EQ(count(), 301);
    EXPECT_EQ(ranges(idOf("Big")).size(), 300u);
    auto last = ranges(idOf("Service with a longer name, number 299"));
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].from, 20299);
    EXPECT_EQ(servicemodGetServiceEnable(idOf("Service with a longer name, number 299")), 1);
}

}  // namespace
