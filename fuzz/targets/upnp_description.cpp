// Answers of gateways: description documents, SOAP answers and the URLs they
// carry. Any document parses or is refused with one of its results; a parsed
// one stays within the service limit; URLs that parse write back a text that
// parses to the same address and port.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "upnpdesc.h"
#include "upnplimits.h"
#include "upnpsoap.h"
#include "upnpurl.h"

namespace {
void checkUrl(const std::string& base, const std::string& url) {
  UpnpUrl parsed, again;
  if (upnpurlResolve(base, url, &parsed) != 0) return;
  if (upnpurlParse(parsed.text, &again) != 0 || again.address != parsed.address || again.port != parsed.port ||
      again.text != parsed.text)
    std::abort();
  upnpurlUsableAddress(parsed.address);
  upnpurlAddressText(parsed.address);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  UpnpDescription desc;
  int rc = upnpdescParse(text, size, &desc);
  if (rc != UPNPDESC_OK && rc != UPNPDESC_MALFORMED && rc != UPNPDESC_TOO_LARGE && rc != UPNPDESC_TOO_DEEP &&
      rc != UPNPDESC_TOO_LONG)
    std::abort();
  upnpdescReason(rc);
  if (rc == UPNPDESC_OK) {
    if (desc.services.size() > static_cast<size_t>(UPNP_DESCRIPTION_MAX_SERVICES)) std::abort();
    std::string base = desc.urlBase.value_or("http://192.168.1.1:5000/rootDesc.xml");
    for (const UpnpdescService& s : desc.services) {
      checkUrl(base, s.controlUrl);
      checkUrl(base, s.eventSubUrl);
    }
  }
  for (const char* type : {"urn:schemas-upnp-org:service:WANIPConnection:1",
                           "urn:schemas-upnp-org:service:WANPPPConnection:1"})
    upnpsoapAnswerResult(text, size, "AddPortMapping", type);
  if (size < 2048) checkUrl("http://10.0.0.1:80/a/b", std::string(text, size));
  return 0;
}
