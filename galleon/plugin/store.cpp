#include "store.h"

#include "config.h"
#include "dirs.h"
#include "listmod.h"
#include "photolog.h"
#include "pwdmod.h"
#include "thumb.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

// Keys of section "photo" that are settings, not collection types.
const char* const kSettingKeys[] = {"Port",          "Enable",     "Timeout",  "MaxImageX",
                                    "MaxImageY",     "MixedListType", "AccessLogging", "AutoReject",
                                    "WideConfig",    "Hostname",   "ListenAddress", "host-access-policy"};

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool isDir(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Visits the visible entries of a directory.
template <class F>
void forEachVisible(const std::string& dir, F&& f) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "/*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, "..")) continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
        f(fd);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

int collect(const std::string& dir, int list) {
    int added = 0;
    forEachVisible(dir, [&](const WIN32_FIND_DATAA& fd) {
        std::string path = dir + "/" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            int n = collect(path, list);
            if (n > 0) added += n;
            return;
        }
        char record[MAX_PATH] = {};
        std::snprintf(record, sizeof record, "%s", path.c_str());
        if (listAddItem(list, record, sizeof record) >= 0) ++added;
    });
    return added;
}

std::string joinName(const char* dir, const char* name) {
    std::string s = dir;
    if (s.empty() || s.back() != '/') s += '/';
    return s + name;
}

}  // namespace

int storeIsValidName(const char* name) {
    if (!name || !*name) return 0;
    size_t len = std::strlen(name);
    if (len > static_cast<size_t>(STORE_NAME_MAX)) return 0;
    if (name[0] == '.') return 0;  // ".", ".." and hidden names
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return 0;
    }
    if (strcasecmp(name, STORE_RECYCLE_BIN) == 0) return 0;
    for (const char* key : kSettingKeys)
        if (strcasecmp(name, key) == 0) return 0;
    return 1;
}

int storeTypeCode(const char* text) {
    if (text && strcasecmp(text, "Photo") == 0) return STORE_TYPE_PHOTO;
    if (text && strcasecmp(text, "File") == 0) return STORE_TYPE_FILE;
    return STORE_TYPE_MIXED;
}

const char* storeTypeText(int code) {
    switch (code) {
        case STORE_TYPE_PHOTO: return "Photo";
        case STORE_TYPE_FILE: return "File";
        default: return "Mixed";
    }
}

int storeCountFiles(const char* dir) {
    if (!dir) return STORE_ERR_ARG;
    int count = 0;
    forEachVisible(dir, [&](const WIN32_FIND_DATAA& fd) {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) count += storeCountFiles((std::string(dir) + "/" + fd.cFileName).c_str());
        else ++count;
    });
    return count;
}

int storeEnumCollections(const char* collectionsDir, const char* configPath, std::vector<StoreCollection>* out) {
    if (!collectionsDir || !out) return STORE_ERR_ARG;
    out->clear();
    if (!isDir(collectionsDir)) return STORE_ERR_NOT_FOUND;
    forEachVisible(collectionsDir, [&](const WIN32_FIND_DATAA& fd) {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
        StoreCollection c;
        c.name = fd.cFileName;
        c.fileCount = storeCountFiles(joinName(collectionsDir, fd.cFileName).c_str());
        char type[32] = "";
        if (configPath) GetPrivateProfileStringA(CONFIG_SECTION, fd.cFileName, "", type, sizeof type, configPath);
        c.type = storeTypeCode(type);
        out->push_back(std::move(c));
    });
    std::sort(out->begin(), out->end(),
              [](const StoreCollection& a, const StoreCollection& b) { return strcasecmp(a.name.c_str(), b.name.c_str()) < 0; });
    return static_cast<int>(out->size());
}

int storeCollectContents(const char* collectionsDir, const char* name, int list) {
    if (!collectionsDir || !name || !storeIsValidName(name)) return STORE_ERR_ARG;
    std::string dir = joinName(collectionsDir, name);
    if (!isDir(dir)) return STORE_ERR_NOT_FOUND;
    return collect(dir, list);
}

std::string storeRecycleDayName(int year, int month, int day) {
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    if (month < 1 || month > 12) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%s %d, %d", months[month - 1], day, year);
    return text;
}

int storeMoveToRecycleBin(const char* collectionsDir, const char* path) {
    if (!collectionsDir || !path || !*path) return STORE_ERR_ARG;
    DWORD attrs = GetFileAttributesA(path);
    if (attrs == INVALID_FILE_ATTRIBUTES) return STORE_ERR_NOT_FOUND;
    bool directory = attrs & FILE_ATTRIBUTE_DIRECTORY;
    std::string root = collectionsDir;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    std::string bin = root + "/" + STORE_RECYCLE_BIN;
    // Nothing inside the bin goes into it again, and the bin itself stays.
    if (strncasecmp(path, bin.c_str(), bin.size()) == 0 && (path[bin.size()] == 0 || path[bin.size()] == '/'))
        return STORE_ERR_ARG;
    if (dirsCreateRecycleBin(root.c_str()) != 0) return STORE_ERR_RESOURCE;

    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string dest = bin + "/" + storeRecycleDayName(now.wYear, now.wMonth, now.wDay);
    CreateDirectoryA(dest.c_str(), nullptr);

    // Below the day's folder the item keeps its path relative to the collections.
    std::string rel;
    if (strncasecmp(path, root.c_str(), root.size()) == 0 && path[root.size()] == '/') {
        rel = path + root.size() + 1;
    } else {
        const char* slash = std::strrchr(path, '/');
        rel = slash ? slash + 1 : path;
    }
    while (!rel.empty() && rel.back() == '/') rel.pop_back();
    if (rel.empty()) return STORE_ERR_ARG;
    size_t start = 0, slash;
    while ((slash = rel.find('/', start)) != std::string::npos) {
        dest += "/" + rel.substr(start, slash - start);
        CreateDirectoryA(dest.c_str(), nullptr);
        start = slash + 1;
    }
    dest += "/" + rel.substr(start);

    if (!directory) {
        return MoveFileExA(path, dest.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) ? STORE_OK
                                                                                                  : STORE_ERR_RESOURCE;
    }
    // A folder moves in one rename, subfolders and all, next to any folder of
    // the same name deleted earlier that day.
    std::string target = dest;
    for (int n = 2; exists(target); ++n) {
        if (n > 999) return STORE_ERR_RESOURCE;
        target = dest + " (" + std::to_string(n) + ")";
    }
    return MoveFileExA(path, target.c_str(), 0) ? STORE_OK : STORE_ERR_RESOURCE;
}

int storeDeletePhoto(const char* collectionsDir, const char* path) {
    if (!path) return STORE_ERR_ARG;
    char tmb[MAX_PATH];
    if (thumbPath(path, tmb, sizeof tmb) == 0 && std::strcmp(tmb, path) != 0 && exists(tmb))
        storeMoveToRecycleBin(collectionsDir, tmb);
    return storeMoveToRecycleBin(collectionsDir, path);
}

int storeDeleteCollection(const char* collectionsDir, const char* name) {
    if (!collectionsDir || !storeIsValidName(name)) return STORE_ERR_ARG;
    std::string dir = joinName(collectionsDir, name);
    if (!isDir(dir)) return STORE_ERR_NOT_FOUND;
    int rc = storeMoveToRecycleBin(collectionsDir, dir.c_str());
    if (rc != STORE_OK) return rc;
    int pw = pwdmodDeleteUserResource(STORE_USER, name);
    if (pw != 0)  // also -2: no password record had that name
        photoLog(LOG_CALL_FAILED, "pwdmodDeleteUserResource() returned error code %d", pw);
    return STORE_OK;
}

int storeSaveCollection(const char* collectionsDir, const char* configPath, const char* oldName, const char* name,
                        const char* password, bool isPublic, int type) {
    if (!collectionsDir || !configPath || !storeIsValidName(name)) return STORE_ERR_ARG;
    bool renaming = oldName && *oldName && std::strcmp(oldName, name) != 0;
    if (renaming) {
        if (!storeIsValidName(oldName)) return STORE_ERR_ARG;
        // A rename onto another existing collection would merge or fail half way.
        if (strcasecmp(oldName, name) != 0 && exists(joinName(collectionsDir, name))) return STORE_ERR_ARG;
        if (!isDir(joinName(collectionsDir, oldName))) return STORE_ERR_NOT_FOUND;
    }
    int rc = pwdmodAddUser(STORE_USER, isPublic ? nullptr : password, name);
    if (rc != 0) photoLog(LOG_CALL_FAILED, "pwdmodAddUser() returned error code %d", rc);
    if (renaming) {
        WritePrivateProfileStringA(CONFIG_SECTION, oldName, nullptr, configPath);
        if (!MoveFileExA(joinName(collectionsDir, oldName).c_str(), joinName(collectionsDir, name).c_str(), 0))
            return STORE_ERR_RESOURCE;
    }
    if (!WritePrivateProfileStringA(CONFIG_SECTION, name, storeTypeText(type), configPath)) return STORE_ERR_RESOURCE;
    return STORE_OK;
}
