// Paths of the host program, the branding module's names and the
// configuration switches.
#include "shell/startup.h"

#include "extmod/verinfo.h"
#include "shell/shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

void copyPath(char *out, const std::string &value) { std::snprintf(out, SHELL_PATH_MAX, "%s", value.c_str()); }

bool makeDirectories(const std::string &path) {
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            partial = path.substr(0, i);
            if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

// $NAME when set to an absolute path, else $HOME/fallback.
std::string xdgDirectory(const char *name, const char *fallback) {
    const char *v = getenv(name);
    if (v && v[0] == '/') return v;
    const char *home = getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/" + fallback;
}

}  // namespace

void shellDerivePaths(const char *programFile) {
    ShellPaths &p = shellState().paths;
    std::string dir;
    if (programFile && std::strrchr(programFile, '/')) {
        dir.assign(programFile, std::strrchr(programFile, '/') + 1);
    } else {
        char cwd[SHELL_PATH_MAX];
        dir = GetCurrentDirectoryA(sizeof cwd, cwd) ? std::string(cwd) + "/" : "./";
    }
    copyPath(p.programDir, dir);
    copyPath(p.branding, dir + "keystone.dll");
    copyPath(p.defaultHelp, dir + "cradle.hlp");
    std::string ext = (dir.size() < 2 || dir.back() == '/') ? dir + "ext" : dir + "/ext";
    p.sharedExtDir[0] = '\0';
    p.shippedDir[0] = '\0';

    if (access(dir.c_str(), W_OK) == 0) {
        copyPath(p.config, dir + "cradle.ini");
        copyPath(p.extDir, ext);
    } else {
        // An installed copy: the user's own settings, data and plug-ins live
        // in the XDG directories; the installed plug-ins are still loaded.
        std::string config = xdgDirectory("XDG_CONFIG_HOME", ".config") + "/cradle/";
        std::string data = xdgDirectory("XDG_DATA_HOME", ".local/share") + "/cradle/";
        makeDirectories(config);
        makeDirectories(data + "ext");
        copyPath(p.config, config + "cradle.ini");
        copyPath(p.extDir, data + "ext");
        copyPath(p.sharedExtDir, ext);
        copyPath(p.shippedDir, dir);
    }
    copyPath(p.help, p.defaultHelp);
}

bool shellReadBranding(const char *brandingPath) {
    ShellState &s = shellState();
    FileVersionInfo info;
    if (!info.load(brandingPath)) return false;
    if (info.string("InternalName", s.className, 64) < 0) return false;
    if (info.string("FileDescription", s.serviceName, 128) < 0) return false;
    if (info.string("Comments", s.title, 256) < 0) s.title[0] = '\0';
    return s.className[0] && s.serviceName[0];
}

void shellReadSwitches() {
    ShellState &s = shellState();
    const char *ini = s.paths.config;
    auto read = [ini](const char *section, const char *key, int def) {
        return static_cast<int>(GetPrivateProfileIntA(section, key, def, ini));
    };
    ShellSwitches &w = s.switches;
    w.passwordProperties = read("Expert", "PasswordProperties", 0);
    w.passwordConfigureTabs = read("Expert", "PasswordConfigureTabs", 0);
    w.notifyMinimize = read("Settings", "NotifyMinimize", 1);
    w.confirmClose = read("Settings", "ConfirmClose", 1);
    w.expertMode = read("Settings", "ExpertMode", 0);
    w.disablePopup = read("Settings", "DisablePopup", 0);
    w.disableTray = read("Settings", "DisableTray", 0);
    // The remote-control variant of the program always shows its icon.
    if (strcasecmp(s.className, "loomremote:main") == 0) w.disableTray = 0;
    w.closePassword = read("Settings", "ClosePassword", 0);
    w.showTips = read("Settings", "ShowTips", 1);
    w.language = read("Settings", "Language", 0);

    // [help] File replaces the file name of the help path; the directory stays.
    char file[SHELL_PATH_MAX];
    GetPrivateProfileStringA("help", "File", "", file, sizeof file, ini);
    const char *name = std::strrchr(file, '/') ? std::strrchr(file, '/') + 1 : file;  // a name, never a path
    if (name[0]) std::snprintf(s.paths.help, sizeof s.paths.help, "%s%s", s.paths.programDir, name);
    else std::snprintf(s.paths.help, sizeof s.paths.help, "%s", s.paths.defaultHelp);
}

void shellWriteInt(const char *section, const char *key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(section, key, text, shellState().paths.config);
}
