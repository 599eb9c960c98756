// The service control manager functions against a stand-in for systemd's
// manager on private buses: one for the user's manager, one for the system's.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>

#include "../platform/testdir.h"
#include "manager_double.h"

namespace {

class ServiceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        userBus = std::make_unique<PrivateBus>(dir.path("user_bus"));
        user = std::make_unique<ManagerDouble>(userBus->address());
        setenv("DBUS_SESSION_BUS_ADDRESS", userBus->address().c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir.path("no_system_bus")).c_str(), 1);
    }
    void TearDown() override {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    void startSystemManager() {
        systemBus = std::make_unique<PrivateBus>(dir.path("system_bus"));
        system = std::make_unique<ManagerDouble>(systemBus->address());
        setenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus->address().c_str(), 1);
    }

    // Opens the service with the given rights; null with the error kept.
    SC_HANDLE open(const char *name, DWORD access = SERVICE_ALL_ACCESS) {
        if (!manager) manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        if (!manager) return nullptr;
        return OpenServiceA(manager, name, access);
    }

    DWORD state(SC_HANDLE service) {
        SERVICE_STATUS status{};
        EXPECT_TRUE(QueryServiceStatus(service, &status));
        return status.dwCurrentState;
    }

    DWORD startType(SC_HANDLE service) {
        alignas(QUERY_SERVICE_CONFIGA) char buffer[1024];
        DWORD needed = 0;
        auto *config = reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(buffer);
        EXPECT_TRUE(QueryServiceConfigA(service, config, sizeof buffer, &needed));
        return config->dwStartType;
    }

    TestDir dir;
    std::unique_ptr<PrivateBus> userBus, systemBus;
    std::unique_ptr<ManagerDouble> user, system;
    SC_HANDLE manager = nullptr;

    ~ServiceManagerTest() override {
        if (manager) CloseServiceHandle(manager);
    }
};

DoubleUnit unitWith(const std::string &fileState, const std::string &active = "inactive", bool loaded = true) {
    DoubleUnit u;
    u.fileState = fileState;
    u.active = active;
    u.loaded = loaded;
    return u;
}

TEST_F(ServiceManagerTest, StartTypeAndStateFollowTheUnit) {
    const struct {
        const char *fileState;
        DWORD startType;
    } types[] = {{"enabled", SERVICE_AUTO_START},  {"static", SERVICE_DEMAND_START}, {"indirect", SERVICE_DEMAND_START},
                 {"linked", SERVICE_DEMAND_START}, {"disabled", SERVICE_DISABLED},   {"masked", SERVICE_DISABLED}};
    for (auto &t : types) {
        user->setUnit("cradle.service", unitWith(t.fileState));
        SC_HANDLE s = open("cradle");
        ASSERT_NE(s, nullptr) << t.fileState;
        EXPECT_EQ(startType(s), t.startType) << t.fileState;
        CloseServiceHandle(s);
    }
    const struct {
        const char *active;
        DWORD state;
    } states[] = {{"active", SERVICE_RUNNING},
                  {"activating", SERVICE_START_PENDING},
                  {"deactivating", SERVICE_STOP_PENDING},
                  {"inactive", SERVICE_STOPPED},
                  {"failed", SERVICE_STOPPED}};
    for (auto &t : states) {
        user->setUnit("cradle.service", unitWith("enabled", t.active));
        SC_HANDLE s = open("cradle");
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(state(s), t.state) << t.active;
        CloseServiceHandle(s);
    }
    // A unit the manager has not loaded is simply stopped.
    user->setUnit("cradle.service", unitWith("enabled", "active", false));
    SC_HANDLE s = open("cradle");
    EXPECT_EQ(state(s), static_cast<DWORD>(SERVICE_STOPPED));
    CloseServiceHandle(s);
}

TEST_F(ServiceManagerTest, ConfigBufferIsMeasuredFirst) {
    user->setUnit("cradle.service", unitWith("enabled"));
    SC_HANDLE s = open("cradle");
    ASSERT_NE(s, nullptr);
    DWORD needed = 0;
    EXPECT_FALSE(QueryServiceConfigA(s, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GT(needed, sizeof(QUERY_SERVICE_CONFIGA));
    std::vector<QUERY_SERVICE_CONFIGA> buffer(needed / sizeof(QUERY_SERVICE_CONFIGA) + 1);
    EXPECT_FALSE(QueryServiceConfigA(s, buffer.data(), needed - 1, &needed));
    ASSERT_TRUE(QueryServiceConfigA(s, buffer.data(), needed, &needed));
    EXPECT_STREQ(buffer[0].lpDisplayName, "cradle");
    EXPECT_EQ(buffer[0].lpDependencies[0], '\0');
    EXPECT_EQ(buffer[0].lpDependencies[1], '\0');
    // Every string lies inside the caller's buffer.
    const char *end = reinterpret_cast<const char *>(buffer.data()) + needed;
    EXPECT_LT(buffer[0].lpDisplayName + strlen(buffer[0].lpDisplayName), end);
    CloseServiceHandle(s);
}

TEST_F(ServiceManagerTest, MissingServiceOrManager) {
    EXPECT_EQ(open("nothing"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    // Unit names cannot hold every character: the name is escaped, not passed raw.
    user->setUnit("Cradle\\x20Host-x.service", unitWith("static"));
    SC_HANDLE s = open("Cradle Host/x");
    ASSERT_NE(s, nullptr);
    CloseServiceHandle(s);

    // A bus without a manager, and no bus at all.
    user.reset();
    EXPECT_EQ(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
    userBus.reset();
    EXPECT_EQ(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
    EXPECT_EQ(OpenSCManagerA("elsewhere", nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
}

TEST_F(ServiceManagerTest, StartStartsTheUnitOnlyWhenItCan) {
    user->setUnit("cradle.service", unitWith("static"));
    SC_HANDLE s = open("cradle");
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(user->calls(), std::vector<std::string>{"StartUnit cradle.service replace"});
    EXPECT_EQ(state(s), static_cast<DWORD>(SERVICE_RUNNING));

    // Already running, disabled: refused before the manager is asked.
    EXPECT_FALSE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    user->setUnit("cradle.service", unitWith("disabled"));
    EXPECT_FALSE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DISABLED));
    EXPECT_EQ(user->calls().size(), 1u);

    // The manager's refusal reaches the caller as access denied.
    DoubleUnit refused = unitWith("enabled");
    refused.refuseWith = SD_BUS_ERROR_ACCESS_DENIED;
    user->setUnit("cradle.service", refused);
    EXPECT_FALSE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseServiceHandle(s);

    // A handle without the right to start.
    user->setUnit("cradle.service", unitWith("enabled"));
    s = open("cradle", SERVICE_QUERY_STATUS);
    EXPECT_FALSE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseServiceHandle(s);
}

TEST_F(ServiceManagerTest, AQueuedStartIsPendingNotStopped) {
    // The manager answers StartUnit once the job is queued; the unit is still
    // inactive then. Reading that as "stopped" would make a caller run a
    // second copy beside the service.
    DoubleUnit queued = unitWith("enabled", "inactive", false);
    queued.startTo = "queue";
    user->setUnit("cradle.service", queued);
    SC_HANDLE s = open("cradle");
    ASSERT_TRUE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(state(s), static_cast<DWORD>(SERVICE_START_PENDING));
    EXPECT_FALSE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    CloseServiceHandle(s);
}

TEST_F(ServiceManagerTest, StopControlStopsTheUnit) {
    DoubleUnit running = unitWith("enabled", "active");
    running.stopTo = "deactivating";
    user->setUnit("cradle.service", running);
    SC_HANDLE s = open("cradle");
    SERVICE_STATUS status{};
    ASSERT_TRUE(ControlService(s, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_EQ(user->calls(), std::vector<std::string>{"StopUnit cradle.service replace"});

    user->setUnit("cradle.service", unitWith("enabled", "inactive"));
    EXPECT_FALSE(ControlService(s, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_FALSE(ControlService(s, SERVICE_CONTROL_PAUSE, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SERVICE_CONTROL));

    DoubleUnit refused = unitWith("enabled", "active");
    refused.refuseWith = SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED;
    user->setUnit("cradle.service", refused);
    EXPECT_FALSE(ControlService(s, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(user->calls().size(), 2u);
    CloseServiceHandle(s);
}

TEST_F(ServiceManagerTest, SystemWideInstallWhenTheUserHasNone) {
    startSystemManager();
    system->setUnit("cradle.service", unitWith("enabled"));
    SC_HANDLE s = open("cradle");
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(system->calls().size(), 1u);
    EXPECT_TRUE(user->calls().empty());
    CloseServiceHandle(s);

    // The user's own unit comes first.
    user->setUnit("cradle.service", unitWith("static"));
    s = open("cradle");
    ASSERT_TRUE(StartServiceA(s, 0, nullptr));
    EXPECT_EQ(user->calls().size(), 1u);
    EXPECT_EQ(system->calls().size(), 1u);

    // The service handle outlives its manager handle.
    CloseServiceHandle(manager);
    manager = nullptr;
    EXPECT_EQ(state(s), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(CloseServiceHandle(s));
    EXPECT_FALSE(CloseServiceHandle(s));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
