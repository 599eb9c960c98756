#include "rangetext.h"

#include <strings.h>

#include <cstdio>

const char *protocolName(int protocol) { return protocol == 1 ? "TCP" : "UDP"; }

int protocolOfName(const char *name) { return name && strcasecmp(name, "TCP") == 0 ? 1 : 2; }

void formatRange(char *out, size_t size, const char *single, const char *range, int protocol, uint16_t from,
                 uint16_t to) {
    if (from == to) std::snprintf(out, size, single, protocolName(protocol), (unsigned)from);
    else std::snprintf(out, size, range, protocolName(protocol), (unsigned)from, (unsigned)to);
}
