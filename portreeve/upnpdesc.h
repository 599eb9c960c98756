// Device description documents: a bounded parse into the few texts the
// control point uses. The document is refused whole when it is larger, deeper
// or otherwise out of bounds (upnplimits.h), or not well-formed.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct UpnpdescService {
    std::string serviceType;
    std::string serviceId;
    std::string controlUrl;   // as written, surrounding white space removed
    std::string eventSubUrl;
};

struct UpnpDescription {
    std::string deviceType;                  // of the first "deviceType" element
    std::optional<std::string> friendlyName;  // first "friendlyName", if any
    std::optional<std::string> manufacturer;  // first "manufacturer", if any
    std::optional<std::string> urlBase;       // first "URLBase", if any
    // Every "service" inside a "serviceList", root and embedded devices, in
    // document order (at most UPNP_DESCRIPTION_MAX_SERVICES).
    std::vector<UpnpdescService> services;
};

enum UpnpdescResult {
    UPNPDESC_OK = 0,
    UPNPDESC_MALFORMED = -2,  // not well-formed, or a document type declaration
    UPNPDESC_TOO_LARGE = -4,  // over the byte limit
    UPNPDESC_TOO_DEEP = -6,   // elements nested beyond the depth limit
    UPNPDESC_TOO_LONG = -7,   // an element text beyond the text limit
};

// Parses size bytes of a description; UPNPDESC_OK fills *out.
int upnpdescParse(const char *data, size_t size, UpnpDescription *out);

// The reason as words for the log ("nested too deeply").
const char *upnpdescReason(int result);
