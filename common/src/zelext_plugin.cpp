// Plug-in side helpers of the host contract.
#include "zelext_plugin.h"

#include <cstring>

namespace {

// Copies a fixed-size character field that may lack its NUL.
void copyField(char *out, std::size_t outSize, const char *field, std::size_t fieldSize) {
    std::size_t n = strnlen(field, fieldSize);
    if (n >= outSize) n = outSize - 1;
    std::memcpy(out, field, n);
    out[n] = '\0';
}

void putField(char *field, std::size_t fieldSize, const char *text) {
    std::memset(field, 0, fieldSize);
    if (text) std::memcpy(field, text, strnlen(text, fieldSize - 1));
}

}  // namespace

int zelextReadInitInfo(const ExtInitInfo *info, ZelextHostInfo *out) {
    if (!info || !out || info->size != EXT_INIT_INFO_SIZE) return -2;
    out->resourceModule = ULongToHandle<HMODULE>(info->resourceModule);
    out->hostWindow = ULongToHandle<HWND>(info->hostWindow);
    copyField(out->logName, sizeof out->logName, info->logName, sizeof info->logName);
    copyField(out->caption, sizeof out->caption, info->caption, sizeof info->caption);
    copyField(out->configPath, sizeof out->configPath, info->configPath, sizeof info->configPath);
    return 0;
}

void zelextFillInitInfo(ExtInitInfo *info, HMODULE resourceModule, HWND hostWindow, const char *caption,
                        const char *configPath) {
    std::memset(info, 0, sizeof *info);
    info->size = EXT_INIT_INFO_SIZE;
    info->resourceModule = HandleToULong(resourceModule);
    info->hostWindow = HandleToULong(hostWindow);
    putField(info->logName, sizeof info->logName, caption);
    putField(info->caption, sizeof info->caption, caption);
    putField(info->configPath, sizeof info->configPath, configPath);
}

void zelextModulesClear(ZelextModuleTable *table) {
    if (table) std::memset(table->modules, 0, sizeof table->modules);
}

int zelextModulesAdd(ZelextModuleTable *table, HMODULE module) {
    if (!table || !module) return 0;
    for (HMODULE &slot : table->modules) {
        if (slot == module) return 0;
        if (!slot) {
            slot = module;
            return 0;
        }
    }
    return 0;
}

FARPROC zelextModulesNextExport(const ZelextModuleTable *table, const char *name, int *cursor) {
    if (!table || !name || !cursor) return nullptr;
    for (; *cursor >= 0 && *cursor < ZELEXT_MAX_MODULES; ++*cursor) {
        HMODULE module = table->modules[*cursor];
        if (!module) continue;
        if (FARPROC proc = GetProcAddress(module, name)) {
            ++*cursor;
            return proc;
        }
    }
    return nullptr;
}
