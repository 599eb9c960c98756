// thumbmaker make DIR N        writes N 12-megapixel photos (4000 x 3000) into DIR
// thumbmaker PHOTO OUT         makes the 94 x 94 thumbnail of PHOTO with galleon's
//                              thumbnail maker and writes it to OUT
#include <gd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "thumb.h"

namespace {

// A photo-like picture with smooth areas, edges and fine grain, so that the
// JPEG holds as much detail as a real photo of that size.
bool makePhoto(const std::string& path, int seed) {
    const int w = 4000, h = 3000;
    gdImagePtr im = gdImageCreateTrueColor(w, h);
    if (!im) return false;
    std::srand(seed);
    for (int y = 0; y < h; ++y) {
        int* row = im->tpixels[y];
        for (int x = 0; x < w; ++x) {
            double sky = static_cast<double>(y) / h;
            double hill = h * (0.6 + 0.1 * std::sin((x + seed * 300) * 0.003) + 0.04 * std::sin(x * 0.021));
            int grain = (std::rand() & 31) - 16;
            int r, g, b;
            if (y < hill) {
                r = static_cast<int>(80 + 120 * sky);
                g = static_cast<int>(140 + 80 * sky);
                b = 235;
            } else {
                r = 50 + (x * 7 + y * 3) % 40;
                g = 120 + (x ^ y) % 60;
                b = 60;
            }
            auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
            row[x] = gdTrueColor(clamp(r + grain), clamp(g + grain), clamp(b + grain));
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        gdImageDestroy(im);
        return false;
    }
    gdImageJpeg(im, f, 90);
    gdImageDestroy(im);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "make") == 0) {
        int n = std::atoi(argv[3]);
        for (int i = 0; i < n; ++i) {
            std::string path = std::string(argv[2]) + "/photo" + std::to_string(i) + ".jpg";
            if (!makePhoto(path, i)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: thumbmaker make DIR N | thumbmaker PHOTO OUT\n");
        return 2;
    }
    unsigned char* bytes = nullptr;
    int size = thumbMake(argv[1], THUMB_BOX, THUMB_BOX, &bytes, nullptr);
    if (size <= 0) {
        std::fprintf(stderr, "no thumbnail for %s\n", argv[1]);
        return 1;
    }
    FILE* f = std::fopen(argv[2], "wb");
    bool ok = f && std::fwrite(bytes, 1, size, f) == static_cast<size_t>(size);
    if (f) ok = std::fclose(f) == 0 && ok;
    std::free(bytes);
    return ok ? 0 : 1;
}
