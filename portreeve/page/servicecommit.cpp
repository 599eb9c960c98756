#include "servicecommit.h"

#include <strings.h>

#include <cstdio>

#include "errreport.h"
#include "rangetext.h"
#include "servicemod.h"

namespace {

constexpr const char *SOURCE = "upnp";

// Whether a service other than serviceId already has the name (without
// regard to case, as the configuration file's keys are compared).
bool nameTaken(int serviceId, const char *name) {
    char other[128];
    for (int pos = 0;; ++pos) {
        int id = servicemodEnumServices(pos, other, sizeof other);
        if (id < 0) return false;
        if (id != serviceId && strcasecmp(other, name) == 0) return true;
    }
}

void refusedRange(HWND owner, const PortRow &row, int code) {
    char text[160];
    if (code == -4)
        formatRange(text, sizeof text, "%s port %u overlaps an existing service configuration.",
                    "%s ports %u - %u overlaps an existing service configuration.", row.protocol, row.from, row.to);
    else
        formatRange(text, sizeof text, "An error occurred while adding %s port %u.",
                    "An error occurred while adding %s ports %u - %u.", row.protocol, row.from, row.to);
    MessageBoxA(owner, text, PAGE_TITLE, MB_OK | MB_ICONERROR);
}

}  // namespace

bool serviceCommit(HWND owner, ServiceFields *fields) {
    int id = fields->serviceId;
    if (id < 0) {
        id = servicemodAddService(fields->name, fields->enabled ? 1 : 0);
        // A refused name (already used, or one the file cannot hold) keeps
        // the editor open as it is.
        if (id < 0) return false;
        fields->serviceId = id;
    } else {
        // Two services of one name would be one key in the file: the second
        // would overwrite the first at the next save. Refused like a new
        // service's used name.
        if (nameTaken(id, fields->name)) return false;
        int rc = servicemodSetServiceName(id, fields->name);
        if (rc != 0) REPORT_ERROR(SOURCE, "servicemodSetServiceName", rc);
        rc = servicemodSetServiceEnable(id, fields->enabled ? 1 : 0);
        if (rc != 0) REPORT_ERROR(SOURCE, "servicemodSetServiceEnable", rc);
    }
    int rc = servicemodClearPortRanges(id);
    if (rc != 0) REPORT_ERROR(SOURCE, "servicemodClearPortRanges", rc);
    bool all = true;
    for (const PortRow &row : fields->rows) {
        PortRange range{row.from, row.to, row.protocol};
        int added = servicemodAddPortRange(id, &range);
        if (added < 0) {
            refusedRange(owner, row, added);
            all = false;
        }
    }
    return all;
}
