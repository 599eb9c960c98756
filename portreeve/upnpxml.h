// Reading device description documents: element texts and service lookup.
#pragma once
#include <upnp/ixml.h>

#include <string>

// Heap copy (free with free) of the text of the document's first element with
// this tag name, or null when there is none.
char *upnpxmlFirstText(IXML_Document *doc, const char *tag);

struct UpnpxmlService {
    std::string serviceId;
    std::string controlUrl;   // absolute
    std::string eventSubUrl;  // absolute, empty when the service has none
};

// Finds the first service of this exact type in every "serviceList" of the
// document (root and embedded devices, in document order) and resolves its
// URLs against "URLBase", else against the location. 0 found; -5 not found or
// without a control URL; another negative value is the resolver's error code.
int upnpxmlFindService(IXML_Document *doc, const char *location, const char *serviceType,
                       UpnpxmlService *service);
