// The port editor ("Add Ports"): a From and a To port and the protocol.
#pragma once
#include <windows.h>

#include <cstdint>

struct PortEdit {
    uint16_t from;  // 0: empty box
    uint16_t to;
    int protocol;  // 1 TCP, 2 UDP
};

// Runs the editor modally over owner with the given values; on OK they are
// replaced by the user's. Returns IDOK or IDCANCEL (-1 if it cannot open).
INT_PTR portEditorRun(HWND owner, PortEdit *range);

// Whether two box texts make a range that can be confirmed: both numbers
// from 1 to 65535 and To not below From.
bool portEditorAcceptable(const char *fromText, const char *toText);
