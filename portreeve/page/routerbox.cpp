#include "routerbox.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "errreport.h"
#include "listmod.h"
#include "upnpmod.h"
#include "worker.h"

namespace {

constexpr const char *SOURCE = "upnp";
// The gateways the worker configures: both generations of the device.
constexpr const char *GATEWAY_TYPES[] = {IGD_DEVICE_TYPE, IGD2_DEVICE_TYPE};

int addItem(HWND combo, const char *text, const char *deviceId) {
    int index = (int)SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0) return index;
    char *copy = strdup(deviceId);
    SendMessageA(combo, CB_SETITEMDATA, (WPARAM)index, reinterpret_cast<LPARAM>(copy));
    return index;
}

}  // namespace

void routerBoxClear(HWND combo) {
    int count = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        LRESULT data = SendMessageA(combo, CB_GETITEMDATA, (WPARAM)i, 0);
        if (data != CB_ERR) std::free(reinterpret_cast<char *>(data));
    }
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
}

bool routerBoxFill(HWND combo, const char *device) {
    routerBoxClear(combo);
    int list = upnpmodFindDevicesOf(GATEWAY_TYPES, 2, 0);
    std::vector<UpnpDevice> devices;
    for (int pos = 0; list >= 0; ++pos) {
        int id = listGetItemId(list, pos);
        if (id < 0) break;
        UpnpDevice d{};
        if (listGetItem(list, id, &d, sizeof d) == (int)sizeof d) devices.push_back(d);
    }
    addItem(combo, devices.empty() ? "No UPnP router found" : "None", DEVICE_NONE);
    int selected = 0;
    for (const UpnpDevice &d : devices) {
        char text[512];
        std::snprintf(text, sizeof text, "%s: %s (%s)", d.address ? d.address : "",
                      d.friendlyName ? d.friendlyName : "", d.manufacturer ? d.manufacturer : "");
        int index = addItem(combo, text, d.deviceId ? d.deviceId : "");
        if (index > 0 && d.deviceId && std::strcmp(d.deviceId, device) == 0) selected = index;
    }
    if (list >= 0) {
        int rc = upnpmodReleaseDevices(list);
        if (rc != 0) REPORT_ERROR(SOURCE, "upnpmodReleaseDevices", rc);
    }
    SendMessageA(combo, CB_SETCURSEL, (WPARAM)selected, 0);
    return selected > 0;
}

const char *routerBoxSelection(HWND combo) {
    LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return nullptr;
    LRESULT data = SendMessageA(combo, CB_GETITEMDATA, (WPARAM)index, 0);
    return data == CB_ERR || !data ? nullptr : reinterpret_cast<const char *>(data);
}

bool routerBoxHasDevice(HWND combo) {
    LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    return index != CB_ERR && index > 0;
}
