// EnumResourceNamesA over a module's resource blob.
#include "res_blob.h"

#include <string>
#include <vector>

using namespace platform;

extern "C" {

WINBASEAPI BOOL WINAPI EnumResourceNamesA(HMODULE hModule, LPCSTR lpType, ENUMRESNAMEPROCA lpEnumFunc,
                                          LONG_PTR lParam) {
    ResBlob blob;
    DWORD error = 0;
    if (!lpEnumFunc || !lpType) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!moduleBlob(hModule, &blob, &error)) {
        SetLastError(error);
        return FALSE;
    }
    ResKey type = ResKey::from(lpType);
    // The names are collected first: the callback may load resources.
    std::vector<std::string> names;
    std::vector<uint16_t> ids;
    for (uint32_t i = 0; i < blob.count(); ++i) {
        const ResBlobEntry &e = blob.entries()[i];
        bool typeMatches = (e.type & RES_NAME_FLAG)
                               ? type.isName && type.name == reinterpret_cast<const char *>(blob.data() + (e.type & ~RES_NAME_FLAG))
                               : !type.isName && e.type == type.id;
        if (!typeMatches) continue;
        if (e.name & RES_NAME_FLAG) names.emplace_back(reinterpret_cast<const char *>(blob.data() + (e.name & ~RES_NAME_FLAG)));
        else ids.push_back(static_cast<uint16_t>(e.name));
    }
    if (names.empty() && ids.empty()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    for (std::string &n : names)
        if (!lpEnumFunc(hModule, lpType, n.data(), lParam)) return TRUE;
    for (uint16_t id : ids)
        if (!lpEnumFunc(hModule, lpType, MAKEINTRESOURCEA(id), lParam)) return TRUE;
    return TRUE;
}

}  // extern "C"
