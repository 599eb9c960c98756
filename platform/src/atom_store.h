// The store of global atoms shared by one user's processes: a small file
// under the user's runtime directory, read and rewritten whole under a lock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

struct AtomRecord {
    ATOM atom;
    uint32_t references;
    std::string name;
};

// The most atoms the store holds; bounds its size (about 270 KB).
constexpr size_t kMaxStoredAtoms = 1024;

// Holds the store's lock from construction to destruction. Every failure sets
// the last error: ERROR_ACCESS_DENIED when the directory or a file of the
// store is not the user's own.
class AtomStore {
public:
    AtomStore();
    ~AtomStore();
    AtomStore(const AtomStore &) = delete;
    AtomStore &operator=(const AtomStore &) = delete;

    bool locked() const { return lockFd_ >= 0; }
    // A missing store reads as empty; a damaged one too, so the next write
    // repairs it.
    bool load(std::vector<AtomRecord> *records);
    // Writes beside the table and renames over it: a process that dies in
    // the middle leaves the old table.
    bool save(const std::vector<AtomRecord> &records);

private:
    int dirFd_ = -1;
    int lockFd_ = -1;
};

}  // namespace platform
