// The listing page generator: a directory's folders and files as an HTML page
// in one of five views.
#pragma once

#include "listing_enum.h"

#include <string>

enum ListingView { VIEW_ICONS, VIEW_DETAILS, VIEW_FILMSTRIP, VIEW_LIST, VIEW_PREVIEW };

struct ListingOptions {
    ListingView view = VIEW_ICONS;
    ListingSortColumn sortCol = SORT_NONE;
    ListingSortDir sortDir = SORTDIR_NONE;
    bool urlLocations = true;  // show locations as URL paths
    bool toolbar = true;
    bool honourSort = true;
    bool banner = true;
};

// Writes the page of the directory `dirPath` (ending with '/') shown at the
// URL path `urlPath` (decoded, beginning and ending with '/'). `item` is the
// position shown by the preview view. Returns false when the directory
// cannot be enumerated.
bool listingPage(const std::string& dirPath, const std::string& urlPath, const ListingOptions& options,
                 unsigned item, std::string* page);
