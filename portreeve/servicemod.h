// servicemod: the user's services (named sets of TCP/UDP port ranges with an
// enabled flag), kept in one section of the host's configuration file.
#pragma once
#include <cstdint>

// Protocol numbers used throughout the plug-in.
constexpr int32_t PROTO_TCP = 1;
constexpr int32_t PROTO_UDP = 2;

// One inclusive port range of a service (from <= to).
struct PortRange {
    uint16_t from;
    uint16_t to;
    int32_t protocol;
};

int servicemodInit(const char *configPath, const char *section);
int servicemodShutdown();
int servicemodReload();
int servicemodSave();
int servicemodAddService(const char *name, int enabled);
int servicemodRemoveService(int serviceId);
int servicemodEnumServices(int position, char *name, int nameSize);
int servicemodGetServiceName(int serviceId, char *name, int nameSize);
int servicemodSetServiceName(int serviceId, const char *name);
int servicemodGetServiceEnable(int serviceId);
int servicemodSetServiceEnable(int serviceId, int enabled);
int servicemodGetPortRange(int serviceId, int position, PortRange *range);
int servicemodAddPortRange(int serviceId, const PortRange *range);
int servicemodClearPortRanges(int serviceId);
