// The module table: the program, libplatform itself and every library loaded
// with LoadLibraryA, each an object of the handle table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct ModuleInfo {
    std::string path;      // real absolute path of the ELF file
    uintptr_t loadBase = 0;  // link_map l_addr: load address minus link-time address
    void *dlHandle = nullptr;  // dlopen handle (the program's: dlopen(NULL)); null for a data file
    // A module opened as a data file: its resource blob, read from the file.
    std::shared_ptr<const std::vector<uint32_t>> dataBlob;
    size_t dataBlobSize = 0;
};

// Path and load base of a module handle (NULL: the program). False for a
// handle that is not a module.
bool moduleInfo(HMODULE module, ModuleInfo *info);

}  // namespace platform
