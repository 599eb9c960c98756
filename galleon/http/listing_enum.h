// Directory enumeration of the listing pages: the visible entries of a
// directory, sorted by a column when one is asked for.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum ListingSortColumn { SORT_NONE, SORT_NAME, SORT_SIZE, SORT_TYPE, SORT_DATE };
enum ListingSortDir { SORTDIR_NONE, SORTDIR_ASC, SORTDIR_DESC };

struct ListingEntry {
    std::string name;
    DWORD attributes = 0;
    unsigned long long size = 0;
    FILETIME written = {0, 0};
    bool isDir() const { return attributes & FILE_ATTRIBUTE_DIRECTORY; }
    bool isDot() const { return name == "." || name == ".."; }
    std::string typeText() const;  // "Directory", or the file's type name
};

// Visible entries of the directory (path ends with '/'), "." and ".."
// included. With a sort column the list is sorted (descending reverses it);
// without one, folders come first, each group in the directory's order.
// Returns false when the directory cannot be enumerated.
bool listingEnumerate(const std::string& dir, ListingSortColumn col, ListingSortDir dirn,
                      std::vector<ListingEntry>* out);
