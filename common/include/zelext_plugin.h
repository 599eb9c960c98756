/* Plug-in side of the host contract: reading the initialisation record and
 * remembering the module handles the host hands over through
 * zelextEnumModules, on which the host's exports are looked up. */
#ifndef COMMON_ZELEXT_PLUGIN_H
#define COMMON_ZELEXT_PLUGIN_H

#include "zelext.h"

/* What a plug-in takes from the host's ExtInitInfo record. */
typedef struct ZelextHostInfo {
    HMODULE resourceModule;
    HWND hostWindow;
    char logName[EXT_INIT_LOG_NAME_SIZE];
    char caption[EXT_INIT_CAPTION_SIZE];
    char configPath[EXT_INIT_CONFIG_PATH_SIZE];
} ZelextHostInfo;

/* Checks and copies an initialisation record: -2 for a null record or a size
 * other than 592, else 0. Character fields are copied up to their first NUL
 * and always come out terminated, even when the record's are not. */
int zelextReadInitInfo(const ExtInitInfo *info, ZelextHostInfo *out);

/* Fills a record the way the host does (used by the host and by tests). */
void zelextFillInitInfo(ExtInitInfo *info, HMODULE resourceModule, HWND hostWindow, const char *caption,
                        const char *configPath);

/* The module handles a plug-in received through zelextEnumModules: 16 slots;
 * a null or repeated handle adds nothing; further handles are ignored when all
 * slots are taken. Not locked: the host calls zelextEnumModules on its main
 * thread before it sends the start-up notification. */
typedef struct ZelextModuleTable {
    HMODULE modules[ZELEXT_MAX_MODULES];
} ZelextModuleTable;

void zelextModulesClear(ZelextModuleTable *table);
/* Always 0 (the result zelextEnumModules gives the host). */
int zelextModulesAdd(ZelextModuleTable *table, HMODULE module);
/* The export NAME of the remembered module at or after slot *cursor; advances
 * *cursor past it. Null when no further module exports it. Walk every module
 * that exports a host function with:
 *     int cursor = 0;
 *     while (FARPROC p = zelextModulesNextExport(&table, "zelextAddMenuItem", &cursor)) ... */
FARPROC zelextModulesNextExport(const ZelextModuleTable *table, const char *name, int *cursor);

#ifdef __cplusplus
/* Typed form: auto *fn = zelextModulesNext<PFN_zelextSetIcon>(&table, "zelextSetIcon", &cursor); */
template <typename Fn>
inline Fn zelextModulesNext(const ZelextModuleTable *table, const char *name, int *cursor) {
    return zelextProc<Fn>(zelextModulesNextExport(table, name, cursor));
}
#endif

#endif
