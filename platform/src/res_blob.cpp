// Validation of resource blobs and lookup of resources in them.
#include "res_blob.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace platform {

ResKey ResKey::from(LPCSTR s) {
    if (IS_INTRESOURCE(s)) return number(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(s)));
    if (s[0] == '#') {
        // "#123" is the id 123, as on Windows; other text after '#' is a name.
        char *end = nullptr;
        unsigned long v = std::strtoul(s + 1, &end, 10);
        if (end != s + 1 && *end == '\0' && v <= 0xFFFF) return number(static_cast<uint16_t>(v));
    }
    ResKey k;
    k.isName = true;
    for (const char *p = s; *p; ++p) k.name += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    return k;
}

bool ResBlob::attach(const uint8_t *data, size_t size) {
    data_ = nullptr;
    if (data == nullptr || size < sizeof(ResBlobHeader)) return false;
    ResBlobHeader h;
    std::memcpy(&h, data, sizeof h);
    if (h.magic != RES_BLOB_MAGIC || h.totalSize > size || h.totalSize < sizeof h) return false;
    size = h.totalSize;
    if (h.entryCount > (size - sizeof h) / sizeof(ResBlobEntry)) return false;
    if (reinterpret_cast<uintptr_t>(data) % alignof(ResBlobEntry) != 0) return false;
    const ResBlobEntry *e = reinterpret_cast<const ResBlobEntry *>(data + sizeof h);
    auto fieldOk = [&](uint32_t f) {
        if (!(f & RES_NAME_FLAG)) return f <= 0xFFFF;
        uint32_t off = f & ~RES_NAME_FLAG;
        return off < size && std::memchr(data + off, 0, size - off) != nullptr;
    };
    for (uint32_t i = 0; i < h.entryCount; ++i) {
        if (!fieldOk(e[i].type) || !fieldOk(e[i].name)) return false;
        if (static_cast<uint64_t>(e[i].dataOffset) + e[i].dataSize > size) return false;
    }
    data_ = data;
    size_ = size;
    count_ = h.entryCount;
    return true;
}

bool ResBlob::matches(uint32_t field, const ResKey &key) const {
    if (!(field & RES_NAME_FLAG)) return !key.isName && field == key.id;
    if (!key.isName) return false;
    const char *stored = reinterpret_cast<const char *>(data_ + (field & ~RES_NAME_FLAG));
    return key.name == stored;  // stored upper case by the compiler
}

const ResBlobEntry *ResBlob::find(const ResKey &type, const ResKey &name, DWORD *error) const {
    bool typeSeen = false;
    for (uint32_t i = 0; i < count_; ++i) {
        const ResBlobEntry &e = entries()[i];
        if (!matches(e.type, type)) continue;
        typeSeen = true;
        if (matches(e.name, name)) return &e;
    }
    *error = typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
    return nullptr;
}

bool ResBlob::ownsEntry(const void *p) const {
    if (data_ == nullptr || p == nullptr) return false;
    uintptr_t first = reinterpret_cast<uintptr_t>(entries()), at = reinterpret_cast<uintptr_t>(p);
    return at >= first && at < first + count_ * sizeof(ResBlobEntry) && (at - first) % sizeof(ResBlobEntry) == 0;
}

// Scans a PT_NOTE region for the resource note; the descriptor's offset and
// size within the region on success.
bool scanNotes(const uint8_t *p, size_t size, size_t align, size_t *descOffset, size_t *descSize) {
    if (align != 8) align = 4;
    auto roundUp = [align](size_t v) { return (v + align - 1) / align * align; };
    size_t at = 0;
    while (at <= size && size - at >= 12) {
        uint32_t nameSize, dsize, type;
        std::memcpy(&nameSize, p + at, 4);
        std::memcpy(&dsize, p + at + 4, 4);
        std::memcpy(&type, p + at + 8, 4);
        size_t nameAt = at + 12;
        if (nameSize > size - nameAt) return false;
        size_t descAt = roundUp(nameAt + nameSize);
        if (descAt > size || dsize > size - descAt) return false;
        if (type == RES_NOTE_TYPE && nameSize == RES_NOTE_NAME_SIZE &&
            std::memcmp(p + nameAt, RES_NOTE_NAME, RES_NOTE_NAME_SIZE) == 0) {
            *descOffset = descAt;
            *descSize = dsize;
            return true;
        }
        at = roundUp(descAt + dsize);
    }
    return false;
}


}  // namespace platform
