#include "sample.h"

#include <gd.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace gallery {

namespace {
bool writeBytes(const std::string& path, const void* data, int size) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), size);
    return static_cast<bool>(out);
}
}  // namespace

bool writeJpeg(const std::string& path, int w, int h, int quality) {
    gdImagePtr im = gdImageCreateTrueColor(w, h);
    if (!im) return false;
    gdImageFilledRectangle(im, 0, 0, w / 2 - 1, h / 2 - 1, gdTrueColor(220, 30, 30));
    gdImageFilledRectangle(im, w / 2, 0, w - 1, h / 2 - 1, gdTrueColor(30, 200, 40));
    gdImageFilledRectangle(im, 0, h / 2, w / 2 - 1, h - 1, gdTrueColor(30, 40, 220));
    gdImageFilledRectangle(im, w / 2, h / 2, w - 1, h - 1, gdTrueColor(250, 250, 250));
    int size = 0;
    void* data = gdImageJpegPtr(im, &size, quality);
    gdImageDestroy(im);
    bool ok = data && writeBytes(path, data, size);
    gdFree(data);
    return ok;
}

bool writeJpegWithMetadata(const std::string& path, int w, int h, long metadataBytes) {
    if (!writeJpeg(path, w, h)) return false;
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    // APP1 segments of at most 65535 bytes each (length field included), after the start of image.
    std::string meta;
    for (long left = metadataBytes; left > 0;) {
        long len = std::min(left, 65533L) + 2;
        meta += "\xFF\xE1";
        meta += static_cast<char>(len >> 8);
        meta += static_cast<char>(len & 0xFF);
        meta += std::string(static_cast<size_t>(len - 2), 'm');
        left -= len - 2;
    }
    bytes.insert(2, meta);
    return writeBytes(path, bytes.data(), static_cast<int>(bytes.size()));
}

int pixelOf(const std::string& path, int x, int y) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    gdImagePtr im = gdImageCreateFromJpeg(f);
    std::fclose(f);
    if (!im) return -1;
    int p = gdImageGetTrueColorPixel(im, x, y);
    gdImageDestroy(im);
    return (gdTrueColorGetRed(p) << 16) | (gdTrueColorGetGreen(p) << 8) | gdTrueColorGetBlue(p);
}

bool jpegBytesSize(const std::string& bytes, int* w, int* h) {
    gdImagePtr im = gdImageCreateFromJpegPtr(static_cast<int>(bytes.size()), const_cast<char*>(bytes.data()));
    if (!im) return false;
    *w = gdImageSX(im);
    *h = gdImageSY(im);
    gdImageDestroy(im);
    return true;
}

bool jpegSize(const std::string& path, int* w, int* h) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return jpegBytesSize(bytes, w, h);
}

bool sameWriteTime(const std::string& a, const std::string& b) {
    WIN32_FILE_ATTRIBUTE_DATA x, y;
    if (!GetFileAttributesExA(a.c_str(), GetFileExInfoStandard, &x) ||
        !GetFileAttributesExA(b.c_str(), GetFileExInfoStandard, &y))
        return false;
    return CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0;
}

char quadrantColour(int rgb) {
    if (rgb < 0) return '?';
    int r = rgb >> 16, g = (rgb >> 8) & 255, b = rgb & 255;
    if (r > 180 && g > 180 && b > 180) return 'W';
    if (r > 150 && g < 100 && b < 100) return 'R';
    if (g > 150 && r < 100 && b < 100) return 'G';
    if (b > 150 && r < 100 && g < 100) return 'B';
    return '?';
}

namespace {

// A landscape-like picture: sky gradient, sun, hills.
bool writeScene(const std::string& path, int w, int h, int hue) {
    gdImagePtr im = gdImageCreateTrueColor(w, h);
    for (int y = 0; y < h; ++y) {
        double t = static_cast<double>(y) / h;
        int col = gdTrueColor(static_cast<int>(90 + 120 * t), static_cast<int>(150 + 80 * t), 235);
        gdImageLine(im, 0, y, w - 1, y, col);
    }
    gdImageFilledEllipse(im, w * (30 + hue * 13 % 50) / 100, h / 4, h / 5, h / 5, gdTrueColor(255, 210, 70));
    for (int x = 0; x < w; ++x) {
        int top = static_cast<int>(h * (0.62 + 0.12 * std::sin((x + hue * 97) * 6.28 / w * (1 + hue % 3))));
        gdImageLine(im, x, top, x, h - 1, gdTrueColor(40 + hue * 20 % 60, 120 + hue * 17 % 60, 60));
    }
    int size = 0;
    void* data = gdImageJpegPtr(im, &size, 88);
    gdImageDestroy(im);
    bool ok = data && writeBytes(path, data, size);
    gdFree(data);
    return ok;
}

}  // namespace

void makeSampleCollection(const std::string& collectionsDir, const std::string& name) {
    namespace fs = std::filesystem;
    std::string dir = collectionsDir + "/" + name;
    fs::create_directories(dir + "/Evening walk");
    const char* names[] = {"Harbour at dawn", "Lighthouse", "Market square", "Old bridge", "Pier", "Sunset over the bay"};
    int i = 0;
    for (const char* n : names) {
        writeScene(dir + "/" + n + ".jpg", i % 2 ? 1200 : 1600, i % 2 ? 1600 : 1200, i);
        ++i;
    }
    writeScene(dir + "/Evening walk/Lanterns.jpg", 1024, 768, 7);
    std::ofstream(dir + "/Packing list.txt") << "sun cream\nhat\ncamera\n";
    std::ofstream(dir + "/Route & <stops>.txt") << "north, then east\n";
    std::ofstream(dir + "/Itinerary.pdf") << "%PDF-1.4\n";
    std::ofstream(dir + "/Ferry tickets.zip") << "PK";
    std::ofstream(dir + "/Caf\xE9 receipts.txt") << "two coffees\n";  // a name from an 8-bit code page
}

}  // namespace gallery
