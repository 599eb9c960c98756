// Forwarding worker: first search and configuration, woken passes that
// reconcile and reconfigure, and the closing pass.
#include "worker.h"

#include <arpa/inet.h>
#include <strings.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "errreport.h"
#include "listmod.h"
#include "localaddr.h"
#include "servicemod.h"
#include "settings.h"
#include "upnpmod.h"

namespace {

constexpr const char *SOURCE = "upnp";
constexpr int FIRST_SEARCH_SECONDS = 5;

// A port that the last reconfiguration pass put into effect.
struct ForwardedPort {
    uint16_t port;
    uint16_t protocol;
};

struct Context {
    HANDLE stop;
    HANDLE wake;
    char configPath[MAX_PATH];
};

Context g_context;
int g_forwarded = -1;
std::atomic<bool> g_abandon{false};
std::atomic<bool> g_cut{false};  // a pass stopped before its end

// True when the worker must not send another request: told to abandon its
// work, or the network time left for shutting down is over.
bool mustStop() {
    if (!g_abandon && !upnpmodTimeIsUp()) return false;
    g_cut = true;
    return true;
}

const char *protocolName(int protocol) { return protocol == PROTO_UDP ? "UDP" : "TCP"; }

bool isSelected(const UpnpDevice &device, const UpnpSettings &settings) {
    return settings.configureAllDevices == 1 || strcasecmp(device.deviceId, settings.device) == 0;
}

const char *orEmpty(const char *text) { return text ? text : ""; }

// One line per device and service: information when every port went through,
// an error when any failed.
void logServiceOutcome(const UpnpDevice &device, const char *service, bool failed, const char *done,
                       const char *notDone) {
    zelextLog(SOURCE, failed ? LOG_LEVEL_ERROR : LOG_LEVEL_INFO, "Device %s (%s) at address %s %s service %s",
              orEmpty(device.friendlyName), orEmpty(device.manufacturer), device.address, failed ? notDone : done,
              service);
}

// Calls visit(serviceName, serviceId) for each enabled service in order.
template <typename Visit>
void forEachEnabledService(Visit visit) {
    char name[128];
    for (int pos = 0;; ++pos) {
        int id = servicemodEnumServices(pos, name, sizeof name);
        if (id < 0) return;
        if (servicemodGetServiceEnable(id) == 1) visit(name, id);
    }
}

// Calls visit(port, protocol) for each port of each range of the service;
// stops early (false) when the worker was told to abandon its work.
template <typename Visit>
bool forEachPort(int serviceId, Visit visit) {
    PortRange range;
    for (int pos = 0; servicemodGetPortRange(serviceId, pos, &range) >= 0; ++pos) {
        for (int port = range.from; port <= range.to; ++port) {
            if (mustStop()) return false;
            visit(port, range.protocol);
        }
    }
    return !mustStop();
}

template <typename Visit>
void forEachDevice(int list, Visit visit) {
    UpnpDevice device;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(list, pos);
        if (id < 0) return;
        if (listGetItem(list, id, &device, sizeof device) == (int)sizeof device) visit(device);
    }
}

uint32_t withLastOctetZero(uint32_t address) { return htonl(ntohl(address) & 0xFFFFFF00u); }

// Disables the mapping first (towards an address that is surely not this PC,
// then this PC itself), then deletes it. Returns the deletion's result.
int neutraliseAndDelete(const UpnpDevice &device, uint32_t local, int port, int protocol) {
    if (upnpmodAddPortMapping(device.deviceId, WANIP_SERVICE_TYPE, withLastOctetZero(local), port, protocol, 0) != 0) {
        if (mustStop()) return -5;
        int rc = upnpmodAddPortMapping(device.deviceId, WANIP_SERVICE_TYPE, local, port, protocol, 0);
        if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodAddPortMapping", rc);
    }
    if (mustStop()) return -5;
    return upnpmodDeletePortMapping(device.deviceId, WANIP_SERVICE_TYPE, port, protocol);
}

void configurationPass(int list, const UpnpSettings &settings) {
    forEachDevice(list, [&](const UpnpDevice &device) {
        if (!isSelected(device, settings)) return;
        uint32_t local = chooseLocalAddress(device.address);
        forEachEnabledService([&](const char *name, int serviceId) {
            bool failed = false;
            bool finished = forEachPort(serviceId, [&](int port, int protocol) {
                int rc = upnpmodDeletePortMapping(device.deviceId, WANIP_SERVICE_TYPE, port, protocol);
                if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodDeletePortMapping", rc);
                if (mustStop()) return;
                rc = upnpmodAddPortMapping(device.deviceId, WANIP_SERVICE_TYPE, local, port, protocol, 1);
                if (rc != 0) {
                    REPORT_ERROR(SOURCE, "upnpmodAddPortMapping", rc);
                    failed = true;
                }
            });
            if (!finished) return;
            logServiceOutcome(device, name, failed, "configured for", "could not be configured for");
        });
    });
}

bool enabledServiceCovers(int port, int protocol) {
    bool covered = false;
    forEachEnabledService([&](const char *, int serviceId) {
        PortRange range;
        for (int pos = 0; !covered && servicemodGetPortRange(serviceId, pos, &range) >= 0; ++pos)
            covered = range.protocol == protocol && range.from <= port && port <= range.to;
    });
    return covered;
}

void rebuildForwardedList() {
    if (g_forwarded >= 0) {
        int rc = listDestroy(g_forwarded);
        if (rc != 0) REPORT_ERROR(SOURCE, "listDestroy", rc);
        g_forwarded = -1;
    }
    int list = listCreate();
    if (list < 0) {
        REPORT_ERROR(SOURCE, "listCreate", list);
        return;
    }
    g_forwarded = list;
    forEachEnabledService([&](const char *, int serviceId) {
        forEachPort(serviceId, [&](int port, int protocol) {
            ForwardedPort record{(uint16_t)port, (uint16_t)protocol};
            int rc = listAddItem(g_forwarded, &record, sizeof record);
            if (rc < 0) REPORT_ERROR(SOURCE, "listAddItem", rc);
        });
    });
}

void reconcile(int list, const UpnpSettings &settings) {
    ForwardedPort record;
    for (int pos = 0; g_forwarded >= 0; ++pos) {
        int id = listGetItemId(g_forwarded, pos);
        if (id < 0) break;
        if (listGetItem(g_forwarded, id, &record, sizeof record) != (int)sizeof record) continue;
        if (enabledServiceCovers(record.port, record.protocol)) continue;
        forEachDevice(list, [&](const UpnpDevice &device) {
            if (!isSelected(device, settings) || mustStop()) return;
            uint32_t local = chooseLocalAddress(device.address);
            int rc = neutraliseAndDelete(device, local, record.port, record.protocol);
            if (rc == 0)
                zelextLog(SOURCE, LOG_LEVEL_INFO,
                          "Device %s (%s) at address %s successfully removed forwarding on %s port %d",
                          orEmpty(device.friendlyName), orEmpty(device.manufacturer), device.address,
                          protocolName(record.protocol), (int)record.port);
            else
                REPORT_ERROR(SOURCE, "upnpmodDeletePortMapping", rc);
        });
    }
    rebuildForwardedList();
}

void releaseDevices(int list) {
    int rc = upnpmodReleaseDevices(list);
    if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodReleaseDevices", rc);
}

void closingPass() {
    UpnpSettings settings;
    settingsGet(&settings);
    if (settings.removeForwardingOnClose == 0 && settings.persistentForwarding == 1) return;
    int list = upnpmodFindDevices(IGD_DEVICE_TYPE, 0);
    if (list < 0) return;
    bool remove = settings.removeForwardingOnClose == 1;
    forEachDevice(list, [&](const UpnpDevice &device) {
        if (!isSelected(device, settings)) return;
        uint32_t local = chooseLocalAddress(device.address);
        forEachEnabledService([&](const char *name, int serviceId) {
            bool failed = false;
            bool finished = forEachPort(serviceId, [&](int port, int protocol) {
                int rc;
                if (remove) {
                    rc = neutraliseAndDelete(device, local, port, protocol);
                    if (rc != 0 && !g_cut) REPORT_ERROR(SOURCE, "upnpmodDeletePortMapping", rc);
                } else {
                    rc = upnpmodAddPortMapping(device.deviceId, WANIP_SERVICE_TYPE, local, port, protocol, 0);
                    if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodAddPortMapping", rc);
                }
                if (rc != 0) failed = true;
            });
            if (!finished) return;
            logServiceOutcome(device, name, failed, "removed forwarding for", "could not remove forwarding for");
        });
    });
    releaseDevices(list);
}

void setOption(int option, int32_t value) {
    int rc = upnpmodSetOption(option, &value, sizeof value);
    if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodSetOption", rc);
}

DWORD WINAPI workerMain(LPVOID) {
    setOption(UPNPMOD_OPT_LOCAL_ADDRESS, 0);
    setOption(UPNPMOD_OPT_LOCAL_PORT, 0);
    setOption(UPNPMOD_OPT_ACTIVE, 1);

    int list = upnpmodFindDevices(IGD_DEVICE_TYPE, FIRST_SEARCH_SECONDS);
    // A shut-down during the first search goes straight to the closing pass.
    if (list >= 0 && WaitForSingleObject(g_context.stop, 0) == WAIT_OBJECT_0) {
        releaseDevices(list);
        list = -1;
    }
    if (list >= 0) {
        UpnpSettings settings;
        settingsGet(&settings);
        UpnpDevice first;
        int firstId = listGetItemId(list, 0);
        if (strcasecmp(settings.device, DEVICE_AUTO) == 0 && firstId >= 0 &&
            listGetItem(list, firstId, &first, sizeof first) == (int)sizeof first) {
            settingsSetDevice(g_context.configPath, first.deviceId);
            settingsGet(&settings);
        }
        configurationPass(list, settings);
        releaseDevices(list);
    }

    const HANDLE events[2] = {g_context.stop, g_context.wake};
    for (;;) {
        ResetEvent(g_context.wake);
        if (WaitForSingleObject(g_context.stop, 0) == WAIT_OBJECT_0 ||
            WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            break;
        list = upnpmodFindDevices(IGD_DEVICE_TYPE, 0);
        if (list < 0) continue;
        UpnpSettings settings;
        settingsGet(&settings);
        reconcile(list, settings);
        configurationPass(list, settings);
        releaseDevices(list);
    }
    closingPass();
    return 0;
}

}  // namespace

HANDLE workerStart(HANDLE stopEvent, HANDLE wakeEvent, const char *configPath) {
    g_context.stop = stopEvent;
    g_context.wake = wakeEvent;
    std::snprintf(g_context.configPath, sizeof g_context.configPath, "%s", configPath);
    g_abandon = false;
    g_cut = false;
    return CreateThread(nullptr, 0, workerMain, nullptr, 0, nullptr);
}

void workerAbandon() { g_abandon = true; }

bool workerWasCut() { return g_cut; }

void workerReset() {
    g_forwarded = -1;
    g_abandon = false;
    g_cut = false;
}
