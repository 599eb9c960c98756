// Plug-in manager: replacements left by an installation that could not
// replace a loaded plug-in file (section "rename" of extmod.ini).
#include <cstring>
#include <string>

#include "extmod_state.h"

namespace {

bool fileExists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Copies source over target. The old target is first moved to a temporary
// name in the plug-in directory and removed only once the copy worked; when
// the copy fails it is put back, so a failed replacement never loses the
// installed plug-in.
bool replaceFile(const char *source, const char *target) {
    char saved[MAX_PATH + 16] = "";
    if (fileExists(target)) {
        const char *dir = g_extmod.directory[0] ? g_extmod.directory : ".";
        UINT unique = GetTickCount();
        for (int attempt = 0; attempt < 100 && !saved[0]; ++attempt, ++unique) {
            if (unique == 0) unique = 1;
            if (GetTempFileNameA(dir, "zel", unique, saved) == 0) {
                saved[0] = '\0';
                break;
            }
            DeleteFileA(saved);
            if (!MoveFileA(target, saved)) saved[0] = '\0';
            if (!fileExists(target)) break;
        }
    }
    if (CopyFileA(source, target, FALSE)) {
        if (saved[0]) DeleteFileA(saved);
        DeleteFileA(source);
        return true;
    }
    if (saved[0]) {
        DeleteFileA(target);
        MoveFileA(saved, target);
    }
    return false;
}

}  // namespace

int extmodApplyReplacements(void) {
    static char section[16384];
    DWORD length = GetPrivateProfileSectionA(EXTMOD_RENAME_SECTION, section, sizeof section, g_extmod.iniPath);
    int replaced = 0;
    bool failed = false;
    for (const char *line = section; length > 0 && *line; line += std::strlen(line) + 1) {
        std::string text(line);
        std::size_t equals = text.find('=');
        std::string source = text.substr(0, equals);
        std::string target = equals == std::string::npos ? std::string() : text.substr(equals + 1);
        if (target.empty()) {
            DeleteFileA(source.c_str());
            continue;
        }
        // A line whose copy already happened (its source is gone) has nothing
        // left to do; copying again would only destroy the target.
        if (!fileExists(source.c_str())) continue;
        if (replaceFile(source.c_str(), target.c_str()))
            ++replaced;
        else
            failed = true;
    }
    if (!failed) DeleteFileA(g_extmod.iniPath);
    return replaced;
}
