#include "images_probe.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr long kWindow = 65536;

unsigned be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
unsigned le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned be32(const unsigned char* p) { return (unsigned(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }
long le32s(const unsigned char* p) {
    return static_cast<int>(unsigned(p[0]) | (unsigned(p[1]) << 8) | (unsigned(p[2]) << 16) | (unsigned(p[3]) << 24));
}

// The bytes the JPEG walk reads: bytes in memory, or a file seen through a
// window of 64 KiB that moves to wherever the walk looks next, so a frame
// header behind large camera metadata is still found.
class Source {
public:
    Source(const unsigned char* data, long size) : data_(data), size_(size), end_(size) {}
    Source(FILE* file, const unsigned char* head, long headSize, long fileSize)
        : file_(file), data_(head), size_(headSize), end_(fileSize) {}

    // Copies n bytes at offset; false past the end of the data or on a read error.
    bool get(long offset, unsigned char* out, long n) {
        if (offset < 0 || offset > end_ - n) return false;
        if (offset < start_ || offset + n > start_ + size_) {
            if (!file_ || std::fseek(file_, offset, SEEK_SET) != 0) return false;
            window_.resize(kWindow);
            data_ = window_.data();
            start_ = offset;
            size_ = static_cast<long>(std::fread(window_.data(), 1, window_.size(), file_));
            if (n > size_) return false;
        }
        std::memcpy(out, data_ + (offset - start_), static_cast<size_t>(n));
        return true;
    }

private:
    FILE* file_ = nullptr;
    const unsigned char* data_;
    long start_ = 0, size_, end_;
    std::vector<unsigned char> window_;
};

// Follows the markers from the start of the image to the first frame header.
// Every step moves forward, so the walk ends at the end of the data at the latest.
int jpeg(Source& src, int* w, int* h) {
    long i = 2;
    unsigned char m[4];
    while (src.get(i, m, 2)) {
        if (m[0] != 0xFF) return PROBE_NONE;
        unsigned char marker = m[1];
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            i += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return PROBE_NONE;  // end of image or scan before any frame
        if (!src.get(i + 2, m, 2)) return PROBE_NONE;
        unsigned len = be16(m);
        if (len < 2) return PROBE_NONE;
        bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (!src.get(i + 5, m, 4)) return PROBE_NONE;
            *h = static_cast<int>(be16(m));
            *w = static_cast<int>(be16(m + 2));
            return (*w > 0 && *h > 0) ? PROBE_JPEG : PROBE_NONE;
        }
        i += 2 + static_cast<long>(len);
    }
    return PROBE_NONE;
}

// GIF, PNG and BMP keep their size in the first bytes; JPEG is walked in src,
// which starts with the same bytes as d.
int probe(const unsigned char* d, int n, Source& src, int* w, int* h) {
    *w = *h = 0;
    if (!d || n < 4) return PROBE_NONE;
    if (d[0] == 0xFF && d[1] == 0xD8) return jpeg(src, w, h);
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

}  // namespace

int imageProbeBytes(const unsigned char* d, int n, int* w, int* h) {
    Source src(d, n);
    return probe(d, n, src, w, h);
}

int imageProbe(const char* path, int* w, int* h) {
    *w = *h = 0;
    if (!path) return PROBE_NONE;
    FILE* f = std::fopen(path, "rb");
    if (!f) return PROBE_NONE;
    long fileSize = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) fileSize = std::ftell(f);
    std::rewind(f);
    std::vector<unsigned char> head(kWindow);
    long n = static_cast<long>(std::fread(head.data(), 1, head.size(), f));
    int kind = PROBE_NONE;
    if (fileSize >= n) {
        Source src(f, head.data(), n, fileSize);
        kind = probe(head.data(), static_cast<int>(n), src, w, h);
    }
    std::fclose(f);
    return kind;
}
