// System information: version, directories, computer and user names, environment.
#include <windows.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Copies with the "size needed" convention: the length when it fits, else
// the size needed with its NUL.
DWORD copyOut(const std::string &s, LPSTR buffer, DWORD size) {
    if (!buffer || size < s.size() + 1) return static_cast<DWORD>(s.size() + 1);
    memcpy(buffer, s.c_str(), s.size() + 1);
    return static_cast<DWORD>(s.size());
}

std::string systemLibraryDirectory() {
    // The multiarch directory where the system keeps its shared libraries.
#if defined(__x86_64__)
    const char *multiarch = "/usr/lib/x86_64-linux-gnu";
#elif defined(__aarch64__)
    const char *multiarch = "/usr/lib/aarch64-linux-gnu";
#else
    const char *multiarch = "";
#endif
    struct stat st;
    if (*multiarch && stat(multiarch, &st) == 0 && S_ISDIR(st.st_mode)) return multiarch;
    return "/usr/lib";
}

}  // namespace

extern "C" {

WINBASEAPI BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // An NT-family system of the generation the suite is written for.
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) {
        auto *ex = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
        ex->wServicePackMajor = 0;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = 0;
        ex->wProductType = 1;  // workstation
        ex->wReserved = 0;
    }
    return TRUE;
}

WINBASEAPI UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return copyOut(systemLibraryDirectory(), lpBuffer, uSize);
}

WINBASEAPI BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
    if (!nSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) strcpy(host, "localhost");
    std::string name = host;
    name = name.substr(0, name.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);
    for (char &c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (!lpBuffer || *nSize < name.size() + 1) {
        *nSize = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    memcpy(lpBuffer, name.c_str(), name.size() + 1);
    *nSize = static_cast<DWORD>(name.size());
    return TRUE;
}

WINBASEAPI BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
    if (!pcbBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string name;
    struct passwd pw, *found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &pw, buffer, sizeof buffer, &found) == 0 && found) name = found->pw_name;
    else if (const char *user = getenv("USER")) name = user;
    else name = std::to_string(geteuid());
    if (!lpBuffer || *pcbBuffer < name.size() + 1) {
        *pcbBuffer = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(lpBuffer, name.c_str(), name.size() + 1);
    *pcbBuffer = static_cast<DWORD>(name.size() + 1);
    return TRUE;
}

WINBASEAPI DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    const char *value = lpName ? getenv(lpName) : nullptr;
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return copyOut(value, lpBuffer, nSize);
}

WINBASEAPI BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
    if (!lpName || !*lpName || strchr(lpName, '=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int rc = lpValue ? setenv(lpName, lpValue, 1) : unsetenv(lpName);
    if (rc != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
