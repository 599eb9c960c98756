// The resources of a loaded module: the program headers that
// dl_iterate_phdr reports for the module's load base lead to the note.
#include "modules.h"
#include "res_blob.h"

#include <link.h>

namespace platform {

namespace {

struct MemorySearch {
    uintptr_t base;
    bool moduleSeen = false;
    const uint8_t *desc = nullptr;
    size_t size = 0;
};

int searchModule(struct dl_phdr_info *info, size_t, void *arg) {
    auto *s = static_cast<MemorySearch *>(arg);
    if (info->dlpi_addr != s->base) return 0;
    s->moduleSeen = true;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_NOTE) continue;
        const uint8_t *region = reinterpret_cast<const uint8_t *>(info->dlpi_addr + ph.p_vaddr);
        size_t off, size;
        if (scanNotes(region, ph.p_memsz, ph.p_align, &off, &size)) {
            s->desc = region + off;
            s->size = size;
            return 1;
        }
    }
    return 1;
}

}  // namespace

bool moduleBlob(HMODULE module, ResBlob *blob, DWORD *error) {
    ModuleInfo info;
    if (!moduleInfo(module, &info)) {
        *error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (info.dataBlob) {
        if (!blob->attach(reinterpret_cast<const uint8_t *>(info.dataBlob->data()), info.dataBlobSize)) {
            *error = ERROR_RESOURCE_DATA_NOT_FOUND;
            return false;
        }
        return true;
    }
    MemorySearch s{info.loadBase};
    dl_iterate_phdr(searchModule, &s);
    if (s.desc == nullptr || !blob->attach(s.desc, s.size)) {
        *error = s.moduleSeen ? ERROR_RESOURCE_DATA_NOT_FOUND : ERROR_INVALID_HANDLE;
        return false;
    }
    return true;
}

}  // namespace platform
