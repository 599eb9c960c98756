// Causes that a device on the network can repeat at will are logged once per
// device address and cause, not once per datagram or request.
#pragma once
#include <cstdint>

// True the first time for this address and cause. Remembers a bounded number
// of pairs; once that many are known, every further one counts as logged.
bool logonceClaim(uint32_t address, const char *cause);
void logonceReset();
