// Device URLs on libcurl's URL parser.
#include "upnpurl.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <strings.h>

#include <cstdlib>

namespace {

// A part of the parsed URL; empty when it is absent.
std::string part(CURLU *url, CURLUPart which, unsigned flags = 0) {
    char *text = nullptr;
    std::string result;
    if (curl_url_get(url, which, &text, flags) == CURLUE_OK && text) result = text;
    curl_free(text);
    return result;
}

bool hasPart(CURLU *url, CURLUPart which) {
    char *text = nullptr;
    bool present = curl_url_get(url, which, &text, 0) == CURLUE_OK && text;
    curl_free(text);
    return present;
}

int check(CURLU *url, UpnpUrl *out) {
    if (strcasecmp(part(url, CURLUPART_SCHEME).c_str(), "http") != 0) return -2;
    if (hasPart(url, CURLUPART_USER) || hasPart(url, CURLUPART_PASSWORD)) return -2;
    // Only the plain dotted form: a bracketed, mapped or otherwise spelled
    // address, or a name, is not the device's address.
    std::string host = part(url, CURLUPART_HOST);
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1 || upnpurlAddressText(address.s_addr) != host) return -2;
    std::string port = part(url, CURLUPART_PORT, CURLU_DEFAULT_PORT);
    char *end = nullptr;
    long number = std::strtol(port.c_str(), &end, 10);
    if (port.empty() || *end || number < 1 || number > 65535) return -2;
    std::string text = part(url, CURLUPART_URL);
    if (text.empty()) return -2;
    out->text = text;
    out->address = address.s_addr;
    out->port = (uint16_t)number;
    return 0;
}

int parseInto(CURLU *url, const std::string &text) {
    return text.empty() || curl_url_set(url, CURLUPART_URL, text.c_str(), 0) != CURLUE_OK ? -2 : 0;
}

}  // namespace

int upnpurlParse(const std::string &text, UpnpUrl *out) {
    CURLU *url = curl_url();
    if (!url) return -2;
    int rc = parseInto(url, text);
    if (rc == 0) rc = check(url, out);
    curl_url_cleanup(url);
    return rc;
}

int upnpurlResolve(const std::string &base, const std::string &text, UpnpUrl *out) {
    CURLU *url = curl_url();
    if (!url) return -2;
    int rc = parseInto(url, base);
    if (rc == 0) rc = parseInto(url, text);  // relative to what is set
    if (rc == 0) rc = check(url, out);
    curl_url_cleanup(url);
    return rc;
}

bool upnpurlUsableAddress(uint32_t address) {
    uint32_t a = ntohl(address);
    return (a >> 24) != 0 && (a >> 24) != 127 && (a >> 16) != 0xA9FE && (a >> 28) < 0xE;
}

std::string upnpurlAddressText(uint32_t address) {
    in_addr in{};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &in, text, sizeof text);
    return text;
}
