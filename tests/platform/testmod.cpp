// A library for the module tests: counts its DllMain calls in a file named by
// the environment, and refuses to attach when built with REFUSE_ATTACH.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
int attaches = 0;

[[maybe_unused]] void record(const char *what) {
    if (const char *log = getenv("PLATFORM_TESTMOD_LOG")) {
        if (FILE *f = fopen(log, "a")) {
            fprintf(f, "%s\n", what);
            fclose(f);
        }
    }
}
}  // namespace

extern "C" {

#ifndef NO_DLLMAIN
__attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ++attaches;
        record(GetModuleHandleA(nullptr) != instance ? "attach" : "attach-wrong-instance");
#ifdef REFUSE_ATTACH
        return FALSE;
#endif
    } else if (reason == DLL_PROCESS_DETACH) {
        record("detach");
    }
    return TRUE;
}
#endif

__attribute__((visibility("default"))) int testmodAttaches(void) { return attaches; }

// Resolves the module that holds this code, as code inside a plug-in does.
__attribute__((visibility("default"))) HMODULE testmodSelf(void) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&testmodSelf), &self);
    return self;
}
}
