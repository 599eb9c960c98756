// URLs of devices, parsed and resolved once with libcurl's URL parser, so
// the host that is checked is the host that is asked.
#pragma once
#include <cstdint>
#include <string>

struct UpnpUrl {
    std::string text;       // the absolute URL as the parser writes it back
    uint32_t address = 0;   // the host: an IPv4 address, network order
    uint16_t port = 0;      // host order; the scheme's default when none is written
};

// An absolute "http" URL whose host the parser reads as an IPv4 address (not
// bracketed, not a name), with
// no user name or password. 0, or -2 for anything else.
int upnpurlParse(const std::string &url, UpnpUrl *out);

// Resolves relative (or absolute) url against base as a browser would, then
// applies upnpurlParse to the result. 0, or -2.
int upnpurlResolve(const std::string &base, const std::string &url, UpnpUrl *out);

// An address a device may be reached at: not loopback, unspecified,
// link-local, multicast or broadcast.
bool upnpurlUsableAddress(uint32_t address);

// Dotted text of a network-order IPv4 address.
std::string upnpurlAddressText(uint32_t address);
