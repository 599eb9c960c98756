// The small image lists of the page's lists: the three header sort marks
// (none, ascending, descending) first, then the list's own marks.
#pragma once
#include <commctrl.h>

// Marks of the services list: index 3 disabled, 4 enabled.
constexpr int IMAGE_SERVICE_DISABLED = 3;
constexpr int IMAGE_SERVICE_ENABLED = 4;
// Mark of the port list: index 3.
constexpr int IMAGE_PORT_RANGE = 3;

// A new 16 x 16 list with the sort marks followed by the given bitmaps of
// the plug-in (magenta is transparent); null if it cannot be made.
HIMAGELIST listImagesCreate(const int *bitmapIds, int count);
