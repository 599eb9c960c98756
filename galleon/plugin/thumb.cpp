// The thumbnail maker: reuses a fresh ".tmb" file, or decodes the photo at a
// reduced scale, resamples it into the box and stores the result.
#include "thumb.h"

#include <gd.h>

#include <cstdlib>
#include <cstring>

int thumbPath(const char* photoPath, char* out, int size) {
    if (!photoPath || !out || size <= 0) return -2;
    size_t len = std::strlen(photoPath);
    const char* slash = std::strrchr(photoPath, '/');
    const char* dot = std::strrchr(photoPath, '.');
    if (!dot || (slash && dot < slash)) dot = photoPath + len;
    size_t stem = static_cast<size_t>(dot - photoPath);
    if (stem + 5 > static_cast<size_t>(size)) return -2;
    std::memcpy(out, photoPath, stem);
    std::memcpy(out + stem, ".tmb", 5);
    return 0;
}

void thumbFit(int w, int h, int boxW, int boxH, int* tw, int* th) {
    *tw = w;
    *th = h;
    if (w <= boxW && h <= boxH) return;
    double rw = static_cast<double>(w) / boxW, rh = static_cast<double>(h) / boxH;
    double r = rw > rh ? rw : rh;
    *tw = static_cast<int>(w / r + 1e-6);
    *th = static_cast<int>(h / r + 1e-6);
    if (*tw > boxW) *tw = boxW;
    if (*th > boxH) *th = boxH;
    if (*tw < 1) *tw = 1;
    if (*th < 1) *th = 1;
}

namespace {

bool sameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Reads a stored thumbnail when it is fresh; returns its size or 0.
int readFresh(const char* tmb, const FILETIME& photoTime, unsigned char** out) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(tmb, GetFileExInfoStandard, &a)) return 0;
    if (!sameTime(a.ftLastWriteTime, photoTime) || a.nFileSizeHigh || a.nFileSizeLow == 0 ||
        a.nFileSizeLow > 16u * 1024 * 1024)
        return 0;
    if (!out) return static_cast<int>(a.nFileSizeLow);
    HANDLE f = CreateFileA(tmb, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;  // being written: make our own
    DWORD size = a.nFileSizeLow, got = 0;
    auto* data = static_cast<unsigned char*>(std::malloc(size));
    bool ok = data && ReadFile(f, data, size, &got, nullptr) && got == size;
    CloseHandle(f);
    // A file rewritten meanwhile no longer carries the photo's time.
    WIN32_FILE_ATTRIBUTE_DATA again;
    ok = ok && GetFileAttributesExA(tmb, GetFileExInfoStandard, &again) &&
         sameTime(again.ftLastWriteTime, photoTime) && again.nFileSizeLow == size;
    if (!ok) {
        std::free(data);
        return 0;
    }
    *out = data;
    return static_cast<int>(size);
}

// Stores the thumbnail; only one writer at a time gets the file.
void store(const char* tmb, const void* data, int size, const FILETIME& photoTime, bool haveTime) {
    HANDLE f = CreateFileA(tmb, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    bool ok = WriteFile(f, data, static_cast<DWORD>(size), &written, nullptr) && written == static_cast<DWORD>(size);
    if (ok && haveTime) ok = SetFileTime(f, nullptr, nullptr, &photoTime);
    CloseHandle(f);
    if (!ok) {
        DeleteFileA(tmb);
        return;
    }
    DWORD attrs = GetFileAttributesA(tmb);
    if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_HIDDEN))
        SetFileAttributesA(tmb, attrs | FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace

int thumbMake(const char* photoPath, int boxW, int boxH, unsigned char** out, FILETIME* photoTime) {
    if (out) *out = nullptr;
    FILETIME t = {0, 0};
    if (photoTime) *photoTime = t;
    if (!photoPath || boxW < 1 || boxH < 1) return 0;
    WIN32_FILE_ATTRIBUTE_DATA a;
    bool haveTime = GetFileAttributesExA(photoPath, GetFileExInfoStandard, &a) &&
                    !(a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (haveTime) t = a.ftLastWriteTime;
    if (photoTime) *photoTime = t;

    char tmb[MAX_PATH];
    bool haveTmb = thumbPath(photoPath, tmb, sizeof tmb) == 0;
    if (haveTmb && haveTime && out) {
        int size = readFresh(tmb, t, out);
        if (size > 0) return size;
    }

    auto* im = static_cast<gdImagePtr>(thumbDecodeJpeg(photoPath, boxW, boxH));
    if (!im) return 0;
    // Fit the original proportions: the decoder's reduced scale rounds up.
    int tw, th;
    thumbFit(gdImageSX(im), gdImageSY(im), boxW, boxH, &tw, &th);
    gdImagePtr small = gdImageCreateTrueColor(tw, th);
    if (!small) {
        gdImageDestroy(im);
        return 0;
    }
    gdImageCopyResampled(small, im, 0, 0, 0, 0, tw, th, gdImageSX(im), gdImageSY(im));
    gdImageDestroy(im);
    int size = 0;
    void* jpeg = gdImageJpegPtr(small, &size, THUMB_QUALITY);
    gdImageDestroy(small);
    if (!jpeg || size <= 0) {
        if (jpeg) gdFree(jpeg);
        return 0;
    }
    if (out) {
        *out = static_cast<unsigned char*>(std::malloc(size));
        if (*out) std::memcpy(*out, jpeg, size);
    }
    if (haveTmb) store(tmb, jpeg, size, t, haveTime);
    gdFree(jpeg);
    if (out && !*out) return 0;
    return size;
}
