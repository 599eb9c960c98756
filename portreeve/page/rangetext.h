// The user's words for a port range: "TCP port 80" when both ends are equal,
// "TCP ports 80 - 90" otherwise, inside the page's messages.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr const char *PAGE_TITLE = "upnp";  // caption of the page's message boxes

const char *protocolName(int protocol);  // "TCP" for 1, "UDP" otherwise
// Protocol number of a Type column text: 1 for "TCP" (any case), else 2.
int protocolOfName(const char *name);

// Formats single (one "%s" and one "%u") or range (one "%s" and two "%u").
void formatRange(char *out, size_t size, const char *single, const char *range, int protocol, uint16_t from,
                 uint16_t to);
