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
// The same for devices of any of count types: one search per type, at once.
int upnpmodFindDevicesOf(const char *const *deviceTypes, int count, int searchSeconds);
// The index of the first of the service types that the known device offers
// with a control URL; -2 unknown device, -5 none.
int upnpmodServiceOf(const char *deviceId, const char *const *serviceTypes, int count);
int upnpmodReleaseDevices(int deviceList);
int upnpmodAddPortMapping(const char *deviceId, const char *serviceType, uint32_t internalClient,
                          int port, int protocol, int enabled);
// The same with a lease in seconds (0: no expiry).
int upnpmodAddPortMappingLease(const char *deviceId, const char *serviceType, uint32_t internalClient, int port,
                               int protocol, int enabled, int leaseSeconds);
// 0 and the internal client (network order) of the device's mapping of this
// port; -5 when there is none or the action failed (upnpmodLastError tells).
int upnpmodGetPortMapping(const char *deviceId, const char *serviceType, int port, int protocol,
                          uint32_t *internalClient);
// The UPnP error code (or HTTP status) of the calling thread's last failed
// action; 0 when it succeeded or failed without an answer.
int upnpmodLastError();
int upnpmodDeletePortMapping(const char *deviceId, const char *serviceType, int port, int protocol);

// Shut-down: from now on no search, download or action waits past now +
// milliseconds; a search under way ends at once. Holds until the next
// activation.
void upnpmodLimitTime(int milliseconds);
// True once that time is over: callers stop before their next action.
bool upnpmodTimeIsUp();

// The address the active stack is bound to (network order); 0 when inactive.
uint32_t upnpmodBoundAddress();

// Gateways that came back: a known device announced itself at a new
// description location, or again after its departure. The event is set when
// one came back; upnpmodTakeReturned hands out one device id at a time (0)
// until none is left (-5).
void upnpmodSetReturnEvent(void *event);
int upnpmodTakeReturned(char *deviceId, int size);
