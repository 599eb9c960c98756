// Objects that ReadFile and WriteFile work on: files and mailslots.
#pragma once

#include "handles.h"

namespace platform {

class IoObject : public PlatformObject {
public:
    using PlatformObject::PlatformObject;
    // Set the last error and return false on failure.
    virtual bool read(void *buffer, DWORD size, DWORD *done) = 0;
    virtual bool write(const void *buffer, DWORD size, DWORD *done) = 0;
};

// True for "//./mailslot/NAME" (either slash); sets *name to NAME.
bool isMailslotPath(const char *path, std::string *name);

// A writer's handle on the mailslot NAME (CreateFileA); null with the last
// error set when no reader has created it.
HANDLE openMailslotWriter(const std::string &name);

}  // namespace platform
