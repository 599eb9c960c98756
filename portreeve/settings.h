// Settings of section "upnp" of the configuration file, shared by the entry
// points, the settings page and the forwarding worker. Each call copies the
// whole record under one lock.
#pragma once

constexpr const char *UPNP_SECTION = "upnp";
constexpr const char *DEVICE_AUTO = "AUTO";
constexpr int DEVICE_SIZE = 128;  // 127 characters and the NUL

struct UpnpSettings {
    int persistentForwarding;
    int removeForwardingOnClose;
    int configureAllDevices;
    char device[DEVICE_SIZE];
    // Timing of the forwarding's upkeep, in seconds: the lease asked of
    // gateways that accept no permanent mapping (renewed at half of it), the
    // check that our mappings are still there, and the slowest retry while
    // the network is not usable.
    int leaseDuration;
    int checkInterval;
    int networkRetryInterval;
};

constexpr int LEASE_DURATION_MAX = 604800;  // one week, the longest lease a gateway must grant

// Reads the section (defaults 1, 0, 0, "AUTO"; one week, 300 and 60 seconds). With applyCloseRule, a
// RemoveForwardingOnClose of 1 forces PersistentForwarding to 0 in memory.
void settingsLoad(const char *configPath, bool applyCloseRule);
void settingsGet(UpnpSettings *out);
void settingsSet(const UpnpSettings &in);
// Makes the device id the Device setting, in memory and in the file.
void settingsSetDevice(const char *configPath, const char *deviceId);
