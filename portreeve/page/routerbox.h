// The router box of the UPnP page: the known gateways, each item carrying a
// heap copy of its device id (or "NONE" for the first item).
#pragma once
#include <windows.h>

constexpr const char *DEVICE_NONE = "NONE";

// Fills the combo box from the gateways known now (no new search) and
// selects the one whose id equals device exactly. Returns true when a
// gateway item is selected; otherwise the first item is.
bool routerBoxFill(HWND combo, const char *device);
// The device id of the selected item ("NONE" for the first); null if none.
const char *routerBoxSelection(HWND combo);
// True when a gateway item (not the first) is selected.
bool routerBoxHasDevice(HWND combo);
// Frees the item data and empties the box.
void routerBoxClear(HWND combo);
