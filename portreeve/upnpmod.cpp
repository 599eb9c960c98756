// Gateway control point: libupnp searches; descriptions and actions go over
// bounded HTTP exchanges (boundedhttp.cpp) to the address each device
// answered from, and nowhere else. Also the known-device table and device
// lists.
#include "upnpmod.h"

#include <windows.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <upnp/upnp.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "boundedhttp.h"
#include "descfetch.h"
#include "errreport.h"
#include "ifmod.h"
#include "listmod.h"
#include "logonce.h"
#include "upnpclock.h"
#include "upnpdesc.h"
#include "upnplimits.h"
#include "upnpsoap.h"
#include "upnpurl.h"

namespace {

constexpr const char *SOURCE = "upnpmod";

constexpr size_t MAX_ANSWER_TEXT = 1024;  // device id and location of a search answer

// One device that answered a search. Texts and description are heap-owned by
// the table; entries are only read or changed under g_table.
struct KnownDevice {
    char *deviceId;
    char *location;
    UpnpDescription *description;
    int expires;
    uint32_t address;  // where the answer came from; the location's host
};

struct State {
    bool initialised = false;
    bool active = false;
    bool ownsListModule = false;
    uint32_t localAddress = 0;  // network order
    uint16_t localPort = 0;
    UpnpClient_Handle client = -1;
    int known = -1;  // list of KnownDevice
};

State g;
std::mutex g_state;  // module flags, options, client handle, search event
// Known-device table. A description document is used only while this is held,
// because a new search answer may replace and free it at any time.
std::mutex g_table;
// The search in progress, which the stack's time-out callback ends. Kept
// apart from g_state: deactivation waits for callbacks to finish.
struct Search {
    std::mutex lock;
    std::condition_variable ended;
    bool running = false;
    bool timedOut = false;
} g_search;

char *duplicate(const char *text) { return text ? strdup(text) : nullptr; }

void freeKnown(KnownDevice *entry) {
    std::free(entry->deviceId);
    std::free(entry->location);
    delete entry->description;
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

int addKnownDevice(const KnownDevice &entry) {
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

// Only the address a device answered from may say that it leaves.
int removeKnownDevice(const char *deviceId, uint32_t sender) {
    std::lock_guard<std::mutex> lock(g_table);
    if (g.known < 0) return -1;
    KnownDevice old;
    int id = findKnown(deviceId, &old);
    if (id < 0 || old.address != sender) return -2;
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

// A cause a device can repeat at will, logged once per device address.
template <typename... Args>
void logOnce(uint32_t address, const char *cause, const char *format, Args... args) {
    if (logonceClaim(address, cause)) zelextLog(SOURCE, LOG_LEVEL_ERROR, format, args...);
}

// The IPv4 address a search answer or announcement came from; 0 if none.
uint32_t senderOf(const UpnpDiscovery *event) {
    const sockaddr_storage *from = UpnpDiscovery_get_DestAddr(event);
    if (!from) return 0;
    if (from->ss_family == AF_INET) return reinterpret_cast<const sockaddr_in *>(from)->sin_addr.s_addr;
    if (from->ss_family == AF_INET6) {
        const in6_addr &a = reinterpret_cast<const sockaddr_in6 *>(from)->sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&a)) {
            uint32_t v4;
            std::memcpy(&v4, a.s6_addr + 12, sizeof v4);
            return v4;
        }
    }
    return 0;
}

void onDescription(const DescfetchJob &job, UpnpDescription *description, const char *reason) {
    std::string address = upnpurlAddressText(job.location.address);
    if (!description) {
        logOnce(job.location.address, "description", "Device %s at address %s ignored: its description was refused (%s)",
                job.deviceId.c_str(), address.c_str(), reason);
        return;
    }
    KnownDevice entry{duplicate(job.deviceId.c_str()), duplicate(job.location.text.c_str()), description,
                      job.expires, job.location.address};
    int rc = entry.deviceId && entry.location ? addKnownDevice(entry) : -4;
    if (rc != 0) {
        REPORT_ERROR(SOURCE, "addKnownDevice", rc);
        freeKnown(&entry);
    }
}

// A search answer: its description is fetched only from the address the
// answer came from, and only over plain HTTP.
void onSearchResult(const UpnpDiscovery *answer) {
    if (UpnpDiscovery_get_ErrCode(answer) != UPNP_E_SUCCESS) return;
    const char *location = UpnpDiscovery_get_Location_cstr(answer);
    const char *deviceId = UpnpDiscovery_get_DeviceID_cstr(answer);
    if (!location || !*location || !deviceId || !*deviceId) return;
    uint32_t sender = senderOf(answer);
    std::string senderText = upnpurlAddressText(sender);
    if (std::strlen(location) > MAX_ANSWER_TEXT || std::strlen(deviceId) > MAX_ANSWER_TEXT) {
        logOnce(sender, "answer", "Device at address %s ignored: its search answer is too long", senderText.c_str());
        return;
    }
    DescfetchJob job;
    if (!upnpurlUsableAddress(sender) || upnpurlParse(location, &job.location) != 0 ||
        job.location.address != sender) {
        logOnce(sender, "location", "Device %s at address %s ignored: its description location %s is not on its own address",
                deviceId, senderText.c_str(), location);
        return;
    }
    job.deviceId = deviceId;
    job.expires = UpnpDiscovery_get_Expires(answer);
    descfetchQueue(job);
}

int callback(Upnp_EventType type, const void *event, void *) {
    switch (type) {
    case UPNP_DISCOVERY_SEARCH_RESULT:
        onSearchResult(static_cast<const UpnpDiscovery *>(event));
        break;
    case UPNP_DISCOVERY_ADVERTISEMENT_BYEBYE: {
        // Any UPnP device may say goodbye; one that is not known is reported
        // once per address, however often it repeats itself.
        auto *notice = static_cast<const UpnpDiscovery *>(event);
        if (UpnpDiscovery_get_ErrCode(notice) != UPNP_E_SUCCESS) break;
        const char *deviceId = UpnpDiscovery_get_DeviceID_cstr(notice);
        int rc = deviceId ? removeKnownDevice(deviceId, senderOf(notice)) : -2;
        if (rc != 0 && logonceClaim(senderOf(notice), "byebye")) REPORT_ERROR(SOURCE, "removeKnownDevice", rc);
        break;
    }
    case UPNP_DISCOVERY_SEARCH_TIMEOUT: {
        std::lock_guard<std::mutex> lock(g_search.lock);
        g_search.timedOut = true;
        g_search.ended.notify_all();
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
    upnpclockReset();
    logonceReset();
    descfetchStart(onDescription);
    if (UpnpRegisterClient(callback, &g.client, &g.client) != UPNP_E_SUCCESS) {
        g.client = -1;
        int rc = UpnpFinish();
        if (rc != UPNP_E_SUCCESS) REPORT_ERROR(SOURCE, "UpnpFinish", rc);
        descfetchStop();
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
    // No callback runs any more, so no download can be queued after this.
    if (!g.active) descfetchStop();
}

char *optionalText(const std::optional<std::string> &text) { return text ? duplicate(text->c_str()) : nullptr; }

int appendDevice(int list, const KnownDevice &known) {
    UpnpDevice device{};
    device.deviceId = duplicate(known.deviceId);
    device.friendlyName = optionalText(known.description->friendlyName);
    device.manufacturer = optionalText(known.description->manufacturer);
    device.address = duplicate(upnpurlAddressText(known.address).c_str());
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

// The control URL of the device's first service of this type, resolved
// against "URLBase" or else the location. 0, -2 unknown device, -5 no usable
// service. A control URL that does not lie on the device's own address is
// refused: a description must not send this PC's requests elsewhere.
int controlUrlFor(const char *deviceId, const char *serviceType, UpnpUrl *controlUrl) {
    std::lock_guard<std::mutex> lock(g_table);
    if (g.known < 0) return -2;
    KnownDevice known;
    if (findKnown(deviceId, &known) < 0) return -2;
    const UpnpdescService *service = nullptr;
    for (const UpnpdescService &s : known.description->services)
        if (s.serviceType == serviceType) {
            service = &s;
            break;
        }
    if (!service || service->controlUrl.empty()) return -5;
    std::string base = known.description->urlBase ? *known.description->urlBase : known.location;
    int rc = upnpurlResolve(base, service->controlUrl, controlUrl);
    if (rc == 0 && controlUrl->address == known.address) return 0;
    std::string address = upnpurlAddressText(known.address);
    logOnce(known.address, "control", "Device %s at address %s: control URL %s refused, it is not on the device's own address",
            deviceId, address.c_str(), service->controlUrl.c_str());
    return -5;
}

// One action: 0 when the device answered with the action's success answer;
// else the fault's error code, the HTTP status or the exchange's failure
// (negative) in *code, and -5.
int sendAction(const char *deviceId, const char *serviceType, const char *actionName,
               const UpnpsoapArgument *arguments, int count, bool logSendFailure) {
    HttpRequest request;
    int rc = controlUrlFor(deviceId, serviceType, &request.url);
    if (rc != 0) return rc;
    std::string body = upnpsoapRequest(actionName, serviceType, arguments, count);
    request.body = &body;
    request.headers = {"Content-Type: text/xml; charset=\"utf-8\"",
                       std::string("SOAPACTION: \"") + serviceType + "#" + actionName + "\"", "Expect:"};
    request.maxBody = UPNP_ACTION_ANSWER_MAX_BYTES;
    request.deadline = upnpclockDeadline(UPNP_ACTION_TIMEOUT_MS);
    HttpAnswer answer;
    int code = httpExchange(request, &answer);
    if (code == HTTP_DONE) {
        code = upnpsoapAnswerResult(answer.body.data(), answer.body.size(), actionName, serviceType);
        if (code == 0 && answer.status != 200) code = (int)answer.status;
        if (code == -5 && answer.status != 200) code = (int)answer.status;
    } else if (!(code == HTTP_TIMED_OUT && upnpclockTimeIsUp())) {  // not the device's fault when shut-down cut it
        std::string address = upnpurlAddressText(request.url.address);
        logOnce(request.url.address, httpReason(code), "Device %s at address %s: %s action not answered (%s)", deviceId,
                address.c_str(), actionName, httpReason(code));
    }
    if (code != 0 && logSendFailure) REPORT_ERROR(SOURCE, "UpnpSendAction", code);
    return code == 0 ? 0 : -5;
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
    // libcurl stays too: its TLS libraries register handlers that run at exit.
    pinLibrary(reinterpret_cast<const void *>(&curl_easy_init));
    static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!curlReady) return -3;
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
        // Answers keep arriving for the search time; their descriptions are
        // fetched meanwhile. The whole search ends after twice the search
        // time at the latest, or at once when shut-down begins.
        UpnpClock::time_point end = upnpclockDeadline(searchSeconds * 2000);
        {
            std::lock_guard<std::mutex> lock(g_search.lock);
            g_search.running = true;
            g_search.timedOut = false;
        }
        if (UpnpSearchAsync(client, searchSeconds, deviceType, nullptr) == UPNP_E_SUCCESS) {
            std::unique_lock<std::mutex> lock(g_search.lock);
            while (!g_search.timedOut && !upnpclockLimited() && UpnpClock::now() < end)
                g_search.ended.wait_until(lock, std::min(end, UpnpClock::now() + std::chrono::milliseconds(100)));
            lock.unlock();
            descfetchWaitIdle(end);
        }
        std::lock_guard<std::mutex> lock(g_search.lock);
        g_search.running = false;
    }

    std::lock_guard<std::mutex> table(g_table);
    KnownDevice known;
    for (int pos = 0;; ++pos) {
        int id = listGetItemId(g.known, pos);
        if (id < 0) break;
        if (listGetItem(g.known, id, &known, sizeof known) != (int)sizeof known) continue;
        bool wanted = known.description->deviceType == deviceType;
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
    const UpnpsoapArgument arguments[] = {
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
    const UpnpsoapArgument arguments[] = {
        {"NewRemoteHost", "0.0.0.0"},
        {"NewExternalPort", std::to_string(port)},
        {"NewProtocol", protocolName(protocol)},
    };
    return sendAction(deviceId, serviceType, "DeletePortMapping", arguments, 3, true);
}

void upnpmodLimitTime(int milliseconds) { upnpclockLimit(milliseconds); }

bool upnpmodTimeIsUp() { return upnpclockTimeIsUp(); }
