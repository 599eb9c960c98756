// Share modes of CreateFileA, kept with open-file-description locks on bytes
// far past any file's data, so they hold between every handle of the layer,
// in this process and in others:
//   one byte per access (read, write) that some handle has, and
//   one byte per access (read, write, delete) that some handle refuses to share.
// A new handle checks the opposite bytes, then holds shared locks on its own.
#pragma once

#include <windows.h>

namespace platform {

// Checks that a handle with this access and share mode may open the file of
// fd, and records it on fd. False with ERROR_SHARING_VIOLATION on conflict.
bool shareAcquire(int fd, DWORD access, DWORD share);

// Does a handle that refuses delete sharing hold the file at path?
bool shareDeleteRefused(const char *path);

// Does a handle that refuses write sharing hold the file at path?
bool shareWriteRefused(const char *path);

}  // namespace platform
