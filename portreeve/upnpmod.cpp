// Gateway control point on libupnp: activation, the search callback, the
// known-device table, device lists and the two port mapping actions.
#include "upnpmod.h"

#include <windows.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <upnp/upnp.h>
#include <upnp/upnptools.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "errreport.h"
#include "ifmod.h"
#include "listmod.h"
#include "upnpxml.h"

namespace {

constexpr const char *SOURCE = "upnpmod";

// One device that answered a search. Texts and document are heap-owned by
// the table; entries are only read or changed under g_table.
struct KnownDevice {
    char *deviceId;
    char *location;
    IXML_Document *description;
    int expires;
};

struct State {
    bool initialised = false;
    bool active = false;
    bool ownsListModule = false;
    uint32_t localAddress = 0;  // network order
    uint16_t localPort = 0;
    UpnpClient_Handle client = -1;
    int known = -1;  // list of KnownDevice
    HANDLE searchDone = nullptr;
};

State g;
std::mutex g_state;  // module flags, options, client handle, search event
// Known-device table. A description document is used only while this is held,
// because a new search answer may replace and free it at any time.
std::mutex g_table;
// The search-done event variable, which the stack's time-out callback reads.
// Kept apart from g_state: deactivation waits for callbacks to finish.
std::mutex g_search;

char *duplicate(const char *text) { return text ? strdup(text) : nullptr; }

void freeKnown(KnownDevice *entry) {
    std::free(entry->deviceId);
    std::free(entry->location);
    if (entry->description) ixmlDocument_free(entry->description);
}

// Finds the known device with exactly this id; caller holds g_table.
int findKnown(const char *deviceId, KnownDevice *entry) {
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g.known, pos);
        if (id < 0) return -2;
        if (listGetItem(g.known, id, entry, sizeof *entry) == (int)sizeof *entry &&
            std::strcmp(entry->deviceId, deviceId) == 0)
            return id;
    }
}

int addDevice(const KnownDevice &entry) {
    std::lock_guard<std::mutex> lock(g_table);
    if (g.known < 0) return -1;
    KnownDevice old;
    int id = findKnown(entry.deviceId, &old);
    if (id >= 0) {
        if (listUpdateItem(g.known, id, &entry, sizeof entry) != 0) return -4;
        freeKnown(&old);
        return 0;
    }
    return listAddItem(g.known, &entry, sizeof entry) >= 0 ? 0 : -4;
}

int removeDevice(const char *deviceId) {
    std::lock_guard<std::mutex> lock(g_table);
    if (g.known < 0) return -1;
    KnownDevice old;
    int id = findKnown(deviceId, &old);
    if (id < 0) return -2;
    if (listDeleteItem(g.known, id) != 0) return -3;
    freeKnown(&old);
    return 0;
}

void destroyKnownTable() {
    std::lock_guard<std::mutex> lock(g_table);
    if (g.known < 0) return;
    KnownDevice entry;
    while (listTakeItem(g.known, -1, &entry, sizeof entry) == (int)sizeof entry) freeKnown(&entry);
    listDestroy(g.known);
    g.known = -1;
}

void onSearchResult(const UpnpDiscovery *answer) {
    if (UpnpDiscovery_get_ErrCode(answer) != UPNP_E_SUCCESS) return;
    const char *location = UpnpDiscovery_get_Location_cstr(answer);
    const char *deviceId = UpnpDiscovery_get_DeviceID_cstr(answer);
    if (!location || !*location || !deviceId || !*deviceId) return;
    IXML_Document *description = nullptr;
    if (UpnpDownloadXmlDoc(location, &description) != UPNP_E_SUCCESS || !description) return;
    KnownDevice entry{duplicate(deviceId), duplicate(location), description,
                      UpnpDiscovery_get_Expires(answer)};
    int rc = entry.deviceId && entry.location ? addDevice(entry) : -4;
    if (rc != 0) {
        REPORT_ERROR(SOURCE, "__internal_AddDevice", rc);
        freeKnown(&entry);
    }
}

int callback(Upnp_EventType type, const void *event, void *cookie) {
    switch (type) {
    case UPNP_DISCOVERY_SEARCH_RESULT:
        onSearchResult(static_cast<const UpnpDiscovery *>(event));
        break;
    case UPNP_DISCOVERY_ADVERTISEMENT_BYEBYE: {
        auto *notice = static_cast<const UpnpDiscovery *>(event);
        if (UpnpDiscovery_get_ErrCode(notice) != UPNP_E_SUCCESS) break;
        const char *deviceId = UpnpDiscovery_get_DeviceID_cstr(notice);
        int rc = deviceId ? removeDevice(deviceId) : -2;
        if (rc != 0) REPORT_ERROR(SOURCE, "__internal_RemoveDevice", rc);
        break;
    }
    case UPNP_DISCOVERY_SEARCH_TIMEOUT: {
        // The cookie is the address of the search-done event variable; a
        // time-out that arrives after the search gave up finds it cleared.
        std::lock_guard<std::mutex> lock(g_search);
        HANDLE done = *static_cast<HANDLE *>(cookie);
        if (done) SetEvent(done);
        break;
    }
    default:
        break;
    }
    return 0;
}

// Caller holds g_state.
int activate() {
    char interfaceName[64] = {};
    const char *useInterface = nullptr;
    if (g.localAddress != 0) {
        // The stack is bound to an interface; use the one that holds the address.
        if (ifmodFindInterface(g.localAddress, interfaceName, sizeof interfaceName) != 0) return -5;
        useInterface = interfaceName;
    }
    if (UpnpInit2(useInterface, g.localPort) != UPNP_E_SUCCESS) return -5;
    const char *bound = UpnpGetServerIpAddress();
    in_addr address{};
    if (!bound || inet_pton(AF_INET, bound, &address) != 1) address.s_addr = INADDR_NONE;
    g.localAddress = address.s_addr;
    g.localPort = UpnpGetServerPort();
    if (UpnpRegisterClient(callback, &g.client, &g.client) != UPNP_E_SUCCESS) {
        g.client = -1;
        int rc = UpnpFinish();
        if (rc != UPNP_E_SUCCESS) REPORT_ERROR(SOURCE, "UpnpFinish", rc);
        return -5;
    }
    g.active = true;
    return 0;
}

// Caller holds g_state.
void deactivate() {
    if (g.client != -1) {
        int rc = UpnpUnRegisterClient(g.client);
        if (rc != UPNP_E_SUCCESS) REPORT_ERROR(SOURCE, "UpnpUnRegisterClient", rc);
        g.client = -1;
    }
    int rc = UpnpFinish();
    if (rc != UPNP_E_SUCCESS) REPORT_ERROR(SOURCE, "UpnpFinish", rc);
    else g.active = false;
}

// The host part of a URL: after the first "//", up to ":" or "/".
std::string urlHost(const char *url) {
    const char *start = url ? std::strstr(url, "//") : nullptr;
    if (!start) return std::string();
    start += 2;
    return std::string(start, std::strcspn(start, ":/"));
}

int appendDevice(int list, const KnownDevice &known) {
    UpnpDevice device{};
    device.deviceId = duplicate(known.deviceId);
    device.friendlyName = upnpxmlFirstText(known.description, "friendlyName");
    device.manufacturer = upnpxmlFirstText(known.description, "manufacturer");
    device.address = duplicate(urlHost(known.location).c_str());
    int rc = device.deviceId && device.address ? listAddItem(list, &device, sizeof device) : -4;
    if (rc < 0) {
        std::free(device.deviceId);
        std::free(device.friendlyName);
        std::free(device.manufacturer);
        std::free(device.address);
    }
    return rc;
}

bool listHasDevice(int list, const char *deviceId) {
    UpnpDevice device;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(list, pos);
        if (id < 0) return false;
        if (listGetItem(list, id, &device, sizeof device) == (int)sizeof device &&
            std::strcmp(device.deviceId, deviceId) == 0)
            return true;
    }
}

// Finds the control URL of the device's service of this type. 0, -2 unknown
// device, -5 no usable service.
int controlUrlFor(const char *deviceId, const char *serviceType, std::string *controlUrl) {
    std::lock_guard<std::mutex> lock(g_table);
    if (g.known < 0) return -2;
    KnownDevice known;
    if (findKnown(deviceId, &known) < 0) return -2;
    UpnpxmlService service;
    int rc = upnpxmlFindService(known.description, known.location, serviceType, &service);
    if (rc != 0) {
        if (rc != -5) REPORT_ERROR(SOURCE, "UpnpResolveURL2", rc);
        return -5;
    }
    // A description may name any host as control URL; actions go only to the
    // device that served the description.
    if (urlHost(service.controlUrl.c_str()) != urlHost(known.location)) return -5;
    *controlUrl = service.controlUrl;
    return 0;
}

struct Argument {
    const char *name;
    std::string value;
};

int sendAction(const char *deviceId, const char *serviceType, const char *actionName,
               const Argument *arguments, int count, bool logSendFailure) {
    std::string controlUrl;
    int rc = controlUrlFor(deviceId, serviceType, &controlUrl);
    if (rc != 0) return rc;
    IXML_Document *action = nullptr;
    for (int i = 0; i < count; ++i) {
        int added = UpnpAddToAction(&action, actionName, serviceType, arguments[i].name,
                                    arguments[i].value.c_str());
        if (added != UPNP_E_SUCCESS) REPORT_ERROR(SOURCE, "UpnpAddToAction", added);
    }
    UpnpClient_Handle client;
    {
        std::lock_guard<std::mutex> lock(g_state);
        client = g.client;
    }
    IXML_Document *response = nullptr;
    int sent = action ? UpnpSendAction(client, controlUrl.c_str(), serviceType, nullptr, action, &response)
                      : UPNP_E_INVALID_ACTION;
    if (sent != UPNP_E_SUCCESS && logSendFailure) REPORT_ERROR(SOURCE, "UpnpSendAction", sent);
    if (action) ixmlDocument_free(action);
    if (response) ixmlDocument_free(response);
    return sent == UPNP_E_SUCCESS ? 0 : -5;
}

// Keeps the UPnP libraries mapped for the rest of the process: the stack's
// threads may still be on their way out when the plug-in is unloaded.
void pinLibrary(const void *symbol) {
    Dl_info info{};
    if (dladdr(symbol, &info) && info.dli_fname) dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

bool initialised() {
    std::lock_guard<std::mutex> lock(g_state);
    return g.initialised;
}

const char *protocolName(int protocol) { return protocol == 1 ? "TCP" : "UDP"; }

}  // namespace

int upnpmodInit() {
    std::lock_guard<std::mutex> lock(g_state);
    if (g.initialised) return -1;
    pinLibrary(reinterpret_cast<const void *>(&UpnpInit2));
    pinLibrary(reinterpret_cast<const void *>(&ixmlDocument_free));
    int rc = listInit();
    if (rc != 0 && rc != -1) return -3;
    g.ownsListModule = rc == 0;
    int known = listCreate();
    if (known < 0) {
        if (g.ownsListModule) listShutdown();
        g.ownsListModule = false;
        return -3;
    }
    {
        std::lock_guard<std::mutex> table(g_table);
        g.known = known;
    }
    g.localAddress = 0;
    g.localPort = 0;
    g.client = -1;
    g.active = false;
    g.initialised = true;
    return 0;
}

int upnpmodShutdown() {
    {
        std::lock_guard<std::mutex> lock(g_state);
        if (!g.initialised) return -1;
        if (g.active) deactivate();
    }
    // The stack is stopped, so no callback can touch the table any more.
    destroyKnownTable();
    std::lock_guard<std::mutex> lock(g_state);
    if (g.ownsListModule) listShutdown();
    g.ownsListModule = false;
    g.initialised = false;
    return 0;
}

int upnpmodSetOption(int option, const void *value, int size) {
    std::lock_guard<std::mutex> lock(g_state);
    if (!g.initialised) return -1;
    if (option < 1 || option > 3 || !value || size != 4) return -2;
    int32_t number;
    std::memcpy(&number, value, sizeof number);
    switch (option) {
    case UPNPMOD_OPT_LOCAL_ADDRESS:
        g.localAddress = (uint32_t)number;
        return 0;
    case UPNPMOD_OPT_LOCAL_PORT:
        g.localPort = (uint16_t)(number & 0xFFFF);
        return 0;
    default:
        if (number == 1 && !g.active) return activate();
        if (number == 0 && g.active) deactivate();
        return 0;
    }
}

int upnpmodFindDevices(const char *deviceType, int searchSeconds) {
    UpnpClient_Handle client;
    {
        std::lock_guard<std::mutex> lock(g_state);
        if (!g.initialised) return -1;
        if (!g.active) return -6;
        client = g.client;
    }
    if (!deviceType) return -2;
    int list = listCreate();
    if (list < 0) return -3;

    if (searchSeconds > 0) {
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!done) {
            listDestroy(list);
            return -7;
        }
        {
            std::lock_guard<std::mutex> lock(g_search);
            g.searchDone = done;
        }
        if (UpnpSearchAsync(client, searchSeconds, deviceType, &g.searchDone) == UPNP_E_SUCCESS)
            WaitForSingleObject(done, (DWORD)searchSeconds * 2000);
        std::lock_guard<std::mutex> lock(g_search);
        g.searchDone = nullptr;
        CloseHandle(done);
    }

    std::lock_guard<std::mutex> table(g_table);
    KnownDevice known;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g.known, pos);
        if (id < 0) break;
        if (listGetItem(g.known, id, &known, sizeof known) != (int)sizeof known) continue;
        char *type = upnpxmlFirstText(known.description, "deviceType");
        bool wanted = type && std::strcmp(type, deviceType) == 0;
        std::free(type);
        if (!wanted || listHasDevice(list, known.deviceId)) continue;
        int rc = appendDevice(list, known);
        if (rc < 0) REPORT_ERROR(SOURCE, "listAddItem", rc);
    }
    return list;
}

int upnpmodReleaseDevices(int deviceList) {
    if (!initialised()) return -1;
    if (listGetCount(deviceList) < 0) return -3;
    UpnpDevice device;
    for (;;) {
        int id = listGetItemId(deviceList, 0);
        if (id < 0) break;
        if (listGetItem(deviceList, id, &device, sizeof device) == (int)sizeof device) {
            std::free(device.deviceId);
            std::free(device.friendlyName);
            std::free(device.manufacturer);
            std::free(device.address);
        }
        if (listDeleteItem(deviceList, id) != 0) return -3;
    }
    return listDestroy(deviceList) == 0 ? 0 : -3;
}

int upnpmodAddPortMapping(const char *deviceId, const char *serviceType, uint32_t internalClient,
                          int port, int protocol, int enabled) {
    if (!initialised()) return -1;
    if (!deviceId || !serviceType || port < 1 || port > 65535 || (protocol != 1 && protocol != 2))
        return -2;
    in_addr client{};
    client.s_addr = internalClient;
    char clientText[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &client, clientText, sizeof clientText);
    const Argument arguments[] = {
        {"NewRemoteHost", "0.0.0.0"},
        {"NewExternalPort", std::to_string(port)},
        {"NewProtocol", protocolName(protocol)},
        {"NewInternalPort", std::to_string(port)},
        {"NewInternalClient", clientText},
        {"NewEnabled", std::to_string((unsigned)enabled)},
        {"NewPortMappingDescription", "pm" + std::to_string(port)},
        {"NewLeaseDuration", "0"},
    };
    return sendAction(deviceId, serviceType, "AddPortMapping", arguments, 8, false);
}

int upnpmodDeletePortMapping(const char *deviceId, const char *serviceType, int port, int protocol) {
    if (!initialised()) return -1;
    if (!deviceId || !serviceType || port < 1 || port > 65535 || (protocol != 1 && protocol != 2))
        return -2;
    const Argument arguments[] = {
        {"NewRemoteHost", "0.0.0.0"},
        {"NewExternalPort", std::to_string(port)},
        {"NewProtocol", protocolName(protocol)},
    };
    return sendAction(deviceId, serviceType, "DeletePortMapping", arguments, 3, true);
}
