// What the service editor's OK does with its fields: creates or updates the
// service in the service definitions and stores its port rows, telling the
// user about every range that is refused.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

struct PortRow {
    uint16_t from;
    uint16_t to;
    int protocol;  // 1 TCP, 2 UDP
};

struct ServiceFields {
    int serviceId;  // -1 for a new service; set to the new id once it exists
    char name[128];
    int enabled;
    std::vector<PortRow> rows;
};

// Stores the fields. Returns true when the editor may close: the service
// exists with every row. False when the name was refused (used by another
// service; nothing changed)
// or some range was refused (each with its message box over owner; the
// accepted ones are stored).
bool serviceCommit(HWND owner, ServiceFields *fields);
