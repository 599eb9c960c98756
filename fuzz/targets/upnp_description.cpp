// Device description documents of gateways: any document is parsed and
// searched for its services and texts without fault, and a service found has
// a control address.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "upnpxml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  IXML_Document* doc = nullptr;
  if (ixmlParseBufferEx(text.c_str(), &doc) != IXML_SUCCESS || !doc) return 0;
  for (const char* tag : {"friendlyName", "manufacturer", "deviceType", "URLBase"}) {
    char* value = upnpxmlFirstText(doc, tag);
    std::free(value);
  }
  for (const char* type : {"urn:schemas-upnp-org:service:WANIPConnection:1",
                           "urn:schemas-upnp-org:service:WANPPPConnection:1"}) {
    for (const char* location : {"http://192.168.1.1:5000/rootDesc.xml", "http://[fe80::1]/d/", ""}) {
      UpnpxmlService service;
      if (upnpxmlFindService(doc, location, type, &service) == 0 && service.controlUrl.empty()) std::abort();
    }
  }
  ixmlDocument_free(doc);
  return 0;
}
