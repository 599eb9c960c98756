// Tips of the day: loading the tip files and remembering the position.
#include "settings/tipsmod_state.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <strings.h>

TipsState &tipsState() {
    static TipsState state;
    return state;
}

namespace {

std::string directoryOf(const std::string &path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// One line in pieces of at most TIPSMOD_PIECE_MAX characters; empty lines
// give nothing.
void addLine(std::vector<std::string> &tips, const std::string &line) {
    for (size_t at = 0; at < line.size() && tips.size() < TIPSMOD_MAX_TIPS; at += TIPSMOD_PIECE_MAX)
        tips.push_back(line.substr(at, TIPSMOD_PIECE_MAX));
}

// The non-empty lines of one file; an unreadable file adds nothing.
void loadFile(std::vector<std::string> &tips, const std::string &path) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return;
    std::string line;
    int c;
    while (tips.size() < TIPSMOD_MAX_TIPS && (c = std::fgetc(f)) != EOF) {
        if (c == '\r' || c == '\n') {
            addLine(tips, line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    addLine(tips, line);
    std::fclose(f);
}

// Every "*.tip" file of the directory, in listing order, except those named
// in skip; the names read are added to seen when it is given.
void loadTips(std::vector<std::string> &tips, const std::string &dir, const std::vector<std::string> &skip,
              std::vector<std::string> *seen) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "*.tip").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        bool replaced = false;
        for (const std::string &name : skip) replaced = replaced || strcasecmp(name.c_str(), fd.cFileName) == 0;
        if (replaced) continue;
        if (seen) seen->push_back(fd.cFileName);
        loadFile(tips, dir + fd.cFileName);
    } while (tips.size() < TIPSMOD_MAX_TIPS && FindNextFileA(find, &fd));
    FindClose(find);
}

bool sameDirectory(const std::string &a, const std::string &b) {
    if (a == b) return true;
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

int tipsmodInit(HMODULE module, HWND owner, LPCSTR configPath) {
    TipsState &s = tipsState();
    if (s.initialised) return -1;
    if (!module || !configPath || !*configPath || std::strlen(configPath) > TIPSMOD_PATH_MAX || !IsWindow(owner))
        return -2;
    s.configPath = configPath;
    s.owner = owner;
    s.module = module;
    s.showFlag = static_cast<int>(GetPrivateProfileIntA("Tips", "ShowTips", 1, configPath));
    s.position = static_cast<int>(GetPrivateProfileIntA("Tips", "Last", 0, configPath));
    s.tips.clear();
    // The user's own tips first; then the shared ones the user has no file of.
    std::string own = directoryOf(s.configPath);
    std::vector<std::string> names;
    loadTips(s.tips, own, {}, &names);
    if (!s.sharedDir.empty() && !sameDirectory(own.empty() ? "./" : own, s.sharedDir))
        loadTips(s.tips, s.sharedDir, names, nullptr);
    if (s.position < 0 || s.position >= static_cast<int>(s.tips.size())) s.position = 0;
    s.initialised = true;
    return 0;
}

int tipsmodSetSharedDirectory(LPCSTR directory) {
    std::string &dir = tipsState().sharedDir;
    dir = directory ? directory : "";
    if (dir.size() > TIPSMOD_PATH_MAX) {
        dir.clear();
        return -2;
    }
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return 0;
}

int tipsmodShowTips(void) {
    TipsState &s = tipsState();
    if (!s.initialised) return -1;
    if (s.showFlag != 1) return 0;
    tipsRunDialog();
    char value[16];
    std::snprintf(value, sizeof value, "%d", s.position);
    WritePrivateProfileStringA("Tips", "Last", value, s.configPath.c_str());
    std::snprintf(value, sizeof value, "%d", s.showFlag);
    WritePrivateProfileStringA("Tips", "ShowTips", value, s.configPath.c_str());
    return 0;
}

int tipsmodShutdown(void) {
    TipsState &s = tipsState();
    if (!s.initialised) return -1;
    s.tips.clear();
    s.tips.shrink_to_fit();
    s.initialised = false;
    return 0;
}

int tipsmodGetCount(void) { return static_cast<int>(tipsState().tips.size()); }

LPCSTR tipsmodGetTip(int index) {
    const TipsState &s = tipsState();
    if (index < 0 || index >= static_cast<int>(s.tips.size())) return nullptr;
    return s.tips[static_cast<size_t>(index)].c_str();
}

int tipsmodGetPosition(void) { return tipsState().position; }
int tipsmodGetShowFlag(void) { return tipsState().showFlag; }
