// Bitmaps: creation, device-independent pixels in and out, and the block
// transfers with their raster operations (monochrome sources take the
// destination's text and background colours, as in GDI).
#include "gdi/dcobject.h"

#include <cstring>

using namespace platform;
using namespace platform::ui;

namespace {

// Largest bitmap side and area accepted (bounds memory use).
constexpr int kMaxSide = 16384;
constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

bool sizeAllowed(int w, int h) {
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && static_cast<int64_t>(w) * h <= kMaxPixels;
}

HBITMAP newBitmap(int w, int h, int bitsPerPixel) {
    auto image = std::make_shared<Image>(w, h);
    for (size_t i = 3; i < image->rgba.size(); i += 4) image->rgba[i] = 255;  // opaque black
    return bitmapCreate(image, bitsPerPixel);
}

std::shared_ptr<DcObject> dcOrFail(HDC hdc) {
    auto dc = dcGet(hdc);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

// Writes into a bitmap that no device context has selected.
template <typename F>
bool writePixels(HBITMAP hbm, F &&write) {
    auto bitmap = handleGet<BitmapObject>(hbm);
    if (!bitmap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    auto pixels = bitmap->beginDrawing();
    if (!pixels) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    write(*pixels, bitmap->bitsPerPixel);
    bitmap->endDrawing();
    return true;
}

// Monochrome pixels are black or white by their brightness.
void toMonochrome(uint8_t *p) {
    uint8_t v = (p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000 >= 128 ? 255 : 0;
    p[0] = p[1] = p[2] = v;
    p[3] = 255;
}

QPainter::CompositionMode modeOf(DWORD rop, bool *ok) {
    *ok = true;
    switch (rop) {
    case SRCCOPY: return QPainter::CompositionMode_Source;
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    default: *ok = false; return QPainter::CompositionMode_Source;
    }
}

// Raster operations that use no source.
bool patternBlt(DcObject &dc, const QRect &target, DWORD rop) {
    QPainter &p = dc.paint();
    switch (rop) {
    case BLACKNESS:
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(target, Qt::black);
        return true;
    case WHITENESS:
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(target, Qt::white);
        return true;
    case DSTINVERT:
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(target, Qt::black);
        return true;
    case PATCOPY:
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(target, dc.state.brush->qbrush());
        return true;
    case PATINVERT:
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(target, dc.state.brush->qbrush());
        return true;
    default: return false;
    }
}

bool stretch(HDC hdcDest, int x, int y, int w, int h, HDC hdcSrc, int sx, int sy, int sw, int sh, DWORD rop) {
    auto dst = dcOrFail(hdcDest);
    if (!dst) return FALSE;
    QRect target(std::min(x, x + w), std::min(y, y + h), std::abs(w), std::abs(h));
    if (patternBlt(*dst, target, rop)) return TRUE;
    bool known = false;
    QPainter::CompositionMode mode = modeOf(rop, &known);
    auto src = dcOrFail(hdcSrc);
    if (!src || !known) {
        if (src) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QImage *surface = src->surface();
    if (!surface) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QRect from = src->paint().transform().mapRect(QRect(std::min(sx, sx + sw), std::min(sy, sy + sh), std::abs(sw), std::abs(sh)));
    QImage part = surface->copy(from).convertToFormat(QImage::Format_RGBA8888);
    // Mirroring when exactly one of the two widths (heights) is negative.
    bool flipX = (w < 0) != (sw < 0), flipY = (h < 0) != (sh < 0);
    if (flipX || flipY) part = part.mirrored(flipX, flipY);
    bool srcMono = src->kind == DcObject::Kind::Memory && src->monochrome();
    bool dstMono = dst->kind == DcObject::Kind::Memory && dst->monochrome();
    if (srcMono && !dstMono) {
        // White pixels take the destination's background colour, black ones its text colour.
        QColor fg = toQColor(dst->state.textColor), bg = toQColor(dst->state.bkColor);
        for (int yy = 0; yy < part.height(); ++yy) {
            auto *row = part.scanLine(yy);
            for (int xx = 0; xx < part.width(); ++xx) {
                uint8_t *px = row + xx * 4;
                const QColor &c = px[0] ? bg : fg;
                px[0] = static_cast<uint8_t>(c.red()), px[1] = static_cast<uint8_t>(c.green()),
                px[2] = static_cast<uint8_t>(c.blue()), px[3] = 255;
            }
        }
    } else if (dstMono && !srcMono) {
        // Pixels of the source's background colour become white, all others black.
        COLORREF bk = src->state.bkColor;
        for (int yy = 0; yy < part.height(); ++yy) {
            auto *row = part.scanLine(yy);
            for (int xx = 0; xx < part.width(); ++xx) {
                uint8_t *px = row + xx * 4;
                uint8_t v = RGB(px[0], px[1], px[2]) == bk ? 255 : 0;
                px[0] = px[1] = px[2] = v, px[3] = 255;
            }
        }
    }
    QPainter &p = dst->paint();
    p.setCompositionMode(mode);
    p.drawImage(target, part);
    return TRUE;
}

}  // namespace

extern "C" {

WINBASEAPI HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    auto dc = dcOrFail(hdc);
    if (!dc) return nullptr;
    if (cx == 0 || cy == 0) return newBitmap(1, 1, 1);
    if (!sizeAllowed(cx, cy)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool mono = dc->kind == DcObject::Kind::Memory && dc->monochrome();
    return newBitmap(cx, cy, mono ? 1 : 32);
}

WINBASEAPI HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void *lpBits) {
    if (!sizeAllowed(nWidth, nHeight) || nPlanes != 1 || (nBitCount != 1 && nBitCount != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HBITMAP bitmap = newBitmap(nWidth, nHeight, static_cast<int>(nBitCount));
    if (bitmap && lpBits) {
        LONG stride = (nWidth * static_cast<LONG>(nBitCount) + 15) / 16 * 2;
        SetBitmapBits(bitmap, static_cast<DWORD>(stride * nHeight), lpBits);
    }
    return bitmap;
}

WINBASEAPI LONG WINAPI SetBitmapBits(HBITMAP hbm, DWORD cb, const void *pvBits) {
    if (!pvBits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LONG copied = 0;
    bool ok = writePixels(hbm, [&](Image &img, int bpp) {
        LONG stride = (img.width * bpp + 15) / 16 * 2;
        auto *in = static_cast<const uint8_t *>(pvBits);
        for (int y = 0; y < img.height && static_cast<DWORD>((y + 1) * stride) <= cb; ++y) {
            const uint8_t *row = in + static_cast<size_t>(y) * static_cast<size_t>(stride);
            for (int x = 0; x < img.width; ++x) {
                uint8_t *p = img.pixel(x, y);
                if (bpp == 1) {
                    uint8_t v = (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
                    p[0] = p[1] = p[2] = v, p[3] = 255;
                } else {
                    const uint8_t *q = row + x * 4;
                    p[0] = q[2], p[1] = q[1], p[2] = q[0], p[3] = q[3];
                }
            }
            copied += stride;
        }
    });
    return ok ? copied : 0;
}

WINBASEAPI int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
                                UINT) {
    auto bitmap = handleGet<BitmapObject>(hbm);
    if (!dcOrFail(hdc) || !bitmap || !lpbmi) {
        SetLastError(bitmap ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    BITMAPINFOHEADER &h = lpbmi->bmiHeader;
    if (lpvBits == nullptr) {
        // Describe the bitmap in its natural form.
        h.biWidth = bitmap->width;
        h.biHeight = bitmap->height;
        h.biPlanes = 1;
        if (h.biBitCount == 0) h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(((bitmap->width * h.biBitCount + 31) / 32) * 4 * bitmap->height);
        return bitmap->height;
    }
    if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB || h.biWidth != bitmap->width ||
        h.biHeight == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto pixels = bitmap->pixels();
    int rows = std::abs(h.biHeight);
    bool bottomUp = h.biHeight > 0;
    int bytes = h.biBitCount / 8;
    size_t stride = static_cast<size_t>((bitmap->width * h.biBitCount + 31) / 32) * 4;
    auto *out = static_cast<uint8_t *>(lpvBits);
    int copied = 0;
    for (UINT line = start; line < start + cLines && static_cast<int>(line) < rows; ++line) {
        // Scan line numbers count from the bottom in a bottom-up layout.
        int y = bottomUp ? rows - 1 - static_cast<int>(line) : static_cast<int>(line);
        if (y >= pixels->height) continue;
        uint8_t *row = out + (line - start) * stride;
        std::memset(row, 0, stride);
        for (int x = 0; x < pixels->width; ++x) {
            const uint8_t *p = pixels->pixel(x, y);
            uint8_t *q = row + x * bytes;
            q[0] = p[2], q[1] = p[1], q[2] = p[0];
            if (bytes == 4) q[3] = 0;
        }
        ++copied;
    }
    return copied;
}

WINBASEAPI int WINAPI SetDIBits(HDC, HBITMAP hbm, UINT start, UINT cLines, const void *lpBits,
                                const BITMAPINFO *lpbmi, UINT) {
    if (!lpBits || !lpbmi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const BITMAPINFOHEADER &h = lpbmi->bmiHeader;
    if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int copied = 0;
    bool ok = writePixels(hbm, [&](Image &img, int bpp) {
        int rows = std::abs(h.biHeight);
        bool bottomUp = h.biHeight > 0;
        int bytes = h.biBitCount / 8;
        size_t stride = static_cast<size_t>((h.biWidth * h.biBitCount + 31) / 32) * 4;
        auto *in = static_cast<const uint8_t *>(lpBits);
        int width = std::min(img.width, static_cast<int>(h.biWidth));
        for (UINT line = start; line < start + cLines && static_cast<int>(line) < rows; ++line) {
            int y = bottomUp ? rows - 1 - static_cast<int>(line) : static_cast<int>(line);
            if (y >= img.height) continue;
            const uint8_t *row = in + (line - start) * stride;
            for (int x = 0; x < width; ++x) {
                const uint8_t *q = row + x * bytes;
                uint8_t *p = img.pixel(x, y);
                p[0] = q[2], p[1] = q[1], p[2] = q[0], p[3] = 255;
                if (bpp == 1) toMonochrome(p);
            }
            ++copied;
        }
    });
    return ok ? copied : 0;
}

WINBASEAPI BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return stretch(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

WINBASEAPI BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                                  int ySrc, int wSrc, int hSrc, DWORD rop) {
    return stretch(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

WINBASEAPI BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    QRect target(std::min(x, x + w), std::min(y, y + h), std::abs(w), std::abs(h));
    if (!patternBlt(*dc, target, rop)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
