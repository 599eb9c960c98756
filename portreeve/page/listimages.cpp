#include "listimages.h"

#include <initializer_list>

#include "pageids.h"
#include "plugin.h"

namespace {

constexpr COLORREF KEY_COLOUR = RGB(255, 0, 255);

void addBitmap(HIMAGELIST list, int id) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(pluginModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    if (!bitmap) return;
    ImageList_AddMasked(list, bitmap, KEY_COLOUR);
    DeleteObject(bitmap);
}

}  // namespace

HIMAGELIST listImagesCreate(const int *bitmapIds, int count) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3 + count, 0);
    if (!list) return nullptr;
    for (int id : {IDB_SORT_BLANK, IDB_SORT_UP, IDB_SORT_DOWN}) addBitmap(list, id);
    for (int i = 0; i < count; ++i) addBitmap(list, bitmapIds[i]);
    return list;
}
