// Modules: the program and the libraries loaded with LoadLibraryA, each a
// handle-table object that keeps its dlopen handle, real path and load base.
#include "modules.h"
#include "res_blob.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "handles.h"

using namespace platform;

namespace {

class Module : public PlatformObject {
public:
    Module() : PlatformObject(ObjectType::Module) {}
    ModuleInfo info;
    struct link_map *map = nullptr;
    int references = 0;
    bool pinned = false;     // the program, and objects the layer did not load: never unloaded
    bool attached = false;   // DllMain(DLL_PROCESS_ATTACH) was called and succeeded
    HMODULE handle = nullptr;
};

// The loader lock: re-entrant, since DllMain may load or free libraries.
std::recursive_mutex &loaderLock() {
    static auto *m = new std::recursive_mutex;
    return *m;
}

// Modules by load order; guarded by the loader lock.
std::vector<std::shared_ptr<Module>> &modules() {
    static auto *v = new std::vector<std::shared_ptr<Module>>;
    return *v;
}

std::string realPath(const std::string &path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string programPath() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    buffer[n] = '\0';
    return buffer;
}

std::string baseName(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Registers an object already in memory (dlopen handle given) as a module.
std::shared_ptr<Module> registerModule(void *dl, const std::string &path, bool pinned) {
    auto module = std::make_shared<Module>();
    module->info.dlHandle = dl;
    module->info.path = path;
    if (dlinfo(dl, RTLD_DI_LINKMAP, &module->map) == 0 && module->map) module->info.loadBase = module->map->l_addr;
    module->pinned = pinned;
    module->references = 1;
    module->handle = handleNew<HMODULE>(module);
    if (!module->handle) return nullptr;
    modules().push_back(module);
    return module;
}

std::shared_ptr<Module> programModule() {
    static auto *program = new std::shared_ptr<Module>;  // guarded by the loader lock
    if (!*program) *program = registerModule(dlopen(nullptr, RTLD_NOW), programPath(), true);
    return *program;
}

std::shared_ptr<Module> findByHandle(HMODULE h) {
    for (auto &m : modules())
        if (m->handle == h) return m;
    return nullptr;
}

std::shared_ptr<Module> findByPath(const std::string &path) {
    for (auto &m : modules())
        if (m->info.path == path) return m;
    return nullptr;
}

std::shared_ptr<Module> findByMap(const struct link_map *map) {
    for (auto &m : modules())
        if (m->map && m->map == map) return m;
    return nullptr;
}

// The directory of this library: the layer's own run-time modules
// ("hhctrl.ocx", "UXTHEME.DLL") sit there, as system libraries do on Windows.
std::string layerDirectory() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&layerDirectory), &info) || !info.dli_fname) return std::string();
    std::string path = realPath(info.dli_fname);
    return path.substr(0, path.rfind('/') + 1);
}

// Where LoadLibraryA looks for a name without a directory: beside the
// program, then the current directory, then beside this library; otherwise
// the dynamic loader's search.
std::string locate(std::string name) {
    if (name.find('/') != std::string::npos) return name;
    if (name.find('.') == std::string::npos) name += ".dll";
    std::string program = programPath();
    std::string dir = program.substr(0, program.rfind('/') + 1);
    struct stat st;
    if (!dir.empty() && stat((dir + name).c_str(), &st) == 0) return dir + name;
    if (stat(name.c_str(), &st) == 0) return "./" + name;
    std::string layer = layerDirectory();
    if (!layer.empty() && stat((layer + name).c_str(), &st) == 0) return layer + name;
    return name;
}

// The symbol only if the module itself defines it (not one of its dependencies).
void *ownSymbol(const std::shared_ptr<Module> &module, const char *name) {
    if (!module->info.dlHandle) return nullptr;  // a data file has no code
    dlerror();
    void *symbol = dlsym(module->info.dlHandle, name);
    if (!symbol) return nullptr;
    Dl_info info;
    struct link_map *map = nullptr;
    if (dladdr1(symbol, &info, reinterpret_cast<void **>(&map), RTLD_DL_LINKMAP) && map && module->map &&
        map != module->map)
        return nullptr;
    return symbol;
}

void unload(const std::shared_ptr<Module> &module) {
    if (module->attached) {
        if (auto entry = reinterpret_cast<PDLLMAIN>(ownSymbol(module, "DllMain")))
            entry(reinterpret_cast<HINSTANCE>(module->handle), DLL_PROCESS_DETACH, nullptr);
        module->attached = false;
    }
    auto &list = modules();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (*it == module) {
            list.erase(it);
            break;
        }
    handleRemove(handleValue(module->handle));
    if (module->info.dlHandle) dlclose(module->info.dlHandle);
}

}  // namespace

namespace platform {

bool moduleInfo(HMODULE module, ModuleInfo *info) {
    std::lock_guard<std::recursive_mutex> guard(loaderLock());
    auto m = module ? findByHandle(module) : programModule();
    if (!m) return false;
    *info = m->info;
    return true;
}

}  // namespace platform

extern "C" {

WINBASEAPI HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> guard(loaderLock());
    std::string located = locate(lpLibFileName);
    std::string path = located.find('/') != std::string::npos ? realPath(located) : located;
    if (auto existing = findByPath(path)) {
        ++existing->references;
        return existing->handle;
    }
    void *dl = dlopen(located.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
        struct stat st;
        SetLastError(located.find('/') != std::string::npos && stat(located.c_str(), &st) == 0 ? ERROR_BAD_EXE_FORMAT
                                                                                             : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // A name the dynamic loader found: its real path comes from the link map.
    struct link_map *map = nullptr;
    if (dlinfo(dl, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name) path = realPath(map->l_name);
    if (auto existing = findByMap(map)) {
        // Already known (registered by address): one more reference.
        dlclose(dl);
        ++existing->references;
        return existing->handle;
    }
    auto module = registerModule(dl, path, false);
    if (!module) {
        dlclose(dl);
        return nullptr;
    }
    if (auto entry = reinterpret_cast<PDLLMAIN>(ownSymbol(module, "DllMain"))) {
        if (!entry(reinterpret_cast<HINSTANCE>(module->handle), DLL_PROCESS_ATTACH, nullptr)) {
            // Refused: the module is told to detach and is unloaded.
            entry(reinterpret_cast<HINSTANCE>(module->handle), DLL_PROCESS_DETACH, nullptr);
            unload(module);
            SetLastError(ERROR_DLL_INIT_FAILED);
            return nullptr;
        }
        module->attached = true;
    }
    return module->handle;
}

WINBASEAPI HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE, DWORD dwFlags) {
    if (dwFlags == LOAD_LIBRARY_AS_DATAFILE) {
        // Resources only: the file's resource note is read, no code is mapped,
        // so programs and libraries of any kind can be inspected.
        if (!lpLibFileName || !*lpLibFileName) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        std::lock_guard<std::recursive_mutex> guard(loaderLock());
        std::string located = locate(lpLibFileName);
        std::string path = realPath(located);
        if (auto existing = findByPath(path)) {
            ++existing->references;
            return existing->handle;
        }
        auto words = std::make_shared<std::vector<uint32_t>>();
        size_t size = 0;
        DWORD error = 0;
        if (!readFileBlob(located.c_str(), words.get(), &size, &error)) {
            SetLastError(error);
            return nullptr;
        }
        auto module = std::make_shared<Module>();
        module->info.path = path;
        module->info.dataBlob = std::move(words);
        module->info.dataBlobSize = size;
        module->references = 1;
        module->handle = handleNew<HMODULE>(module);
        if (!module->handle) return nullptr;
        modules().push_back(module);
        return module->handle;
    }
    if (dwFlags != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return nullptr;
    }
    return LoadLibraryA(lpLibFileName);
}

WINBASEAPI BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    std::lock_guard<std::recursive_mutex> guard(loaderLock());
    auto module = findByHandle(hLibModule);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (module->pinned) return TRUE;
    if (--module->references == 0) unload(module);
    return TRUE;
}

WINBASEAPI FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    std::lock_guard<std::recursive_mutex> guard(loaderLock());
    auto module = hModule ? findByHandle(hModule) : programModule();
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpProcName || reinterpret_cast<uintptr_t>(lpProcName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);  // ordinals: ELF has none
        return nullptr;
    }
    void *symbol = ownSymbol(module, lpProcName);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

WINBASEAPI HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    std::lock_guard<std::recursive_mutex> guard(loaderLock());
    if (!lpModuleName) {
        auto program = programModule();
        return program ? program->handle : nullptr;
    }
    std::string wanted = lpModuleName;
    if (baseName(wanted).find('.') == std::string::npos) wanted += ".dll";
    const bool byPath = wanted.find('/') != std::string::npos;
    if (byPath) wanted = realPath(wanted);
    for (auto &m : modules()) {
        if (byPath ? m->info.path == wanted : strcasecmp(baseName(m->info.path).c_str(), wanted.c_str()) == 0)
            return m->handle;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

WINBASEAPI BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE *phModule) {
    if (!phModule) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phModule = nullptr;
    std::lock_guard<std::recursive_mutex> guard(loaderLock());
    std::shared_ptr<Module> module;
    if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
        Dl_info info;
        struct link_map *map = nullptr;
        if (!dladdr1(lpModuleName, &info, reinterpret_cast<void **>(&map), RTLD_DL_LINKMAP) || !map) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        module = findByMap(map);
        if (!module) {
            if (!map->l_name || !*map->l_name) {
                module = programModule();
            } else {
                // An object the layer did not load (libplatform itself, a
                // library linked at build time): known from now on, never unloaded.
                void *dl = dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD);
                if (dl) module = registerModule(dl, realPath(map->l_name), true);
            }
        }
    } else {
        HMODULE h = GetModuleHandleA(lpModuleName);
        module = h ? findByHandle(h) : nullptr;
    }
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (!(dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) && !module->pinned) {
        if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) module->pinned = true;
        else ++module->references;
    }
    *phModule = module->handle;
    return TRUE;
}

WINBASEAPI DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    ModuleInfo info;
    if (!moduleInfo(hModule, &info)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (info.path.size() >= nSize) {
        memcpy(lpFilename, info.path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    memcpy(lpFilename, info.path.c_str(), info.path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(info.path.size());
}

}  // extern "C"
