// Win32 attributes and times of a file from stat data.
#pragma once

#include <windows.h>

#include <sys/stat.h>

#include <string>

namespace platform {

// Attributes of an existing file; hidden as given (see hidden.h).
DWORD attributesOf(const struct stat &st, bool hidden);

// Fills the attribute, time and size fields of a WIN32_FILE_ATTRIBUTE_DATA-like record.
void fillFileData(const struct stat &st, bool hidden, DWORD *attributes, FILETIME *created, FILETIME *accessed,
                  FILETIME *written, DWORD *sizeHigh, DWORD *sizeLow);

}  // namespace platform
