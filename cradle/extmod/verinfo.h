// Version information of a file, read straight from the file without loading
// it: string items (block "100904B0" first, then "040904B0") and the product
// version of the fixed part.
#ifndef CRADLE_VERINFO_H
#define CRADLE_VERINFO_H

#include <windows.h>

#include <vector>

class FileVersionInfo {
public:
    // Reads the file's version resource; false when it has none.
    bool load(const char *path);
    bool loaded() const { return !data_.empty(); }

    // Copies the item into the buffer (cut to size - 1 characters) and returns
    // its length; -3 when the file has no such item, -2 for a bad buffer.
    int string(const char *item, char *buffer, int size) const;

    // Product version words (major.minor, build.revision); false when the file
    // has no fixed part.
    bool productVersion(DWORD *high, DWORD *low) const;

private:
    std::vector<unsigned char> data_;
};

// One item of a file, as FileVersionInfo::string.
int verinfoFileString(const char *path, const char *item, char *buffer, int size);

#endif
