// Choice of the local address a gateway forwards to: the address of this PC
// that shares the longest leading bit string with the gateway's address.
#pragma once
#include <cstdint>
#include <vector>

// Leading bits two host-order addresses share, 0 to 32.
int sharedLeadingBits(uint32_t a, uint32_t b);
// Index into candidates (host order) of the best match for the device address
// (host order); the earlier one on equal counts; -1 when none shares a bit.
int bestLocalAddress(uint32_t device, const std::vector<uint32_t> &candidates);
// The local address (network order) for a device's address text, from the
// addresses ifmod lists; 0 (0.0.0.0) when none fits.
uint32_t chooseLocalAddress(const char *deviceAddress);
