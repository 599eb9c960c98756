#include "images_probe.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

unsigned be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
unsigned le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned be32(const unsigned char* p) { return (unsigned(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }
long le32s(const unsigned char* p) {
    return static_cast<int>(unsigned(p[0]) | (unsigned(p[1]) << 8) | (unsigned(p[2]) << 16) | (unsigned(p[3]) << 24));
}

int jpeg(const unsigned char* d, int n, int* w, int* h) {
    int i = 2;
    while (i + 4 <= n) {
        if (d[i] != 0xFF) return PROBE_NONE;
        unsigned char m = d[i + 1];
        if (m == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {  // markers without a length
            i += 2;
            continue;
        }
        unsigned len = be16(d + i + 2);
        if (len < 2) return PROBE_NONE;
        bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (sof) {
            if (i + 9 > n) return PROBE_NONE;
            *h = static_cast<int>(be16(d + i + 5));
            *w = static_cast<int>(be16(d + i + 7));
            return (*w > 0 && *h > 0) ? PROBE_JPEG : PROBE_NONE;
        }
        if (m == 0xD9 || m == 0xDA) return PROBE_NONE;  // end of image or scan before any frame
        i += 2 + static_cast<int>(len);
    }
    return PROBE_NONE;
}

}  // namespace

int imageProbeBytes(const unsigned char* d, int n, int* w, int* h) {
    *w = *h = 0;
    if (!d || n < 4) return PROBE_NONE;
    if (d[0] == 0xFF && d[1] == 0xD8) return jpeg(d, n, w, h);
    if (n >= 10 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8') {
        *w = static_cast<int>(le16(d + 6));
        *h = static_cast<int>(le16(d + 8));
        return (*w > 0 && *h > 0) ? PROBE_GIF : PROBE_NONE;
    }
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (n >= 24 && std::equal(png, png + 8, d)) {
        unsigned pw = be32(d + 16), ph = be32(d + 20);
        if (pw == 0 || ph == 0 || pw > 0x7FFFFFFF || ph > 0x7FFFFFFF) return PROBE_NONE;
        *w = static_cast<int>(pw);
        *h = static_cast<int>(ph);
        return PROBE_PNG;
    }
    if (n >= 26 && d[0] == 'B' && d[1] == 'M') {
        unsigned header = static_cast<unsigned>(le32s(d + 14));
        if (header == 12) {  // OS/2 core header
            *w = static_cast<int>(le16(d + 18));
            *h = static_cast<int>(le16(d + 20));
        } else {
            long bw = le32s(d + 18), bh = le32s(d + 22);
            *w = static_cast<int>(bw);
            *h = static_cast<int>(bh < 0 ? -bh : bh);  // negative: stored top-down
        }
        return (*w > 0 && *h > 0) ? PROBE_BMP : PROBE_NONE;
    }
    return PROBE_NONE;
}

int imageProbe(const char* path, int* w, int* h) {
    *w = *h = 0;
    if (!path) return PROBE_NONE;
    FILE* f = std::fopen(path, "rb");
    if (!f) return PROBE_NONE;
    std::vector<unsigned char> buf(65536);
    size_t n = std::fread(buf.data(), 1, buf.size(), f);
    std::fclose(f);
    return imageProbeBytes(buf.data(), static_cast<int>(n), w, h);
}
