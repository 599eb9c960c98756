// Access to the compiled resources of a module ("resource blob", layout in
// res_format.h): found in a loaded module through its program headers, or
// read from a module's file without loading it.
#pragma once

#include "res_format.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A type or name as the Win32 functions take it: an integer id
// (MAKEINTRESOURCEA, or text "#123") or a name without regard to case.
struct ResKey {
    bool isName = false;
    uint16_t id = 0;
    std::string name;  // upper case

    static ResKey from(LPCSTR s);
    static ResKey number(uint16_t v) { return ResKey{false, v, {}}; }
};

// A validated view of a blob: header and entry table lie inside it, every
// entry's data lies inside it, every name is terminated inside it.
class ResBlob {
public:
    ResBlob() = default;
    // False if the bytes are not a well-formed blob.
    bool attach(const uint8_t *data, size_t size);

    bool empty() const { return data_ == nullptr; }
    const uint8_t *data() const { return data_; }
    size_t size() const { return size_; }
    uint32_t count() const { return count_; }
    const ResBlobEntry *entries() const { return reinterpret_cast<const ResBlobEntry *>(data_ + sizeof(ResBlobHeader)); }

    // The entry of that type and name; null with ERROR_RESOURCE_TYPE_NOT_FOUND
    // or ERROR_RESOURCE_NAME_NOT_FOUND in *error.
    const ResBlobEntry *find(const ResKey &type, const ResKey &name, DWORD *error) const;
    // Whether p points at one of this blob's entries.
    bool ownsEntry(const void *p) const;
    const uint8_t *entryData(const ResBlobEntry *e) const { return data_ + e->dataOffset; }

private:
    bool matches(uint32_t field, const ResKey &key) const;

    const uint8_t *data_ = nullptr;
    size_t size_ = 0;
    uint32_t count_ = 0;
};

// Finds the resource note in a PT_NOTE region (notes aligned to `align`,
// 4 or 8); the offset and size of its descriptor (the blob) on success.
bool scanNotes(const uint8_t *region, size_t size, size_t align, size_t *descOffset, size_t *descSize);

// The blob of a loaded module (NULL: the program). False with the error in
// *error: ERROR_INVALID_HANDLE for a handle that is not a module,
// ERROR_RESOURCE_DATA_NOT_FOUND for a module without resources.
bool moduleBlob(HMODULE module, ResBlob *blob, DWORD *error);

// The resource blob of an ELF file on disk, read whole into 32-bit words.
bool readFileBlob(const char *path, std::vector<uint32_t> *blob, size_t *blobSize, DWORD *error);

// One resource read from a module's file: only the parts needed are read.
// False with ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_FORMAT,
// ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_NAME_NOT_FOUND in *error. A null name takes the first
// resource of the type.
bool fileResource(const char *path, const ResKey &type, const ResKey *name, std::vector<uint8_t> *data,
                  DWORD *error);

}  // namespace platform
