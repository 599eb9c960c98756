// Icons and bitmaps: handle-table objects that hold decoded pixels. The
// windowing layer draws them from here.
#pragma once

#include "handles.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
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

// A GDI object: a bitmap here; fonts, brushes and pens join from the
// user-interface library. DeleteObject and GetObjectA dispatch on this class.
class PLATFORM_INTERNAL GdiObject : public PlatformObject {
public:
    GdiObject(ObjectType type, bool permanent) : PlatformObject(type), permanent(permanent) {}
    // OBJ_BITMAP, OBJ_FONT, OBJ_BRUSH, OBJ_PEN.
    virtual DWORD gdiType() const = 0;
    // GetObjectA: fills pv (c bytes) with the object's record; returns the
    // bytes written, or the record's size when pv is null; 0 on failure.
    virtual int gdiDescribe(int c, void *pv) const = 0;
    // Stock and shared objects: DeleteObject leaves them alone.
    const bool permanent;
};

// A bitmap's pixels may be drawn into by one device context at a time. The
// pixels handed out by pixels() are a snapshot: an image that belongs to
// something else (an icon, another snapshot) is copied before the first
// drawing, so drawing never changes an icon or an earlier snapshot.
class PLATFORM_INTERNAL BitmapObject : public GdiObject {
public:
    BitmapObject(std::shared_ptr<const Image> image, int bitsPerPixel, bool shared)
        : GdiObject(ObjectType::Bitmap, shared), bitsPerPixel(bitsPerPixel), shared(shared),
          width(image->width), height(image->height), image_(std::move(image)) {}
    // 32 for colour bitmaps; 1 for monochrome ones such as icon masks
    // (pixels black or white, opaque).
    const int bitsPerPixel;
    const bool shared;  // LR_SHARED: lives as long as the process
    const int width;
    const int height;

    DWORD gdiType() const override;
    int gdiDescribe(int c, void *pv) const override;

    // The pixels as they are now; while a device context draws into the
    // bitmap, a copy of the current state.
    std::shared_ptr<const Image> pixels() const;
    // For the device context that selects the bitmap: pixels of its own to
    // draw into, or null while another context has it selected.
    std::shared_ptr<Image> beginDrawing();
    // The context deselects the bitmap; what it drew stays.
    void endDrawing();

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const Image> image_;
    std::shared_ptr<Image> drawing_;  // set while selected into a device context
    bool ownImage_ = false;           // image_ was made here, as a mutable image
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
