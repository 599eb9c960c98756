// Installation of a plug-in file into the plug-in directory of the running
// manager.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "extmod_install.h"
#include "extmod_state.h"
#include "verinfo.h"

namespace {

bool fileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool readable(const char *path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD attributes = GetFileAttributesA(path);
    CloseHandle(file);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The name becomes part of file names in the plug-in and program
// directories: it must stay a plain file name there.
bool usableName(const char *name) {
    return name[0] && std::strpbrk(name, "/\\") == nullptr && std::strcmp(name, ".") != 0 &&
           std::strcmp(name, "..") != 0;
}

std::string fileNameOf(const std::string &path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The program directory is the plug-in directory's parent.
std::string helpPathFor(const char *name) {
    std::string dir = g_extmod.directory;
    while (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    std::size_t slash = dir.find_last_of("/\\");
    std::string parent = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    return parent + name + ".hlp";
}

ExtmodEntry *loadedEntry(const char *name) {
    for (ExtmodEntry &entry : g_extmod.table)
        if (entry.module && entry.name[0] && std::strcmp(entry.name, name) == 0) return &entry;
    return nullptr;
}

// Shuts every plug-in down and starts the manager again as it was first
// started, so that all plug-ins meet each other again.
void reloadAll() {
    if (g_extmod.initialised) {
        int result = extmodShutdown();
        if (result != 0) extmodLogf("extmodShutdown() failed with error code %d", result);
    }
    ExtmodState first = g_extmod;
    int result = extmodInit(first.directory[0] ? first.directory : nullptr, first.hostWindow, first.brandingModule,
                            first.caption, first.configPath, first.hostVersion);
    if (result != 0) extmodLogf("extmodInit() failed with error code %d", result);
}

// Moves the installed file of a loaded plug-in out of the way, copies the new
// file to its path and reports whether the new file can run now. The old file
// stays in use while its library is loaded: the loader knows libraries by
// path, so a new file at the same path could not be loaded beside it. The old
// file comes back when the copy fails, so the plug-in is never lost.
struct Replacement {
    bool copied = false;  // the new file is at the installed path
    bool inUse = false;   // the old file is still loaded (or could not be removed)
};

Replacement replaceInstalled(const char *source, const std::string &installed) {
    Replacement r;
    r.inUse = GetModuleHandleA(installed.c_str()) != nullptr;
    const char *dir = g_extmod.directory[0] ? g_extmod.directory : ".";
    char temp[MAX_PATH + 16] = "";
    bool moved = false;
    UINT unique = GetTickCount();
    for (int attempt = 0; attempt < 16 && !moved; ++attempt, ++unique) {
        if ((unique & 0xFFFF) == 0) ++unique;
        if (GetTempFileNameA(dir, "zel", unique, temp) == 0) break;
        DeleteFileA(temp);
        moved = MoveFileA(installed.c_str(), temp);
        // A name taken by a file we may not remove: try the next number.
        if (!moved && fileExists(temp) && fileExists(installed)) continue;
        break;
    }
    if (!moved) {
        // Still in its place and maybe held open: never write over it.
        r.inUse = true;
        return r;
    }
    r.copied = CopyFileA(source, installed.c_str(), FALSE);
    if (!r.copied) {
        MoveFileA(temp, installed.c_str());
        return r;
    }
    if (!DeleteFileA(temp)) r.inUse = true;
    return r;
}

}  // namespace

int extmodInstallModule(LPCSTR path, LPSTR name, int hostVersion, BOOL unloadFirst) {
    if (name) name[0] = '\0';
    if (!g_extmod.initialised) return extmodResult(-1);
    if (!path) return extmodResult(-2);
    if (!readable(path)) return extmodResult(-7);

    FileVersionInfo info;
    char internalName[512] = "";
    if (!info.load(path) || info.string("InternalName", internalName, sizeof internalName) <= 0)
        return extmodResult(-3);
    if (name) std::snprintf(name, EXTMOD_INSTALL_NAME_SIZE, "%s", internalName);
    if (!usableName(internalName)) return extmodResult(-3);
    char special[ZELEXT_STRING_SIZE];
    if (info.string("SpecialBuild", special, sizeof special) < 0 || std::atoi(special) > hostVersion)
        return extmodResult(-8);
    std::string help = helpPathFor(internalName);

    // A trial load: the file must be a library with the plug-in's entry.
    HMODULE trial = LoadLibraryA(path);
    if (!trial) return extmodResult(-3);
    bool hasPages = GetProcAddress(trial, "zelextGetDlgCount") != nullptr;
    FreeLibrary(trial);
    if (!hasPages) return extmodResult(-3);

    std::string target;
    if (ExtmodEntry *loaded = loadedEntry(internalName)) {
        if (loaded->versionHigh == 0 && loaded->versionLow == 0) return extmodResult(-3);
        std::string installed = loaded->path;
        if (unloadFirst && extmodUnloadModule(internalName) != 0) {
            int result = extmodShutdown();
            if (result != 0) extmodLogf("extmodShutdown() failed with error code %d", result);
        }
        Replacement r = replaceInstalled(path, installed);
        if (!r.copied || r.inUse) {
            // The new file waits beside the old one; the next start puts it
            // in place before any plug-in is loaded.
            std::string pending = g_extmod.directory + fileNameOf(path);
            bool waiting = r.copied;
            if (pending != installed && GetModuleHandleA(pending.c_str()) == nullptr &&
                CopyFileA(path, pending.c_str(), FALSE)) {
                waiting = WritePrivateProfileStringA(EXTMOD_RENAME_SECTION, pending.c_str(), installed.c_str(),
                                                     g_extmod.iniPath) != FALSE || waiting;
                extmodWriteHelpFile(pending.c_str(), help.c_str());
            } else if (r.copied) {
                extmodWriteHelpFile(path, help.c_str());
            }
            // Nothing was put anywhere: the installation did not happen.
            return extmodResult(waiting ? -4 : -3);
        }
        target = installed;
    } else {
        target = std::string(g_extmod.directory) + internalName + ".dll";
        if (!CopyFileA(path, target.c_str(), TRUE)) {
            std::string file = fileNameOf(path);
            std::size_t dot = file.rfind('.');
            if (dot != std::string::npos) file.erase(dot);
            target = std::string(g_extmod.directory) + file + ".dll";
            if (!CopyFileA(path, target.c_str(), TRUE)) return extmodResult(-3);
        }
    }
    extmodWriteHelpFile(path, help.c_str());
    DeleteFileA(path);
    if (extmodLoadModule(target.c_str()) != 0) reloadAll();
    return extmodResult(0);
}
