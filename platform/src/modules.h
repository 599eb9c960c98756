// The module table: the program, libplatform itself and every library loaded
// with LoadLibraryA, each an object of the handle table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace platform {

struct ModuleInfo {
    std::string path;      // real absolute path of the ELF file
    uintptr_t loadBase = 0;  // link_map l_addr: load address minus link-time address
    void *dlHandle = nullptr;  // dlopen handle (the program's: dlopen(NULL))
};

// Path and load base of a module handle (NULL: the program). False for a
// handle that is not a module.
bool moduleInfo(HMODULE module, ModuleInfo *info);

}  // namespace platform
