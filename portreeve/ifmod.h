// ifmod: this PC's own IPv4 addresses, from the interfaces that are up and are
// not loopback, in interface order.
#pragma once
#include <cstdint>

int ifmodInit();
int ifmodShutdown();
// The n-th address (n from 1) as dotted text.
int ifmodGetAddress(int n, char *text, int size);
// Name of the interface that holds the IPv4 address (network order); works
// without ifmodInit. 0, -2 bad arguments, -5 no interface holds it, -3 the
// interfaces cannot be listed.
int ifmodFindInterface(uint32_t address, char *name, int size);
