// LoadStringA: string uID lies in RT_STRING block uID / 16 + 1, the
// (uID % 16)-th of its 16 counted UTF-16 strings.
#include "res_blob.h"

#include <cstring>

using namespace platform;

extern "C" {

WINBASEAPI int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpBuffer[0] = '\0';
    ResBlob blob;
    DWORD error = 0;
    const ResBlobEntry *e = nullptr;
    uint16_t block = static_cast<uint16_t>(((uID & 0xFFFF) >> 4) + 1);
    if (moduleBlob(hInstance, &blob, &error))
        e = blob.find(ResKey::from(RT_STRING), ResKey::number(block), &error);
    if (e == nullptr) {
        SetLastError(error);
        return 0;
    }
    // Walk to the string, never past the block's bytes.
    const uint8_t *p = blob.entryData(e), *end = p + e->dataSize;
    auto unit = [](const uint8_t *q) { return static_cast<uint16_t>(q[0] | q[1] << 8); };
    for (UINT i = 0; i < (uID & 0xF); ++i) {
        if (end - p < 2) break;
        size_t len = unit(p);
        if (static_cast<size_t>(end - p - 2) < len * 2) {
            p = end;
            break;
        }
        p += 2 + len * 2;
    }
    size_t len = end - p >= 2 ? unit(p) : 0;
    if (end - p < 2 || static_cast<size_t>(end - p - 2) < len * 2 || len == 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    // One byte per UTF-16 unit: the compiler stored the script's bytes so.
    size_t n = len < static_cast<size_t>(cchBufferMax - 1) ? len : static_cast<size_t>(cchBufferMax - 1);
    for (size_t i = 0; i < n; ++i) {
        uint16_t u = unit(p + 2 + i * 2);
        lpBuffer[i] = static_cast<char>(u <= 0xFF ? u : '?');
    }
    lpBuffer[n] = '\0';
    return static_cast<int>(n);
}

}  // extern "C"
