// FindResourceA and friends. An HRSRC points at the resource's entry in the
// module's mapped blob and the data handle at its bytes, as on Windows; both
// stay valid while the module is loaded and need no freeing.
#include "res_blob.h"

using namespace platform;

namespace {

// The blob of the module whose entry the HRSRC points at, checked.
const ResBlobEntry *checkedEntry(HMODULE module, HRSRC res, ResBlob *blob) {
    DWORD error = ERROR_INVALID_HANDLE;
    if (res == nullptr || !moduleBlob(module, blob, &error) || !blob->ownsEntry(res)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<const ResBlobEntry *>(res);
}

}  // namespace

extern "C" {

WINBASEAPI HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    if (lpName == nullptr || lpType == nullptr) {
        SetLastError(!lpType ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    ResBlob blob;
    DWORD error = 0;
    const ResBlobEntry *e = nullptr;
    if (moduleBlob(hModule, &blob, &error)) e = blob.find(ResKey::from(lpType), ResKey::from(lpName), &error);
    if (e == nullptr) {
        SetLastError(error);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResBlobEntry *>(e));
}

WINBASEAPI HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
    (void)wLanguage;
    return FindResourceA(hModule, lpName, lpType);
}

WINBASEAPI HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
    ResBlob blob;
    const ResBlobEntry *e = checkedEntry(hModule, hResInfo, &blob);
    if (e == nullptr) return nullptr;
    return const_cast<uint8_t *>(blob.entryData(e));
}

WINBASEAPI LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

WINBASEAPI DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    ResBlob blob;
    const ResBlobEntry *e = checkedEntry(hModule, hResInfo, &blob);
    return e == nullptr ? 0 : e->dataSize;
}

WINBASEAPI BOOL WINAPI FreeResource(HGLOBAL hResData) {
    (void)hResData;
    return FALSE;
}

}  // extern "C"
