// Icons and bitmaps: handle-table objects that hold decoded pixels. The
// windowing layer draws them from here.
#pragma once

#include "handles.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// Pixels top-down, row after row, 4 bytes each: red, green, blue, alpha
// (straight, not premultiplied).
struct PLATFORM_INTERNAL Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 0) {}
    uint8_t *pixel(int x, int y) { return &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4]; }
    const uint8_t *pixel(int x, int y) const {
        return &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
    }
};

class PLATFORM_INTERNAL IconObject : public PlatformObject {
public:
    IconObject(std::shared_ptr<const Image> image, bool shared)
        : PlatformObject(ObjectType::Icon), image(std::move(image)), shared(shared) {}
    const std::shared_ptr<const Image> image;
    const bool shared;  // LR_SHARED: lives as long as the process
};

class PLATFORM_INTERNAL BitmapObject : public PlatformObject {
public:
    BitmapObject(std::shared_ptr<const Image> image, int bitsPerPixel, bool shared)
        : PlatformObject(ObjectType::Bitmap), image(std::move(image)), bitsPerPixel(bitsPerPixel), shared(shared) {}
    const std::shared_ptr<const Image> image;
    // 32 for colour bitmaps; 1 for icon masks (pixels black or white, opaque).
    const int bitsPerPixel;
    const bool shared;
};

// The pixels of an icon or bitmap handle; null for any other handle.
PLATFORM_INTERNAL std::shared_ptr<const Image> iconImage(HICON icon);
PLATFORM_INTERNAL std::shared_ptr<const Image> bitmapImage(HBITMAP bitmap);

// New handles (null, with ERROR_NOT_ENOUGH_MEMORY, when the table is full).
PLATFORM_INTERNAL HICON iconCreate(std::shared_ptr<const Image> image, bool shared = false);
PLATFORM_INTERNAL HBITMAP bitmapCreate(std::shared_ptr<const Image> image, int bitsPerPixel = 32, bool shared = false);

// PNG bytes to pixels (any PNG colour type and depth); false if not a PNG
// or larger than 4096 x 4096.
PLATFORM_INTERNAL bool decodePng(const uint8_t *data, size_t size, Image *out);
// The image resampled to width x height: area averaging of premultiplied
// pixels, which also serves for growing (each target pixel blends the
// source pixels it covers).
PLATFORM_INTERNAL Image scaleImage(const Image &src, int width, int height);

}  // namespace platform
