// The photo transform: reduction, quarter turns and flips of a JPEG photo.
#include "publish.h"

#include "images_probe.h"
#include "thumb.h"

#include <gd.h>

#include <cstring>

void publishReducedSize(int w, int h, int maxW, int maxH, int* outW, int* outH) {
    *outW = w;
    *outH = h;
    if (maxW < 1 || maxH < 1) return;
    double rw = static_cast<double>(w) / maxW, rh = static_cast<double>(h) / maxH;
    if (rw < 1 && rh < 1) return;
    double nw, nh;
    if (h / rw > maxH) {
        nw = w / rh;
        nh = h / rh;
    } else {
        nw = w / rw;
        nh = h / rw;
        if (nw > maxW) {
            nw = w / rh;
            nh = h / rh;
        }
    }
    // Whole pixels, truncated; the epsilon keeps 239.9999... from a ratio
    // that is exact on paper at 240.
    *outW = static_cast<int>(nw + 1e-6);
    *outH = static_cast<int>(nh + 1e-6);
    if (*outW > maxW) *outW = maxW;
    if (*outH > maxH) *outH = maxH;
    if (*outW < 1) *outW = 1;
    if (*outH < 1) *outH = 1;
}

namespace {

void flipHorizontal(gdImagePtr im) {
    int w = gdImageSX(im), h = gdImageSY(im);
    for (int y = 0; y < h; ++y) {
        int* row = im->tpixels[y];
        for (int x = 0; x < w / 2; ++x) std::swap(row[x], row[w - 1 - x]);
    }
}

void flipVertical(gdImagePtr im) {
    int h = gdImageSY(im);
    for (int y = 0; y < h / 2; ++y) std::swap(im->tpixels[y], im->tpixels[h - 1 - y]);
}

// Quarter turns counter-clockwise, done pixel by pixel: exact, unlike a
// general rotation, so no row or column is lost or blurred.
gdImagePtr turn(gdImagePtr src, int quarters) {
    int w = gdImageSX(src), h = gdImageSY(src);
    bool swap = quarters % 2 == 1;
    gdImagePtr dst = gdImageCreateTrueColor(swap ? h : w, swap ? w : h);
    if (!dst) return nullptr;
    for (int y = 0; y < h; ++y) {
        const int* row = src->tpixels[y];
        for (int x = 0; x < w; ++x) {
            int nx, ny;
            switch (quarters) {
                case 1: nx = y; ny = w - 1 - x; break;          // 90 degrees counter-clockwise
                case 2: nx = w - 1 - x; ny = h - 1 - y; break;  // 180 degrees
                default: nx = h - 1 - y; ny = x; break;         // 270 degrees
            }
            dst->tpixels[ny][nx] = row[x];
        }
    }
    return dst;
}

bool writeAll(const char* path, const void* data, int size) {
    HANDLE f = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, data, static_cast<DWORD>(size), &written, nullptr) && written == static_cast<DWORD>(size);
    ok = CloseHandle(f) && ok;
    if (!ok) DeleteFileA(path);
    return ok;
}

}  // namespace

int publishTransformPhoto(const char* source, const char* dest, bool flipH, bool flipV, int rotation, int maxW,
                          int maxH) {
    if (!source || !dest) return -2;
    rotation = ((rotation % 4) + 4) % 4;
    int w = 0, h = 0;
    int kind = imageProbe(source, &w, &h);
    bool fits = (maxW == 0 || maxW >= w) && (maxH == 0 || maxH >= h);
    if (kind != PROBE_JPEG || (fits && !flipH && !flipV && rotation == 0))
        return CopyFileA(source, dest, TRUE) ? 0 : -3;

    int tw, th;
    publishReducedSize(w, h, maxW, maxH, &tw, &th);
    // Decode at a reduced scale when the target is much smaller.
    auto* src = static_cast<gdImagePtr>(thumbDecodeJpeg(source, tw, th));
    if (!src) return -3;
    gdImagePtr im = gdImageCreateTrueColor(tw, th);
    if (!im) {
        gdImageDestroy(src);
        return -4;
    }
    gdImageCopyResampled(im, src, 0, 0, 0, 0, tw, th, gdImageSX(src), gdImageSY(src));
    gdImageDestroy(src);
    if (rotation) {
        gdImagePtr turned = turn(im, rotation);
        gdImageDestroy(im);
        if (!turned) return -4;
        im = turned;
    }
    if (flipH) flipHorizontal(im);
    if (flipV) flipVertical(im);
    int size = 0;
    void* jpeg = gdImageJpegPtr(im, &size, THUMB_QUALITY);
    gdImageDestroy(im);
    if (!jpeg) return -4;
    bool ok = writeAll(dest, jpeg, size);
    gdFree(jpeg);
    return ok ? 0 : -3;
}
