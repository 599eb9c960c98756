// errno to Win32 error codes.
#pragma once

#include <windows.h>

namespace platform {

DWORD errnoToError(int error);

// Sets the last error from errno (or the given value) and returns FALSE.
BOOL failWithErrno(int error);

}  // namespace platform
