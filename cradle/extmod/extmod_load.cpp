// Plug-in manager: choosing, loading and unloading plug-in files.
#include <cstdlib>
#include <cstring>

#include "extmod_state.h"
#include "verinfo.h"
#include "zelext_plugin.h"

namespace {

// What the manager reads from a plug-in file before loading it.
struct PluginFacts {
    bool hasName = false;
    bool hasSpecialBuild = false;
    int requiredVersion = 0;
    bool hasVersion = false;
    DWORD versionHigh = 0;
    DWORD versionLow = 0;
    char name[EXTMOD_NAME_SIZE] = "";
    char description[ZELEXT_STRING_SIZE] = "";
};

PluginFacts readFacts(const char *path) {
    PluginFacts facts;
    FileVersionInfo info;
    if (!info.load(path)) return facts;
    facts.hasName = info.string("InternalName", facts.name, sizeof facts.name) > 0;
    char special[ZELEXT_STRING_SIZE];
    facts.hasSpecialBuild = info.string("SpecialBuild", special, sizeof special) >= 0;
    if (facts.hasSpecialBuild) facts.requiredVersion = std::atoi(special);
    facts.hasVersion = info.productVersion(&facts.versionHigh, &facts.versionLow);
    if (info.string("Comments", facts.description, sizeof facts.description) < 0) facts.description[0] = '\0';
    return facts;
}

// A file that may take part in the choice between files of one name.
bool acceptable(const PluginFacts &facts) {
    return facts.hasName && facts.hasSpecialBuild && facts.requiredVersion <= g_extmod.hostVersion;
}

bool newer(const PluginFacts &a, const PluginFacts &b) {
    if (a.versionHigh != b.versionHigh) return a.versionHigh > b.versionHigh;
    return a.versionLow > b.versionLow;
}

void logNotValid(const ExtmodEntry &entry) { extmodLogf("Plug-in file %s is not a valid plug-in.", entry.path); }

void logCouldNotLoad(const ExtmodEntry &entry, const PluginFacts &facts) {
    if (!facts.description[0]) {
        logNotValid(entry);
        return;
    }
    extmodLogf("Plug-in %s could not be loaded. Check to ensure that all components are installed on your "
               "computer.",
               facts.description);
}

// Initialises a loaded plug-in: zelextInitEx with the host's record, or the
// legacy zelextInit with the configuration path. false when neither exists
// or the plug-in refuses.
bool initialise(HMODULE module) {
    if (auto initEx = extmodExport<PFN_zelextInitEx>(module, "zelextInitEx")) {
        ExtInitInfo info;
        zelextFillInitInfo(&info, g_extmod.brandingModule, g_extmod.hostWindow, g_extmod.caption,
                           g_extmod.configPath);
        return initEx(&info) == 0;
    }
    if (auto init = extmodExport<PFN_zelextInit>(module, "zelextInit")) return init(g_extmod.configPath) == 0;
    return false;
}

}  // namespace

void extmodReadIdentity(ExtmodEntry &entry) {
    PluginFacts facts = readFacts(entry.path);
    std::memcpy(entry.name, facts.name, sizeof entry.name);
    entry.versionHigh = facts.versionHigh;
    entry.versionLow = facts.versionLow;
}

// Each acceptable file stands down for a newer acceptable file of the same
// InternalName, and for an equally new one earlier in the table, so exactly
// one file of each name stays a candidate. Files that cannot take part stay
// candidates and are refused with a message when loaded.
void extmodChooseCandidates(int count) {
    static PluginFacts facts[EXTMOD_MAX_ENTRIES];
    for (int i = 0; i < count; ++i) {
        ExtmodEntry &entry = g_extmod.table[i];
        facts[i] = readFacts(entry.path);
        std::memcpy(entry.name, facts[i].name, sizeof entry.name);
        entry.versionHigh = facts[i].versionHigh;
        entry.versionLow = facts[i].versionLow;
        entry.candidate = 1;
    }
    for (int i = 0; i < count; ++i) {
        if (!acceptable(facts[i])) continue;
        for (int j = 0; j < count; ++j) {
            if (j == i || !acceptable(facts[j]) || std::strcmp(facts[i].name, facts[j].name) != 0) continue;
            if (newer(facts[j], facts[i]) || (!newer(facts[i], facts[j]) && j < i)) {
                g_extmod.table[i].candidate = 0;
                break;
            }
        }
    }
}

int extmodLoadEntry(ExtmodEntry &entry) {
    PluginFacts facts = readFacts(entry.path);
    if (!facts.hasName || !facts.hasSpecialBuild) {
        logNotValid(entry);
        return -2;
    }
    if (facts.requiredVersion > g_extmod.hostVersion) {
        if (facts.description[0])
            extmodLogf("Plug-in %s requires version %1.2f of the Skyloom Client.", facts.description,
                       facts.requiredVersion / 100.0);
        else
            logNotValid(entry);
        return -2;
    }
    HMODULE module = LoadLibraryA(entry.path);
    if (!module) {
        logCouldNotLoad(entry, facts);
        return -2;
    }
    if (!initialise(module)) {
        // A plug-in that failed its initialisation has released what it took.
        FreeLibrary(module);
        entry.module = nullptr;
        logCouldNotLoad(entry, facts);
        return -2;
    }
    entry.module = module;
    FileVersionInfo info;
    if (!info.load(entry.path) || !info.productVersion(&entry.versionHigh, &entry.versionLow)) {
        entry.versionHigh = 0;
        entry.versionLow = 0;
    }
    auto getDlgCount = extmodExport<PFN_zelextGetDlgCount>(module, "zelextGetDlgCount");
    int pages = getDlgCount ? getDlgCount() : 0;
    // Page numbers are sums of the counts: a negative count would shift the
    // pages of every plug-in after this one.
    entry.pageCount = pages > 0 ? pages : 0;
    return 0;
}

int extmodLoadModule(LPCSTR path) {
    if (!g_extmod.initialised) return extmodResult(-1);
    if (!path) return extmodResult(-2);
    ExtmodEntry *free = nullptr;
    for (ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module) {
            free = &entry;
            break;
        }
    }
    if (!free || std::strlen(path) >= sizeof free->path) return extmodResult(-2);
    *free = ExtmodEntry{};
    free->candidate = 1;
    std::strcpy(free->path, path);
    extmodReadIdentity(*free);
    if (free->name[0]) {
        for (const ExtmodEntry &other : g_extmod.table) {
            if (&other == free || !other.module || std::strcmp(other.name, free->name) != 0) continue;
            bool older = other.versionHigh < free->versionHigh ||
                         (other.versionHigh == free->versionHigh && other.versionLow < free->versionLow);
            if (older) {
                extmodUnloadModule(free->name);
                break;
            }
        }
    }
    return extmodResult(extmodLoadEntry(*free));
}

int extmodUnloadModule(LPCSTR name) {
    if (!g_extmod.initialised) return extmodResult(-1);
    if (!name) return extmodResult(-2);
    for (ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module || std::strcmp(entry.name, name) != 0) continue;
        auto shutdown = extmodExport<PFN_zelextShutdown>(entry.module, "zelextShutdown");
        if (!shutdown) return extmodResult(-2);
        shutdown();
        FreeLibrary(entry.module);
        entry.module = nullptr;
        return extmodResult(0);
    }
    return extmodResult(-2);
}
