// cradle_samplegen DIR: the sample collection of a new program directory.
// Draws a handful of landscape photos into DIR/Collections/Samples (JPEG,
// 800 x 600) and makes their thumbnails the way the photo share server
// does, so the first page a new user opens already shows pictures.
#include "thumb.h"

#include <gd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

struct Scene {
    const char *name;
    int skyTop, skyBottom;  // 0xRRGGBB
    int sun;                // colour of the sun or moon
    double sunX, sunY;      // fractions of the picture
    int near, far;          // hills in front and behind
    bool water;
};

int colour(gdImagePtr im, int rgb) { return gdImageColorAllocate(im, (rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255); }

int blend(int a, int b, double t) {
    auto c = [&](int shift) {
        return static_cast<int>(((a >> shift) & 255) * (1 - t) + ((b >> shift) & 255) * t) << shift;
    };
    return c(16) | c(8) | c(0);
}

void hills(gdImagePtr im, int w, int h, double base, double height, double phase, int rgb) {
    int col = colour(im, rgb);
    for (int x = 0; x < w; ++x) {
        double y = h * base - h * height * (0.5 + 0.5 * std::sin(x * 0.012 + phase) * std::cos(x * 0.005 + phase * 2));
        gdImageLine(im, x, static_cast<int>(y), x, h - 1, col);
    }
}

bool drawScene(const Scene &s, const std::string &path) {
    const int w = 800, h = 600;
    gdImagePtr im = gdImageCreateTrueColor(w, h);
    if (!im) return false;
    for (int y = 0; y < h; ++y) gdImageLine(im, 0, y, w - 1, y, colour(im, blend(s.skyTop, s.skyBottom, y / double(h))));
    int r = h / 10;
    gdImageFilledEllipse(im, static_cast<int>(w * s.sunX), static_cast<int>(h * s.sunY), 2 * r, 2 * r, colour(im, s.sun));
    hills(im, w, h, 0.62, 0.22, 1.3, s.far);
    hills(im, w, h, 0.80, 0.20, 4.1, s.near);
    if (s.water) {
        for (int y = static_cast<int>(h * 0.82); y < h; ++y)
            gdImageLine(im, 0, y, w - 1, y, colour(im, blend(s.skyBottom, 0x1E3C64, (y - h * 0.82) / (h * 0.18))));
        for (int i = 0; i < 12; ++i)
            gdImageLine(im, w / 2 - 80 + i * 7, static_cast<int>(h * 0.84) + i * 8, w / 2 + 80 - i * 7,
                        static_cast<int>(h * 0.84) + i * 8, colour(im, s.sun));
    }
    int size = 0;
    void *data = gdImageJpegPtr(im, &size, 90);
    gdImageDestroy(im);
    if (!data) return false;
    FILE *f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(data, 1, static_cast<size_t>(size), f) == static_cast<size_t>(size);
    if (f) ok = std::fclose(f) == 0 && ok;
    gdFree(data);
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cradle_samplegen PROGRAMDIR\n");
        return 2;
    }
    std::string dir = std::string(argv[1]) + "/Collections";
    mkdir(dir.c_str(), 0755);
    dir += "/Samples";
    mkdir(dir.c_str(), 0755);
    const Scene scenes[] = {
        {"Sunrise over the hills", 0xF6A04D, 0xFDE3A7, 0xFFF4D0, 0.70, 0.45, 0x3E5B2E, 0x7A8C5A, false},
        {"Lake at noon", 0x3A7BD5, 0xBFE3FF, 0xFFFBE0, 0.25, 0.20, 0x2F6B3A, 0x5F8F6E, true},
        {"Evening valley", 0x5B3A8C, 0xF08A5D, 0xFFD27F, 0.50, 0.55, 0x2A2440, 0x5A4270, false},
        {"Moonlit shore", 0x0B1533, 0x2B4A7A, 0xEDEDF5, 0.78, 0.22, 0x101828, 0x22304A, true},
        {"Spring meadow", 0x79B8F2, 0xE2F4FF, 0xFFFFE8, 0.15, 0.18, 0x4E9A2E, 0x8CC46A, false},
        {"Autumn ridge", 0x8FB4D9, 0xF2E2C4, 0xFFF0D8, 0.60, 0.25, 0x9A4A1C, 0xC98A3A, false},
    };
    int failures = 0;
    for (const Scene &s : scenes) {
        std::string photo = dir + "/" + s.name + ".jpg";
        if (!drawScene(s, photo) || thumbMake(photo.c_str(), THUMB_BOX, THUMB_BOX, nullptr, nullptr) <= 0) {
            std::fprintf(stderr, "cradle_samplegen: cannot make %s\n", photo.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
