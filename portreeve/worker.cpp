// Forwarding worker: first search and configuration, woken passes that
// reconcile and reconfigure, and the closing pass.
#include "worker.h"

#include <arpa/inet.h>
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "errreport.h"
#include "listmod.h"
#include "localaddr.h"
#include "netwatch.h"
#include "servicemod.h"
#include "settings.h"
#include "upnpmod.h"

namespace {

constexpr const char *SOURCE = "upnp";
constexpr int FIRST_SEARCH_SECONDS = 5;
constexpr const char *GATEWAY_TYPES[] = {IGD_DEVICE_TYPE, IGD2_DEVICE_TYPE};
constexpr int GATEWAY_TYPE_COUNT = 2;
// In order of preference: a gateway's first offered one is used.
constexpr const char *SERVICE_TYPES[] = {WANIP_SERVICE_TYPE, WANIP2_SERVICE_TYPE, WANPPP_SERVICE_TYPE};
constexpr int SERVICE_TYPE_COUNT = 3;
constexpr int UPNP_ONLY_PERMANENT_LEASES = 725;  // OnlyPermanentLeasesSupported: a finite lease is wanted
constexpr int UPNP_CONFLICT = 718;               // ConflictInMappingEntry: another host holds the port
constexpr int UPNP_NO_SUCH_ENTRY = 714;          // NoSuchEntryInArray
constexpr int FIRST_RETRY_MS = 1000;             // retries of a stack that cannot start: 1 s, 2 s, 4 s ...
constexpr int SETTLE_MS = 300;                   // after a network change, for the burst of changes to end

using Clock = std::chrono::steady_clock;

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
// Gateways that asked for a finite lease on a service that should take a
// permanent one; mappings held by another host, reported once each.
std::set<std::string> g_finiteLease;
std::set<std::tuple<std::string, int, int>> g_conflicts;
Clock::time_point g_renewAt = Clock::time_point::max();
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

// The service a pass uses on a device and the lease it asks for there.
struct Route {
    const char *service;
    int lease;  // seconds; 0 = permanent
};

Route routeFor(const UpnpDevice &device, const UpnpSettings &settings) {
    int i = upnpmodServiceOf(device.deviceId, SERVICE_TYPES, SERVICE_TYPE_COUNT);
    const char *service = i >= 0 ? SERVICE_TYPES[i] : WANIP_SERVICE_TYPE;
    bool finite = service == WANIP2_SERVICE_TYPE || g_finiteLease.count(device.deviceId) != 0;
    return {service, finite ? settings.leaseDuration : 0};
}

void scheduleRenewal(int leaseSeconds) {
    g_renewAt = std::min(g_renewAt, Clock::now() + std::chrono::milliseconds((long long)leaseSeconds * 500));
}

// AddPortMapping with the route's lease. A gateway that refuses a permanent
// mapping is asked again with a finite lease, and keeps getting those.
int addMapping(const UpnpDevice &device, Route &route, uint32_t client, int port, int protocol, int enabled,
               const UpnpSettings &settings) {
    int rc = upnpmodAddPortMappingLease(device.deviceId, route.service, client, port, protocol, enabled, route.lease);
    if (rc != 0 && route.lease == 0 && upnpmodLastError() == UPNP_ONLY_PERMANENT_LEASES && !mustStop()) {
        g_finiteLease.insert(device.deviceId);
        route.lease = settings.leaseDuration;
        rc = upnpmodAddPortMappingLease(device.deviceId, route.service, client, port, protocol, enabled, route.lease);
    }
    if (rc == 0 && route.lease > 0 && enabled) scheduleRenewal(route.lease);
    return rc;
}

// A failed AddPortMapping is reported; one refused because another host holds
// the port is reported once, not at every pass.
void reportAddFailure(const UpnpDevice &device, int port, int protocol, int rc) {
    if (upnpmodLastError() != UPNP_CONFLICT) {
        REPORT_ERROR(SOURCE, "upnpmodAddPortMapping", rc);
        return;
    }
    if (!g_conflicts.emplace(device.deviceId, port, protocol).second) return;
    REPORT_ERROR(SOURCE, "upnpmodAddPortMapping", rc);
    zelextLog(SOURCE, LOG_LEVEL_ERROR, "Device %s (%s) at address %s forwards %s port %d to another host already",
              orEmpty(device.friendlyName), orEmpty(device.manufacturer), device.address,
              protocol == PROTO_UDP ? "UDP" : "TCP", port);
}

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
int neutraliseAndDelete(const UpnpDevice &device, const Route &route, uint32_t local, int port, int protocol) {
    if (upnpmodAddPortMappingLease(device.deviceId, route.service, withLastOctetZero(local), port, protocol, 0, route.lease) != 0) {
        if (mustStop()) return -5;
        int rc = upnpmodAddPortMappingLease(device.deviceId, route.service, local, port, protocol, 0, route.lease);
        if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodAddPortMapping", rc);
    }
    if (mustStop()) return -5;
    return upnpmodDeletePortMapping(device.deviceId, route.service, port, protocol);
}

// Every selected device of the list, or only the one named.
void configurationPass(int list, const UpnpSettings &settings, const char *onlyDevice = nullptr) {
    forEachDevice(list, [&](const UpnpDevice &device) {
        if (!isSelected(device, settings)) return;
        if (onlyDevice && std::strcmp(device.deviceId, onlyDevice) != 0) return;
        uint32_t local = chooseLocalAddress(device.address);
        Route route = routeFor(device, settings);
        forEachEnabledService([&](const char *name, int serviceId) {
            bool failed = false;
            bool finished = forEachPort(serviceId, [&](int port, int protocol) {
                int rc = upnpmodDeletePortMapping(device.deviceId, route.service, port, protocol);
                if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodDeletePortMapping", rc);
                if (mustStop()) return;
                rc = addMapping(device, route, local, port, protocol, 1, settings);
                if (rc != 0) {
                    reportAddFailure(device, port, protocol, rc);
                    failed = true;
                } else {
                    g_conflicts.erase({device.deviceId, port, protocol});
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
            int rc = neutraliseAndDelete(device, routeFor(device, settings), local, record.port, record.protocol);
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
    int list = upnpmodFindDevicesOf(GATEWAY_TYPES, GATEWAY_TYPE_COUNT, 0);
    if (list < 0) return;
    bool remove = settings.removeForwardingOnClose == 1;
    forEachDevice(list, [&](const UpnpDevice &device) {
        if (!isSelected(device, settings)) return;
        uint32_t local = chooseLocalAddress(device.address);
        Route route = routeFor(device, settings);
        forEachEnabledService([&](const char *name, int serviceId) {
            bool failed = false;
            bool finished = forEachPort(serviceId, [&](int port, int protocol) {
                int rc;
                if (remove) {
                    rc = neutraliseAndDelete(device, route, local, port, protocol);
                    if (rc != 0 && !g_cut) REPORT_ERROR(SOURCE, "upnpmodDeletePortMapping", rc);
                } else {
                    rc = addMapping(device, route, local, port, protocol, 0, settings);
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

// The periodic check: asks each selected gateway whether our mappings are
// still there (one cheap GetSpecificPortMappingEntry per port) and runs a
// pass for a gateway that lost one (it restarted, or somebody removed it).
void checkPass(int list, const UpnpSettings &settings) {
    forEachDevice(list, [&](const UpnpDevice &device) {
        if (!isSelected(device, settings) || mustStop()) return;
        uint32_t local = chooseLocalAddress(device.address);
        Route route = routeFor(device, settings);
        int lostPort = 0, lostProtocol = 0;
        forEachEnabledService([&](const char *, int serviceId) {
            if (lostPort) return;
            forEachPort(serviceId, [&](int port, int protocol) {
                if (lostPort) return;
                uint32_t client = 0;
                int rc = upnpmodGetPortMapping(device.deviceId, route.service, port, protocol, &client);
                bool missing = rc != 0 && upnpmodLastError() == UPNP_NO_SUCH_ENTRY;
                bool elsewhere = rc == 0 && client != 0 && local != 0 && client != local &&
                                 g_conflicts.count({device.deviceId, port, protocol}) == 0;
                if (missing || elsewhere) {
                    lostPort = port;
                    lostProtocol = protocol;
                }
            });
        });
        if (!lostPort || mustStop()) return;
        zelextLog(SOURCE, LOG_LEVEL_INFO, "Device %s (%s) at address %s lost the forwarding of %s port %d; configuring it again",
                  orEmpty(device.friendlyName), orEmpty(device.manufacturer), device.address,
                  protocolName(lostProtocol), lostPort);
        configurationPass(list, settings, device.deviceId);
    });
}

// Renews the finite leases: every mapping is added again before it runs out.
void renewalPass(int list, const UpnpSettings &settings) {
    forEachDevice(list, [&](const UpnpDevice &device) {
        if (!isSelected(device, settings)) return;
        Route route = routeFor(device, settings);
        if (route.lease == 0) return;
        uint32_t local = chooseLocalAddress(device.address);
        forEachEnabledService([&](const char *name, int serviceId) {
            bool failed = false;
            bool finished = forEachPort(serviceId, [&](int port, int protocol) {
                int rc = addMapping(device, route, local, port, protocol, 1, settings);
                if (rc != 0) {
                    reportAddFailure(device, port, protocol, rc);
                    failed = true;
                }
            });
            if (finished && failed) logServiceOutcome(device, name, true, "", "could not renew the forwarding for");
        });
    });
}

// Passes for the gateways that came back since the last look.
void returnedPass(int list, const UpnpSettings &settings) {
    char deviceId[DEVICE_SIZE * 8];
    while (upnpmodTakeReturned(deviceId, sizeof deviceId) == 0) {
        forEachDevice(list, [&](const UpnpDevice &device) {
            if (std::strcmp(device.deviceId, deviceId) != 0 || !isSelected(device, settings)) return;
            zelextLog(SOURCE, LOG_LEVEL_INFO, "Device %s (%s) at address %s is back; configuring it again",
                      orEmpty(device.friendlyName), orEmpty(device.manufacturer), device.address);
            configurationPass(list, settings, deviceId);
        });
    }
}

// Starts the stack on the address and port the stack chooses. 0, or the
// failing option's error.
int activate() {
    for (int option : {UPNPMOD_OPT_LOCAL_ADDRESS, UPNPMOD_OPT_LOCAL_PORT}) {
        int32_t zero = 0;
        int rc = upnpmodSetOption(option, &zero, sizeof zero);
        if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodSetOption", rc);
    }
    int32_t on = 1;
    return upnpmodSetOption(UPNPMOD_OPT_ACTIVE, &on, sizeof on);
}

void deactivate() {
    int32_t off = 0;
    int rc = upnpmodSetOption(UPNPMOD_OPT_ACTIVE, &off, sizeof off);
    if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodSetOption", rc);
}

// The first search and configuration pass, at start-up and whenever the
// stack starts again: the gateways known by then may have restarted too.
void firstPass() {
    int list = upnpmodFindDevicesOf(GATEWAY_TYPES, GATEWAY_TYPE_COUNT, FIRST_SEARCH_SECONDS);
    // A shut-down during the first search goes straight to the closing pass.
    if (list >= 0 && WaitForSingleObject(g_context.stop, 0) == WAIT_OBJECT_0) {
        releaseDevices(list);
        list = -1;
    }
    if (list < 0) return;
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
    // Gateways the first search brought back were configured just now.
    char ignored[DEVICE_SIZE * 8];
    while (upnpmodTakeReturned(ignored, sizeof ignored) == 0) {
    }
}

// One pass over the known gateways: pass(list, settings).
template <typename Pass>
void withKnownGateways(Pass pass) {
    int list = upnpmodFindDevicesOf(GATEWAY_TYPES, GATEWAY_TYPE_COUNT, 0);
    if (list < 0) return;
    UpnpSettings settings;
    settingsGet(&settings);
    pass(list, settings);
    releaseDevices(list);
}

DWORD timeUntil(Clock::time_point when) {
    auto now = Clock::now();
    if (when <= now) return 0;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count() + 1;
    return ms > 0x7FFFFFFF ? INFINITE : (DWORD)ms;
}

DWORD WINAPI workerMain(LPVOID) {
    HANDLE returned = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE network = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    upnpmodSetReturnEvent(returned);
    if (network) netwatchStart(network);

    // A stack that cannot start (no usable interface yet, an address still
    // being checked) is tried again at each network change and, as a floor,
    // after 1, 2, 4 ... seconds up to the retry interval.
    bool active = false, waited = false;
    int retryMs = FIRST_RETRY_MS;
    Clock::time_point retryAt = Clock::now();
    auto tryActivate = [&] {
        int rc = activate();
        if (rc == 0) {
            active = true;
            retryMs = FIRST_RETRY_MS;
            if (waited) {
                in_addr bound{};
                bound.s_addr = upnpmodBoundAddress();
                zelextLog(SOURCE, LOG_LEVEL_INFO, "The forwarding worker is active again on address %s",
                          inet_ntoa(bound));
            }
            waited = false;
            firstPass();
            return;
        }
        if (!waited) {
            REPORT_ERROR(SOURCE, "upnpmodSetOption", rc);
            zelextLog(SOURCE, LOG_LEVEL_INFO, "The forwarding worker is waiting for the network");
            waited = true;
        }
        UpnpSettings settings;
        settingsGet(&settings);
        retryAt = Clock::now() + std::chrono::milliseconds(retryMs);
        retryMs = std::min(retryMs * 2, settings.networkRetryInterval * 1000);
    };
    tryActivate();

    Clock::time_point checkAt = Clock::time_point::max();
    auto scheduleCheck = [&] {
        UpnpSettings settings;
        settingsGet(&settings);
        checkAt = Clock::now() + std::chrono::seconds(settings.checkInterval);
    };
    if (active) scheduleCheck();

    const HANDLE events[4] = {g_context.stop, g_context.wake, returned, network};
    DWORD count = network ? 4 : (returned ? 3 : 2);
    for (;;) {
        ResetEvent(g_context.wake);
        if (WaitForSingleObject(g_context.stop, 0) == WAIT_OBJECT_0) break;
        DWORD timeout = active ? timeUntil(std::min(checkAt, g_renewAt)) : timeUntil(retryAt);
        DWORD which = WaitForMultipleObjects(count, events, FALSE, timeout);
        if (which == WAIT_OBJECT_0) break;
        if (!active) {
            // A wake or a network change while the stack is down: try now.
            // The pass after activation reads the settings afresh anyway.
            if (which == WAIT_OBJECT_0 + 3) Sleep(SETTLE_MS);
            if (which != WAIT_TIMEOUT || Clock::now() >= retryAt) tryActivate();
            if (active) scheduleCheck();
            continue;
        }
        if (which == WAIT_OBJECT_0 + 3) {
            uint32_t bound = upnpmodBoundAddress();
            if (bound != 0 && bound != INADDR_NONE && !netwatchHasAddress(bound)) {
                deactivate();
                active = upnpmodBoundAddress() != 0;
                if (!active) {
                    zelextLog(SOURCE, LOG_LEVEL_INFO, "The forwarding worker is waiting for the network");
                    waited = true;
                    retryAt = Clock::now();
                }
            }
            continue;
        }
        if (which == WAIT_OBJECT_0 + 1) {
            withKnownGateways([](int list, const UpnpSettings &settings) {
                reconcile(list, settings);
                configurationPass(list, settings);
            });
        }
        if (which == WAIT_OBJECT_0 + 2) withKnownGateways(returnedPass);
        if (Clock::now() >= g_renewAt) {
            g_renewAt = Clock::time_point::max();
            withKnownGateways(renewalPass);
        }
        if (Clock::now() >= checkAt) {
            withKnownGateways(checkPass);
            scheduleCheck();
        }
    }
    if (active) {
        closingPass();
    } else {
        // Nothing can reach the gateways: say so where the settings asked
        // for the forwarding to be removed or disabled.
        UpnpSettings settings;
        settingsGet(&settings);
        if (settings.removeForwardingOnClose == 1 || settings.persistentForwarding == 0)
            zelextLog(SOURCE, LOG_LEVEL_ERROR,
                      "The forwarding worker closed while waiting for the network: the gateways keep their forwarding");
    }
    netwatchStop();
    upnpmodSetReturnEvent(nullptr);
    if (returned) CloseHandle(returned);
    if (network) CloseHandle(network);
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
    g_finiteLease.clear();
    g_conflicts.clear();
    g_renewAt = Clock::time_point::max();
    g_abandon = false;
    g_cut = false;
}
