// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA.
//
// The version resource (VS_VERSIONINFO) is read from the module's file. Its
// texts are UTF-16; VerQueryValueA hands out 8-bit text, so the buffer that
// GetFileVersionInfoA fills has room after the resource for an 8-bit copy of
// every text: the copy of the text at byte offset o of the resource lies at
// offset o / 2 of that room, which cannot overlap another text's copy. The
// root node's wType (0 in the file) is set to kConvertedMark when the room is
// there, so VerQueryValueA never reads beyond the data it was given.
#include "res_blob.h"

#include <cctype>
#include <cstring>

using namespace platform;

namespace {

constexpr uint16_t kConvertedMark = 0x5A41;

size_t align4(size_t v) { return (v + 3) & ~size_t{3}; }
uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Room needed for the 8-bit copies of a resource of `size` bytes.
size_t textRoom(size_t size) { return size / 2 + 2; }

bool readVersion(LPCSTR path, std::vector<uint8_t> *data) {
    DWORD error = 0;
    if (!fileResource(path, ResKey::from(RT_VERSION), nullptr, data, &error)) {
        SetLastError(error);
        return false;
    }
    if (data->size() < 6 || le16(data->data()) < 6 || le16(data->data()) > data->size()) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    data->resize(le16(data->data()));
    return true;
}

// One node of the tree, bounds-checked against its parent.
struct Node {
    size_t start = 0, end = 0;      // node bytes [start, end)
    size_t keyAt = 0, keyUnits = 0; // UTF-16 key
    size_t valueAt = 0, valueBytes = 0;
    uint16_t valueLength = 0, type = 0;
    size_t childrenAt = 0;
};

bool parseNode(const uint8_t *base, size_t at, size_t limit, bool isRoot, Node *n) {
    if (at + 6 > limit) return false;
    uint16_t length = le16(base + at);
    if (length < 6 || length > limit - at) return false;
    n->start = at;
    n->end = at + length;
    n->valueLength = le16(base + at + 2);
    n->type = le16(base + at + 4);
    n->keyAt = at + 6;
    size_t p = n->keyAt;
    while (p + 2 <= n->end && le16(base + p) != 0) p += 2;
    if (p + 2 > n->end) return false;
    n->keyUnits = (p - n->keyAt) / 2;
    n->valueAt = align4(p + 2);
    bool text = n->type == 1 && !isRoot;
    n->valueBytes = text ? size_t{n->valueLength} * 2 : n->valueLength;
    if (n->valueAt > n->end || n->valueBytes > n->end - n->valueAt) {
        // A node without a value may end right after its key.
        if (n->valueLength != 0) return false;
        n->valueAt = n->end;
        n->valueBytes = 0;
    }
    n->childrenAt = align4(n->valueAt + n->valueBytes);
    return true;
}

bool keyEquals(const uint8_t *base, const Node &n, const char *seg, size_t segLen) {
    if (n.keyUnits != segLen) return false;
    for (size_t i = 0; i < segLen; ++i) {
        uint16_t u = le16(base + n.keyAt + i * 2);
        if (u > 0x7F || std::tolower(u) != std::tolower(static_cast<unsigned char>(seg[i]))) return false;
    }
    return true;
}

}  // namespace

extern "C" {

WINBASEAPI DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle) *lpdwHandle = 0;
    std::vector<uint8_t> data;
    if (!readVersion(lptstrFilename, &data)) return 0;
    return static_cast<DWORD>(align4(data.size()) + textRoom(data.size()));
}

WINBASEAPI BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData) {
    (void)dwHandle;
    if (lpData == nullptr || dwLen == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<uint8_t> data;
    if (!readVersion(lptstrFilename, &data)) return FALSE;
    auto *out = static_cast<uint8_t *>(lpData);
    size_t n = data.size() < dwLen ? data.size() : dwLen;
    std::memcpy(out, data.data(), n);
    if (n < data.size()) {
        // Cut short: the root's length shrinks to what was copied, so lookups
        // stay inside the caller's buffer.
        if (n >= 2) out[0] = static_cast<uint8_t>(n & 0xFF), out[1] = static_cast<uint8_t>(n >> 8);
        if (n >= 6) out[4] = out[5] = 0;
        return TRUE;
    }
    if (dwLen >= align4(data.size()) + textRoom(data.size())) {
        out[4] = kConvertedMark & 0xFF;
        out[5] = kConvertedMark >> 8;
    } else {
        out[4] = out[5] = 0;
    }
    return TRUE;
}

WINBASEAPI BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID *lplpBuffer, PUINT puLen) {
    if (puLen) *puLen = 0;
    if (pBlock == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto *base = static_cast<uint8_t *>(const_cast<void *>(pBlock));
    Node node;
    if (!parseNode(base, 0, le16(base) < 6 ? 0 : le16(base), true, &node)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    bool converted = node.type == kConvertedMark;
    bool isRoot = true;
    const char *p = lpSubBlock;
    for (;;) {
        while (*p == '\\' || *p == '/') ++p;
        if (*p == '\0') break;
        const char *segEnd = p;
        while (*segEnd && *segEnd != '\\' && *segEnd != '/') ++segEnd;
        size_t segLen = static_cast<size_t>(segEnd - p);
        bool found = false;
        Node child;
        for (size_t at = node.childrenAt; at < node.end; at = align4(child.end)) {
            if (!parseNode(base, at, node.end, false, &child)) break;
            if (keyEquals(base, child, p, segLen)) {
                found = true;
                break;
            }
        }
        if (!found) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        node = child;
        isRoot = false;
        p = segEnd;
    }
    if (isRoot) {
        if (node.valueBytes < 52) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        *lplpBuffer = base + node.valueAt;
        if (puLen) *puLen = 52;
        return TRUE;
    }
    if (node.type != 1) {
        *lplpBuffer = base + node.valueAt;
        if (puLen) *puLen = static_cast<UINT>(node.valueBytes);
        return TRUE;
    }
    // Text: an 8-bit copy in the room after the resource.
    if (!converted) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    char *copy = reinterpret_cast<char *>(base + align4(le16(base)) + node.valueAt / 2);
    size_t units = node.valueLength, i = 0;
    for (; i < units; ++i) {
        uint16_t u = le16(base + node.valueAt + i * 2);
        if (u == 0) break;
        copy[i] = static_cast<char>(u <= 0xFF ? u : '?');
    }
    copy[i] = '\0';
    *lplpBuffer = copy;
    if (puLen) *puLen = static_cast<UINT>(units);
    return TRUE;
}

}  // extern "C"

