// Preview pictures with gd: photos are decoded (at a reduced scale when much
// larger than the box) and fitted with the publishing size rule; other files
// show their type icon. Drawing goes through a 32-bit bitmap.
#include "preview_image.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "images.h"
#include "images_probe.h"
#include "pagecommon.h"
#include "publish.h"
#include "thumb.h"

namespace {

constexpr int RESAMPLE_MAX_W = 640;  // sources up to this size are resampled,
constexpr int RESAMPLE_MAX_H = 480;  // larger ones resized (quicker)
constexpr int EDGE = 2;              // pixels kept clear at the top, right and bottom

gdImagePtr fitPhoto(const char* path, int boxW, int boxH) {
    int w = 0, h = 0;
    if (imageProbe(path, &w, &h) != PROBE_JPEG || w < 1 || h < 1) w = h = 0;
    int tw = w, th = h;
    if (w) publishReducedSize(w, h, boxW, boxH, &tw, &th);
    auto* src = static_cast<gdImagePtr>(thumbDecodeJpeg(path, tw, th));
    if (!src) return nullptr;
    int sw = gdImageSX(src), sh = gdImageSY(src);
    if (!w) publishReducedSize(sw, sh, boxW, boxH, &tw, &th);
    gdImagePtr fitted = gdImageCreateTrueColor(tw, th);
    if (fitted) {
        if (sw <= RESAMPLE_MAX_W || sh <= RESAMPLE_MAX_H)
            gdImageCopyResampled(fitted, src, 0, 0, 0, 0, tw, th, sw, sh);
        else
            gdImageCopyResized(fitted, src, 0, 0, 0, 0, tw, th, sw, sh);
    }
    gdImageDestroy(src);
    return fitted;
}

// The type icon of a file (of its name when it cannot be looked at) on white.
gdImagePtr iconImage(const char* path) {
    const unsigned char* data = nullptr;
    int size = 0;
    if (!imagesIcon(pageModule(), path, false, &data, &size) &&
        !imagesTypeIcon(pageModule(), path, false, false, &data, &size))
        return nullptr;
    gdImagePtr icon = gdImageCreateFromPngPtr(size, const_cast<unsigned char*>(data));
    if (!icon) return nullptr;
    gdImagePtr out = gdImageCreateTrueColor(gdImageSX(icon), gdImageSY(icon));
    if (out) {
        gdImageFilledRectangle(out, 0, 0, gdImageSX(out) - 1, gdImageSY(out) - 1, gdTrueColor(255, 255, 255));
        gdImageAlphaBlending(out, 1);
        gdImageCopy(out, icon, 0, 0, 0, 0, gdImageSX(icon), gdImageSY(icon));
    }
    gdImageDestroy(icon);
    return out;
}

// Quarter turns done pixel by pixel, exactly as publishing turns photos.
gdImagePtr turn(gdImagePtr src, int quarters) {
    int w = gdImageSX(src), h = gdImageSY(src);
    bool swap = quarters % 2 == 1;
    gdImagePtr dst = gdImageCreateTrueColor(swap ? h : w, swap ? w : h);
    if (!dst) return nullptr;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int nx, ny;
            switch (quarters) {
                case 1: nx = y, ny = w - 1 - x; break;
                case 2: nx = w - 1 - x, ny = h - 1 - y; break;
                case 3: nx = h - 1 - y, ny = x; break;
                default: nx = x, ny = y; break;
            }
            dst->tpixels[ny][nx] = src->tpixels[y][x];
        }
    return dst;
}

void drawCentredText(HDC dc, const RECT& area, const char* text) {
    HFONT font = CreateFontA(-8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
    if (!font)
        font = CreateFontA(-8, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT r = area;
    DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (old) SelectObject(dc, old);
    if (font) DeleteObject(font);
}

}  // namespace

gdImagePtr previewMakeImage(const char* path, int boxW, int boxH) {
    if (!path || !*path || boxW < 1 || boxH < 1) return nullptr;
    if (gdImagePtr photo = fitPhoto(path, boxW, boxH)) return photo;
    return iconImage(path);
}

gdImagePtr previewTransformed(gdImagePtr image, int rotation, bool flipH, bool flipV) {
    if (!image) return nullptr;
    gdImagePtr out = turn(image, ((rotation % 4) + 4) % 4);
    if (!out) return nullptr;
    int w = gdImageSX(out), h = gdImageSY(out);
    if (flipH)
        for (int y = 0; y < h; ++y) std::reverse(out->tpixels[y], out->tpixels[y] + w);
    if (flipV)
        for (int y = 0; y < h / 2; ++y) std::swap(out->tpixels[y], out->tpixels[h - 1 - y]);
    return out;
}

void previewPaint(HDC dc, const RECT& area, gdImagePtr image, int rotation, bool flipH, bool flipV) {
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(dc, &area, white);
    gdImagePtr shown = previewTransformed(image, rotation, flipH, flipV);
    if (!shown) {
        drawCentredText(dc, area, "No Preview Available");
        return;
    }
    int cw = area.right - area.left, ch = area.bottom - area.top;
    int iw = gdImageSX(shown), ih = gdImageSY(shown);
    int left = std::max(0, (cw - iw) / 2);
    int top = std::max(EDGE, (ch - ih) / 2);
    int w = std::min(iw, cw - EDGE - left), h = std::min(ih, ch - EDGE - top);
    if (w > 0 && h > 0) {
        std::vector<unsigned char> bits(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int c = shown->tpixels[y][x];
                unsigned char* p = &bits[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4];
                p[0] = static_cast<unsigned char>(gdTrueColorGetBlue(c));
                p[1] = static_cast<unsigned char>(gdTrueColorGetGreen(c));
                p[2] = static_cast<unsigned char>(gdTrueColorGetRed(c));
                p[3] = 255;
            }
        HBITMAP bitmap = CreateBitmap(w, h, 1, 32, bits.data());
        HDC memory = bitmap ? CreateCompatibleDC(dc) : nullptr;
        if (memory) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(dc, area.left + left, area.top + top, w, h, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
        }
        if (bitmap) DeleteObject(bitmap);
    }
    gdImageDestroy(shown);
}
