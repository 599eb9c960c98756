// Decoded images: PNG decoding, resampling, and the icon and bitmap objects
// of the handle table.
#include "res_image.h"

#include <png.h>

#include <cstring>

namespace platform {

std::shared_ptr<const Image> iconImage(HICON icon) {
    auto o = handleGet<IconObject>(icon);
    return o ? o->image : nullptr;
}

std::shared_ptr<const Image> bitmapImage(HBITMAP bitmap) {
    auto o = handleGet<BitmapObject>(bitmap);
    return o ? o->pixels() : nullptr;
}

DWORD BitmapObject::gdiType() const { return OBJ_BITMAP; }

std::shared_ptr<const Image> BitmapObject::pixels() const {
    std::lock_guard lock(mutex_);
    if (drawing_) return std::make_shared<const Image>(*drawing_);
    return image_;
}

std::shared_ptr<Image> BitmapObject::beginDrawing() {
    std::lock_guard lock(mutex_);
    if (drawing_) return nullptr;
    // Nothing else may hold the pixels drawn into: a private copy unless
    // this bitmap is their only owner.
    if (ownImage_ && image_.use_count() == 1)
        drawing_ = std::const_pointer_cast<Image>(image_);
    else
        drawing_ = std::make_shared<Image>(*image_);
    image_ = drawing_;
    ownImage_ = true;
    return drawing_;
}

void BitmapObject::endDrawing() {
    std::lock_guard lock(mutex_);
    drawing_.reset();
}

HICON iconCreate(std::shared_ptr<const Image> image, bool shared) {
    return handleNew<HICON>(std::make_shared<IconObject>(std::move(image), shared));
}

HBITMAP bitmapCreate(std::shared_ptr<const Image> image, int bitsPerPixel, bool shared) {
    return handleNew<HBITMAP>(std::make_shared<BitmapObject>(std::move(image), bitsPerPixel, shared));
}

bool decodePng(const uint8_t *data, size_t size, Image *out) {
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&img, data, size)) return false;
    if (img.width == 0 || img.height == 0 || img.width > 4096 || img.height > 4096) {
        png_image_free(&img);
        return false;
    }
    img.format = PNG_FORMAT_RGBA;
    Image result(static_cast<int>(img.width), static_cast<int>(img.height));
    if (!png_image_finish_read(&img, nullptr, result.rgba.data(), 0, nullptr)) {
        png_image_free(&img);
        return false;
    }
    *out = std::move(result);
    return true;
}

namespace {

// Weights of the source pixels that one target pixel covers along one axis.
struct Span {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Span> spans(int srcLen, int dstLen) {
    std::vector<Span> out(static_cast<size_t>(dstLen));
    double scale = static_cast<double>(srcLen) / dstLen;
    for (int d = 0; d < dstLen; ++d) {
        double a = d * scale, b = (d + 1) * scale;
        int first = static_cast<int>(a);
        int last = static_cast<int>(b);
        if (last >= srcLen) last = srcLen - 1;
        Span &s = out[static_cast<size_t>(d)];
        s.first = first;
        double total = 0;
        for (int i = first; i <= last; ++i) {
            double lo = i > a ? i : a, hi = i + 1 < b ? i + 1 : b;
            double w = hi > lo ? hi - lo : 0;
            s.weights.push_back(w);
            total += w;
        }
        for (double &w : s.weights) w = total > 0 ? w / total : 0;
    }
    return out;
}

}  // namespace

Image scaleImage(const Image &src, int width, int height) {
    if (width == src.width && height == src.height) return src;
    std::vector<Span> xs = spans(src.width, width), ys = spans(src.height, height);
    // Premultiplied channels, so transparent pixels lend no colour.
    std::vector<double> rows(static_cast<size_t>(src.height) * static_cast<size_t>(width) * 4, 0.0);
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < width; ++x) {
            double acc[4] = {0, 0, 0, 0};
            const Span &s = xs[static_cast<size_t>(x)];
            for (size_t k = 0; k < s.weights.size(); ++k) {
                const uint8_t *p = src.pixel(s.first + static_cast<int>(k), y);
                double a = p[3] / 255.0, w = s.weights[k];
                acc[0] += p[0] * a * w, acc[1] += p[1] * a * w, acc[2] += p[2] * a * w, acc[3] += p[3] * w;
            }
            std::memcpy(&rows[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4], acc,
                        sizeof acc);
        }
    Image out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double acc[4] = {0, 0, 0, 0};
            const Span &s = ys[static_cast<size_t>(y)];
            for (size_t k = 0; k < s.weights.size(); ++k) {
                const double *p =
                    &rows[((static_cast<size_t>(s.first) + k) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
                for (int c = 0; c < 4; ++c) acc[c] += p[c] * s.weights[k];
            }
            uint8_t *q = out.pixel(x, y);
            double alpha = acc[3];
            for (int c = 0; c < 3; ++c) {
                double v = alpha > 0 ? acc[c] * 255.0 / alpha : 0;
                q[c] = static_cast<uint8_t>(v > 255 ? 255 : v + 0.5);
            }
            q[3] = static_cast<uint8_t>(alpha > 255 ? 255 : alpha + 0.5);
        }
    return out;
}

}  // namespace platform
