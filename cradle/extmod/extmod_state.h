// State of the plug-in manager shared by its source files.
#ifndef CRADLE_EXTMOD_STATE_H
#define CRADLE_EXTMOD_STATE_H

#include "extmod.h"

struct ExtmodEntry {
    char path[EXTMOD_PATH_SIZE];  // empty: no file found for this entry
    char name[EXTMOD_NAME_SIZE];
    DWORD versionHigh;
    DWORD versionLow;
    int candidate;
    HMODULE module;
    int pageCount;
    int image;
};

struct ExtmodState {
    bool initialised;
    int lastError;
    int hostVersion;
    HWND hostWindow;
    HMODULE brandingModule;
    char caption[128];
    char configPath[256];
    char directory[MAX_PATH];  // with a trailing "/", or empty
    char sharedDirectory[MAX_PATH];  // installed plug-ins read beside it: trailing "/", or empty
    char iniPath[MAX_PATH + 16];
    ExtmodEntry table[EXTMOD_MAX_ENTRIES];
};

extern ExtmodState g_extmod;

// Stores the result as the last error and returns it.
inline int extmodResult(int result) {
    g_extmod.lastError = result;
    return result;
}

// Logs a message of the manager (level 5, source "cradle").
void extmodLogf(const char *format, ...) __attribute__((format(printf, 1, 2)));
void extmodLogInfo(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Applies the replacements of extmod.ini; returns the number of files replaced.
int extmodApplyReplacements(void);

// Reads InternalName and product version of the entry's file into the entry.
void extmodReadIdentity(ExtmodEntry &entry);
// Checks, loads and initialises the entry's file, counting its pages; logs
// every refusal. 0 when the plug-in runs, -2 otherwise.
int extmodLoadEntry(ExtmodEntry &entry);
// Marks the entries that lose against a newer file of the same InternalName.
void extmodChooseCandidates(int count);

// zelextNotifyChange on one entry; *called tells whether it was exported.
int extmodNotifyEntry(const ExtmodEntry &entry, int code, int value, bool *called);

// Destroys the image list of the last module list filled.
void extmodReleaseModuleList(void);

// Owner of a page: the entry index and the page's local index; false if none.
bool extmodFindPage(int page, int *entry, int *local);

template <typename Fn>
Fn extmodExport(HMODULE module, const char *name) {
    return zelextProc<Fn>(GetProcAddress(module, name));
}

#endif
