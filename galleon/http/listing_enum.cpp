#include "listing_enum.h"

#include "mimetypes_desc.h"

#include <algorithm>
#include <strings.h>

std::string ListingEntry::typeText() const {
    if (isDir()) return "Directory";
    char text[256];
    mimeTypeText(name.c_str(), text, sizeof text);
    return text;
}

namespace {

unsigned long long ticks(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

bool listingEnumerate(const std::string& dir, ListingSortColumn col, ListingSortDir dirn,
                      std::vector<ListingEntry>* out) {
    out->clear();
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
        ListingEntry e;
        e.name = fd.cFileName;
        e.attributes = fd.dwFileAttributes;
        e.size = (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        e.written = fd.ftLastWriteTime;
        out->push_back(std::move(e));
    } while (FindNextFileA(h, &fd));
    FindClose(h);

    auto& v = *out;
    if (col == SORT_NONE) {
        std::stable_partition(v.begin(), v.end(), [](const ListingEntry& e) { return e.isDir(); });
        return true;
    }
    auto byName = [](const ListingEntry& a, const ListingEntry& b) {
        return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
    };
    switch (col) {
        case SORT_NAME:
            std::stable_sort(v.begin(), v.end(), byName);
            break;
        case SORT_SIZE:
            std::stable_sort(v.begin(), v.end(), [](const ListingEntry& a, const ListingEntry& b) { return a.size < b.size; });
            break;
        case SORT_DATE:
            std::stable_sort(v.begin(), v.end(),
                             [](const ListingEntry& a, const ListingEntry& b) { return ticks(a.written) < ticks(b.written); });
            break;
        case SORT_TYPE: {
            std::vector<std::pair<std::string, ListingEntry>> keyed;
            keyed.reserve(v.size());
            for (auto& e : v) keyed.emplace_back(e.typeText(), std::move(e));
            std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
                int c = strcasecmp(a.first.c_str(), b.first.c_str());
                return c != 0 ? c < 0 : byName(a.second, b.second);
            });
            v.clear();
            for (auto& k : keyed) v.push_back(std::move(k.second));
            break;
        }
        default:
            break;
    }
    if (dirn == SORTDIR_DESC) std::reverse(v.begin(), v.end());
    return true;
}
