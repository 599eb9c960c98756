// DeleteObject, GetObjectA and GetBitmapBits. Bitmaps are the GDI objects of
// this library; the user-interface library adds fonts, brushes and pens as
// further GdiObject kinds, which the same two calls serve.
#include "res_image.h"

#include <algorithm>

using namespace platform;

namespace {

// Scan lines of a device bitmap are padded to 16 bits.
LONG widthBytes(const BitmapObject &b) { return (b.width * b.bitsPerPixel + 15) / 16 * 2; }

}  // namespace

namespace platform {

int BitmapObject::gdiDescribe(int c, void *pv) const {
    if (pv == nullptr) return static_cast<int>(sizeof(BITMAP));
    if (c < static_cast<int>(sizeof(BITMAP))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = width;
    bm.bmHeight = height;
    bm.bmWidthBytes = widthBytes(*this);
    bm.bmPlanes = 1;
    bm.bmBitsPixel = static_cast<WORD>(bitsPerPixel);
    bm.bmBits = nullptr;
    *static_cast<BITMAP *>(pv) = bm;
    return static_cast<int>(sizeof(BITMAP));
}

}  // namespace platform

extern "C" {

WINBASEAPI BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    auto object = handleGet<GdiObject>(ho);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // A device context that has the object selected keeps it alive.
    if (!object->permanent) handleRemove(handleValue(ho));
    return TRUE;
}

WINBASEAPI int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    auto object = handleGet<GdiObject>(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return object->gdiDescribe(c, pv);
}

WINBASEAPI DWORD WINAPI GetObjectType(HGDIOBJ h) {
    auto object = handleGet<GdiObject>(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return object->gdiType();
}

WINBASEAPI LONG WINAPI GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits) {
    auto bitmap = handleGet<BitmapObject>(hbit);
    if (!bitmap || cb < 0 || (lpvBits == nullptr && cb > 0)) {
        SetLastError(bitmap ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    auto pixels = bitmap->pixels();
    const Image &img = *pixels;
    LONG stride = widthBytes(*bitmap);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    LONG copied = 0;
    auto *out = static_cast<uint8_t *>(lpvBits);
    for (int y = 0; y < img.height && copied < cb; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < img.width; ++x) {
            const uint8_t *p = img.pixel(x, y);
            if (bitmap->bitsPerPixel == 1) {
                if (p[0] | p[1] | p[2]) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                uint8_t *q = &row[static_cast<size_t>(x) * 4];
                q[0] = p[2], q[1] = p[1], q[2] = p[0], q[3] = p[3];
            }
        }
        LONG n = stride < cb - copied ? stride : cb - copied;
        std::copy(row.begin(), row.begin() + n, out + copied);
        copied += n;
    }
    return copied;
}

}  // extern "C"
