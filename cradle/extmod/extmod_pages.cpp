// Plug-in manager: the settings pages of the loaded plug-ins.
#include <cstring>

#include "extmod_state.h"
#include "verinfo.h"

bool extmodFindPage(int page, int *entryIndex, int *local) {
    if (page < 0 || page >= ZELEXT_MAX_PAGES) return false;
    int first = 0;
    for (int i = 0; i < EXTMOD_MAX_ENTRIES; ++i) {
        const ExtmodEntry &entry = g_extmod.table[i];
        if (!entry.module) continue;
        if (page < first + entry.pageCount) {
            *entryIndex = i;
            *local = page - first;
            return true;
        }
        first += entry.pageCount;
    }
    return false;
}

HMODULE extmodGetPageModule(int page) {
    if (!g_extmod.initialised) {
        extmodResult(-1);
        return nullptr;
    }
    int index = 0, local = 0;
    if (!extmodFindPage(page, &index, &local)) {
        extmodResult(-2);
        return nullptr;
    }
    extmodResult(0);
    return g_extmod.table[index].module;
}

int extmodGetPageString(int page, LPCSTR item, LPSTR buffer, int size) {
    if (!g_extmod.initialised) return extmodResult(-1);
    int index = 0, local = 0;
    if (!item || !buffer || size <= 0 || !extmodFindPage(page, &index, &local)) return extmodResult(-2);
    return extmodResult(verinfoFileString(g_extmod.table[index].path, item, buffer, size));
}

int extmodFindFirstPage(LPCSTR name) {
    if (!g_extmod.initialised) return extmodResult(-1);
    if (!name) return extmodResult(-2);
    int first = 0;
    for (const ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module) continue;
        if (std::strcmp(entry.name, name) == 0) {
            if (entry.pageCount == 0 || first >= ZELEXT_MAX_PAGES) return extmodResult(-2);
            return extmodResult(first);
        }
        first += entry.pageCount;
    }
    return extmodResult(-2);
}
