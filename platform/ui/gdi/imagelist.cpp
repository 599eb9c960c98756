// Image lists: same-sized images with alpha, filled from bitmaps (with mask
// bitmaps or a mask colour) and icons, drawn into device contexts.
#include "gdi/dc.h"
#include "gdi/dcobject.h"

#include "core/app.h"

#include "win/imagelist.h"

#include <QPainter>

#include <mutex>
#include <vector>

using namespace platform;
using namespace platform::ui;

namespace {

// Bounds that keep a hostile or mistaken caller from exhausting memory.
constexpr int kMaxSide = 1024;
constexpr int kMaxImages = 65536;

class ImageListObject : public PlatformObject {
public:
    ImageListObject(int cx, int cy, UINT flags) : PlatformObject(ObjectType::Other), cx(cx), cy(cy), flags(flags) {}
    const int cx, cy;
    const UINT flags;
    std::mutex mutex;
    std::vector<QImage> images;  // premultiplied ARGB, cx x cy
    COLORREF bkColor = CLR_NONE;
    unsigned generation = 1;
};

std::shared_ptr<ImageListObject> listOf(HIMAGELIST himl) {
    auto list = handleGet<ImageListObject>(himl);
    if (!list) SetLastError(ERROR_INVALID_HANDLE);
    return list;
}

QImage blankImage(int cx, int cy) {
    QImage image(cx, cy, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Cuts a strip of images out of a bitmap; mask decides transparency per
// pixel (white = transparent).
std::vector<QImage> cut(const ImageListObject &list, const QImage &strip, const QImage *mask, const COLORREF *maskColor) {
    std::vector<QImage> out;
    if (strip.isNull()) return out;
    QImage src = strip.convertToFormat(QImage::Format_ARGB32);
    QImage m = mask ? mask->convertToFormat(QImage::Format_RGB32) : QImage();
    int count = src.width() / list.cx;
    if (count == 0) count = 1;
    for (int k = 0; k < count; ++k) {
        QImage image(list.cx, list.cy, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 0; y < list.cy && y < src.height(); ++y)
            for (int x = 0; x < list.cx && k * list.cx + x < src.width(); ++x) {
                int sx = k * list.cx + x;
                QRgb p = src.pixel(sx, y);
                bool transparent = false;
                if (maskColor) transparent = (p & 0xFFFFFF) == (qRgb(GetRValue(*maskColor), GetGValue(*maskColor), GetBValue(*maskColor)) & 0xFFFFFF);
                if (!m.isNull() && sx < m.width() && y < m.height()) transparent = transparent || (m.pixel(sx, y) & 0xFFFFFF) != 0;
                image.setPixel(x, y, transparent ? 0 : p);
            }
        out.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return out;
}

int append(ImageListObject &list, std::vector<QImage> images) {
    std::lock_guard lock(list.mutex);
    if (images.empty() || list.images.size() + images.size() > static_cast<size_t>(kMaxImages)) return -1;
    int first = static_cast<int>(list.images.size());
    for (QImage &image : images) list.images.push_back(std::move(image));
    ++list.generation;
    return first;
}

QImage iconFitted(const ImageListObject &list, HICON icon) {
    QImage image = gdiIconImage(icon);
    if (image.isNull()) return image;
    if (image.size() != QSize(list.cx, list.cy))
        image = image.scaled(list.cx, list.cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QColor blendColor(COLORREF fg) { return toQColor(fg == CLR_DEFAULT || fg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : fg); }

}  // namespace

namespace platform::ui {

bool gdiImageListSize(HIMAGELIST himl, int *cx, int *cy) {
    auto list = handleGet<ImageListObject>(himl);
    if (!list) return false;
    if (cx) *cx = list->cx;
    if (cy) *cy = list->cy;
    return true;
}

int gdiImageListCount(HIMAGELIST himl) {
    auto list = handleGet<ImageListObject>(himl);
    if (!list) return 0;
    std::lock_guard lock(list->mutex);
    return static_cast<int>(list->images.size());
}

QImage gdiImageListImage(HIMAGELIST himl, int index) {
    auto list = handleGet<ImageListObject>(himl);
    if (!list) return QImage();
    std::lock_guard lock(list->mutex);
    if (index < 0 || static_cast<size_t>(index) >= list->images.size()) return QImage();
    return list->images[static_cast<size_t>(index)];
}

unsigned gdiImageListGeneration(HIMAGELIST himl) {
    auto list = handleGet<ImageListObject>(himl);
    if (!list) return 0;
    std::lock_guard lock(list->mutex);
    return list->generation;
}

}  // namespace platform::ui

extern "C" {

WINBASEAPI HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0 || cx > kMaxSide || cy > kMaxSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    uiApplication();
    return handleNew<HIMAGELIST>(std::make_shared<ImageListObject>(cx, cy, flags));
}

WINBASEAPI BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
    if (!listOf(himl)) return FALSE;
    handleRemove(handleValue(himl));
    return TRUE;
}

WINBASEAPI int WINAPI ImageList_GetImageCount(HIMAGELIST himl) { return gdiImageListCount(himl); }

WINBASEAPI BOOL WINAPI ImageList_SetImageCount(HIMAGELIST himl, UINT uNewCount) {
    auto list = listOf(himl);
    if (!list || uNewCount > static_cast<UINT>(kMaxImages)) return FALSE;
    std::lock_guard lock(list->mutex);
    while (list->images.size() > uNewCount) list->images.pop_back();
    while (list->images.size() < uNewCount) list->images.push_back(blankImage(list->cx, list->cy));
    ++list->generation;
    return TRUE;
}

WINBASEAPI BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int *cx, int *cy) {
    return listOf(himl) && gdiImageListSize(himl, cx, cy);
}

WINBASEAPI int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
    auto list = listOf(himl);
    if (!list) return -1;
    QImage image = gdiBitmapImage(hbmImage);
    if (image.isNull()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    QImage mask = (list->flags & ILC_MASK) ? gdiBitmapImage(hbmMask) : QImage();
    return append(*list, cut(*list, image, mask.isNull() ? nullptr : &mask, nullptr));
}

WINBASEAPI int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
    auto list = listOf(himl);
    if (!list) return -1;
    QImage image = gdiBitmapImage(hbmImage);
    if (image.isNull()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    COLORREF color = crMask;
    if (color == CLR_DEFAULT) {
        QRgb corner = image.pixel(0, 0);
        color = RGB(qRed(corner), qGreen(corner), qBlue(corner));
    }
    return append(*list, cut(*list, image, nullptr, color == CLR_NONE ? nullptr : &color));
}

WINBASEAPI int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
    auto list = listOf(himl);
    if (!list) return -1;
    QImage image = iconFitted(*list, hicon);
    if (image.isNull()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (i == -1) return append(*list, {image});
    std::lock_guard lock(list->mutex);
    if (i < 0 || static_cast<size_t>(i) >= list->images.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    list->images[static_cast<size_t>(i)] = image;
    ++list->generation;
    return i;
}

WINBASEAPI BOOL WINAPI ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask) {
    auto list = listOf(himl);
    if (!list) return FALSE;
    QImage image = gdiBitmapImage(hbmImage);
    QImage mask = (list->flags & ILC_MASK) ? gdiBitmapImage(hbmMask) : QImage();
    std::vector<QImage> images = cut(*list, image, mask.isNull() ? nullptr : &mask, nullptr);
    std::lock_guard lock(list->mutex);
    if (images.empty() || i < 0 || static_cast<size_t>(i) >= list->images.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    list->images[static_cast<size_t>(i)] = images.front();
    ++list->generation;
    return TRUE;
}

WINBASEAPI BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i) {
    auto list = listOf(himl);
    if (!list) return FALSE;
    std::lock_guard lock(list->mutex);
    if (i == -1) {
        list->images.clear();
    } else if (i >= 0 && static_cast<size_t>(i) < list->images.size()) {
        list->images.erase(list->images.begin() + i);
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ++list->generation;
    return TRUE;
}

WINBASEAPI COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
    auto list = listOf(himl);
    if (!list) return CLR_NONE;
    std::lock_guard lock(list->mutex);
    COLORREF old = list->bkColor;
    list->bkColor = clrBk;
    ++list->generation;
    return old;
}

WINBASEAPI COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST himl) {
    auto list = listOf(himl);
    if (!list) return CLR_NONE;
    std::lock_guard lock(list->mutex);
    return list->bkColor;
}

WINBASEAPI BOOL WINAPI ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                                        COLORREF rgbBk, COLORREF rgbFg, UINT fStyle) {
    auto list = listOf(himl);
    auto dc = dcGet(hdcDst);
    if (!list || !dc) {
        if (list) SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    QImage image = gdiImageListImage(himl, i);
    if (image.isNull()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int w = dx > 0 ? std::min(dx, list->cx) : list->cx, h = dy > 0 ? std::min(dy, list->cy) : list->cy;
    image = image.copy(0, 0, w, h);
    QPainter &p = dc->paint();
    QRect target(x, y, w, h);
    if (fStyle & ILD_MASK) {
        // The mask: black where the image is opaque, white where transparent.
        QImage mask(w, h, QImage::Format_RGB32);
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx) mask.setPixel(xx, yy, qAlpha(image.pixel(xx, yy)) >= 128 ? 0xFF000000 : 0xFFFFFFFF);
        p.drawImage(target.topLeft(), mask);
        return TRUE;
    }
    COLORREF bk = rgbBk == CLR_DEFAULT ? ImageList_GetBkColor(himl) : rgbBk;
    if (!(fStyle & ILD_TRANSPARENT) && bk != CLR_NONE) p.fillRect(target, toQColor(bk));
    if (fStyle & ILD_IMAGE) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(target.topLeft(), image.convertToFormat(QImage::Format_RGB32));
        return TRUE;
    }
    if (fStyle & (ILD_BLEND25 | ILD_BLEND50)) {
        // Selected and focused images: the blend colour laid over the image's shape.
        QImage tinted = image;
        QPainter t(&tinted);
        t.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        t.setOpacity((fStyle & ILD_BLEND50) ? 0.5 : 0.25);
        t.fillRect(tinted.rect(), blendColor(rgbFg));
        t.end();
        image = tinted;
    }
    p.drawImage(target.topLeft(), image);
    return TRUE;
}

WINBASEAPI BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
    return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

WINBASEAPI HICON WINAPI ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
    if (!listOf(himl)) return nullptr;
    QImage image = gdiImageListImage(himl, i);
    if (image.isNull()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return gdiIconFromImage(image);
}

WINBASEAPI HIMAGELIST WINAPI ImageList_LoadImageA(HINSTANCE hi, LPCSTR lpbmp, int cx, int, COLORREF crMask,
                                                  UINT uType, UINT uFlags) {
    if (uType != IMAGE_BITMAP && uType != IMAGE_ICON) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE loaded = LoadImageA(hi, lpbmp, uType, 0, 0, uFlags & ~LR_SHARED);
    if (!loaded) return nullptr;
    HIMAGELIST list = nullptr;
    if (uType == IMAGE_BITMAP) {
        auto bitmap = static_cast<HBITMAP>(loaded);
        BITMAP bm{};
        GetObjectA(bitmap, sizeof bm, &bm);
        int width = cx > 0 ? cx : bm.bmHeight;
        list = ImageList_Create(width, bm.bmHeight, ILC_COLOR32 | (crMask != CLR_NONE ? ILC_MASK : 0), 0, 0);
        if (list && ImageList_AddMasked(list, bitmap, crMask) < 0) {
            ImageList_Destroy(list);
            list = nullptr;
        }
        DeleteObject(bitmap);
    } else {
        auto icon = static_cast<HICON>(loaded);
        QImage image = gdiIconImage(icon);
        int width = cx > 0 ? cx : image.width();
        list = ImageList_Create(width, width, ILC_COLOR32 | ILC_MASK, 0, 0);
        if (list && ImageList_AddIcon(list, icon) < 0) {
            ImageList_Destroy(list);
            list = nullptr;
        }
        DestroyIcon(icon);
    }
    return list;
}

}  // extern "C"
