// upnpmod: the gateway control point. Starts and stops the UPnP stack,
// searches for devices, keeps the devices that answered with their
// description documents, and sends AddPortMapping / DeletePortMapping.
#pragma once
#include <cstdint>

// Options of upnpmodSetOption; each value is a 32-bit integer.
constexpr int UPNPMOD_OPT_LOCAL_ADDRESS = 1;  // IPv4, network order; 0 = let the stack choose
constexpr int UPNPMOD_OPT_LOCAL_PORT = 2;     // low 16 bits; 0 = let the stack choose
constexpr int UPNPMOD_OPT_ACTIVE = 3;         // 1 activates, 0 deactivates

// One entry of a device list returned by upnpmodFindDevices. The texts belong
// to the list until upnpmodReleaseDevices; friendlyName and manufacturer may
// be null when the description has none.
struct UpnpDevice {
    char *deviceId;
    char *friendlyName;
    char *manufacturer;
    char *address;
};

int upnpmodInit();
int upnpmodShutdown();
int upnpmodSetOption(int option, const void *value, int size);
// Returns a device list handle; searchSeconds 0 lists the known devices only.
int upnpmodFindDevices(const char *deviceType, int searchSeconds);
int upnpmodReleaseDevices(int deviceList);
int upnpmodAddPortMapping(const char *deviceId, const char *serviceType, uint32_t internalClient,
                          int port, int protocol, int enabled);
int upnpmodDeletePortMapping(const char *deviceId, const char *serviceType, int port, int protocol);

// Shut-down: from now on no search, download or action waits past now +
// milliseconds; a search under way ends at once. Holds until the next
// activation.
void upnpmodLimitTime(int milliseconds);
// True once that time is over: callers stop before their next action.
bool upnpmodTimeIsUp();
