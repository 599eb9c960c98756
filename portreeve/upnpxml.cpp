// Element lookups in description documents with libupnp's XML functions.
#include "upnpxml.h"

#include <upnp/upnp.h>
#include <upnp/upnptools.h>

#include <cstdlib>
#include <cstring>

namespace {

// Text of the first element's first child; null when absent.
const char *firstText(IXML_NodeList *nodes) {
    if (!nodes || ixmlNodeList_length(nodes) == 0) return nullptr;
    IXML_Node *element = ixmlNodeList_item(nodes, 0);
    IXML_Node *child = element ? ixmlNode_getFirstChild(element) : nullptr;
    return child ? ixmlNode_getNodeValue(child) : nullptr;
}

std::string elementText(IXML_Element *element, const char *tag) {
    IXML_NodeList *nodes = ixmlElement_getElementsByTagName(element, tag);
    const char *text = firstText(nodes);
    std::string result = text ? text : "";
    if (nodes) ixmlNodeList_free(nodes);
    return result;
}

// Resolves a URL of the description against the base; 0 or the error code.
int resolve(const std::string &base, const std::string &relative, std::string *absolute) {
    char *resolved = nullptr;
    int rc = UpnpResolveURL2(base.c_str(), relative.c_str(), &resolved);
    if (rc == UPNP_E_SUCCESS && resolved) *absolute = resolved;
    std::free(resolved);
    return rc == UPNP_E_SUCCESS ? 0 : (rc < 0 ? rc : -rc);
}

}  // namespace

char *upnpxmlFirstText(IXML_Document *doc, const char *tag) {
    if (!doc || !tag) return nullptr;
    IXML_NodeList *nodes = ixmlDocument_getElementsByTagName(doc, tag);
    const char *text = firstText(nodes);
    char *copy = text ? strdup(text) : nullptr;
    if (nodes) ixmlNodeList_free(nodes);
    return copy;
}

int upnpxmlFindService(IXML_Document *doc, const char *location, const char *serviceType,
                       UpnpxmlService *service) {
    if (!doc || !location || !serviceType || !service) return -5;
    char *urlBase = upnpxmlFirstText(doc, "URLBase");
    std::string base = urlBase ? urlBase : location;
    std::free(urlBase);

    int result = -5;
    bool found = false;
    IXML_NodeList *lists = ixmlDocument_getElementsByTagName(doc, "serviceList");
    unsigned long listCount = lists ? ixmlNodeList_length(lists) : 0;
    for (unsigned long l = 0; l < listCount && !found; ++l) {
        auto *serviceList = reinterpret_cast<IXML_Element *>(ixmlNodeList_item(lists, l));
        IXML_NodeList *services = ixmlElement_getElementsByTagName(serviceList, "service");
        unsigned long count = services ? ixmlNodeList_length(services) : 0;
        for (unsigned long s = 0; s < count; ++s) {
            auto *element = reinterpret_cast<IXML_Element *>(ixmlNodeList_item(services, s));
            if (elementText(element, "serviceType") != serviceType) continue;
            found = true;
            service->serviceId = elementText(element, "serviceId");
            std::string control = elementText(element, "controlURL");
            std::string events = elementText(element, "eventSubURL");
            service->controlUrl.clear();
            service->eventSubUrl.clear();
            if (control.empty()) break;  // found, but nothing to send actions to
            result = resolve(base, control, &service->controlUrl);
            if (result == 0 && !events.empty()) resolve(base, events, &service->eventSubUrl);
            break;
        }
        if (services) ixmlNodeList_free(services);
    }
    if (lists) ixmlNodeList_free(lists);
    return result;
}
