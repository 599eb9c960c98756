// Watches the kernel's link and address changes (netlink) on a thread of its
// own and sets an event at each, so the worker can retry a stack that could
// not start, or notice that its address went away.
#pragma once
#include <windows.h>

#include <cstdint>

// Starts the watcher; false when netlink cannot be opened (the worker then
// relies on its periodic retry alone).
bool netwatchStart(HANDLE changed);
void netwatchStop();
// True while an interface that is up holds the address (network order).
bool netwatchHasAddress(uint32_t address);
// True when an interface (this one, or any when null) is ready for the UPnP
// stack: up, running, multicast, not loopback, with an IPv4 address.
bool netwatchInterfaceReady(const char *interfaceName);
