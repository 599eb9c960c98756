// The plug-in's settings in memory, read from and written to section "upnp".
#include "settings.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

namespace {

UpnpSettings g = {1, 0, 0, "AUTO", LEASE_DURATION_MAX, 300, 60};
std::mutex g_lock;

int readSeconds(const char *key, int fallback, int least, int most, const char *configPath) {
    int value = (int)GetPrivateProfileIntA(UPNP_SECTION, key, fallback, configPath);
    return value < least ? least : value > most ? most : value;
}

}  // namespace

void settingsLoad(const char *configPath, bool applyCloseRule) {
    UpnpSettings fresh{};
    fresh.persistentForwarding = (int)GetPrivateProfileIntA(UPNP_SECTION, "PersistentForwarding", 1, configPath);
    fresh.removeForwardingOnClose =
        (int)GetPrivateProfileIntA(UPNP_SECTION, "RemoveForwardingOnClose", 0, configPath);
    fresh.configureAllDevices = (int)GetPrivateProfileIntA(UPNP_SECTION, "ConfigureAllDevices", 0, configPath);
    GetPrivateProfileStringA(UPNP_SECTION, "Device", DEVICE_AUTO, fresh.device, sizeof fresh.device, configPath);
    fresh.leaseDuration = readSeconds("LeaseDuration", LEASE_DURATION_MAX, 4, LEASE_DURATION_MAX, configPath);
    fresh.checkInterval = readSeconds("CheckInterval", 300, 1, 86400, configPath);
    fresh.networkRetryInterval = readSeconds("NetworkRetryInterval", 60, 1, 3600, configPath);
    if (applyCloseRule && fresh.removeForwardingOnClose == 1) fresh.persistentForwarding = 0;
    settingsSet(fresh);
}

void settingsGet(UpnpSettings *out) {
    std::lock_guard<std::mutex> lock(g_lock);
    *out = g;
}

void settingsSet(const UpnpSettings &in) {
    std::lock_guard<std::mutex> lock(g_lock);
    g = in;
    g.device[DEVICE_SIZE - 1] = '\0';
}

void settingsSetDevice(const char *configPath, const char *deviceId) {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        std::snprintf(g.device, sizeof g.device, "%s", deviceId);
    }
    WritePrivateProfileStringA(UPNP_SECTION, "Device", deviceId, configPath);
}
