// LoadImageA, LoadIconA and LoadBitmapA. Icons and bitmaps are stored as PNG data: a bitmap is
// one RT_BITMAP resource; an icon is an RT_GROUP_ICON directory whose entries
// name RT_ICON images of several sizes.
#include "res_blob.h"
#include "res_image.h"

#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <tuple>

using namespace platform;

namespace {

constexpr int kDefaultIconSize = 32;  // SM_CXICON / SM_CYICON

struct Source {
    std::vector<uint8_t> fileBytes;  // LR_LOADFROMFILE
    const uint8_t *data = nullptr;
    size_t size = 0;
};

bool readWholeFile(const char *path, std::vector<uint8_t> *out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The image of an icon group that best fits the wanted size: the exact size,
// else the smallest larger one (shrinking looks better), else the largest.
bool chooseIconImage(const uint8_t *dir, size_t size, int wantW, int wantH, uint16_t *id) {
    if (size < 6 || le16(dir) != 0 || le16(dir + 2) != 1) return false;
    size_t count = le16(dir + 4);
    if (count == 0 || (size - 6) / 14 < count) return false;
    int best = -1, bestW = 0, bestH = 0;
    auto rank = [&](int w, int h) {  // lower is better
        if (w == wantW && h == wantH) return 0;
        if (w >= wantW && h >= wantH) return 1;
        return 2;
    };
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *e = dir + 6 + i * 14;
        int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        bool better = false;
        if (best < 0) better = true;
        else if (rank(w, h) != rank(bestW, bestH)) better = rank(w, h) < rank(bestW, bestH);
        else if (rank(w, h) == 1) better = w * h < bestW * bestH;
        else if (rank(w, h) == 2) better = w * h > bestW * bestH;
        if (better) best = static_cast<int>(i), bestW = w, bestH = h;
    }
    *id = le16(dir + 6 + static_cast<size_t>(best) * 14 + 12);
    return true;
}

// Finds the PNG bytes to load; sets the last error and returns false if none.
bool findImage(HINSTANCE module, LPCSTR name, UINT type, int wantW, int wantH, UINT flags, Source *src) {
    if (flags & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name) || !readWholeFile(name, &src->fileBytes)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        src->data = src->fileBytes.data();
        src->size = src->fileBytes.size();
        return true;
    }
    ResBlob blob;
    DWORD error = 0;
    if (!moduleBlob(module, &blob, &error)) {
        SetLastError(error);
        return false;
    }
    ResKey key = ResKey::from(name);
    const ResBlobEntry *e = blob.find(ResKey::from(type == IMAGE_ICON ? RT_GROUP_ICON : RT_BITMAP), key, &error);
    if (e != nullptr && type == IMAGE_ICON) {
        uint16_t id = 0;
        if (!chooseIconImage(blob.entryData(e), e->dataSize, wantW, wantH, &id)) {
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        e = blob.find(ResKey::from(RT_ICON), ResKey::number(id), &error);
    }
    if (e == nullptr) {
        SetLastError(error);
        return false;
    }
    src->data = blob.entryData(e);
    src->size = e->dataSize;
    return true;
}

// LR_SHARED images: one handle per image content, kind and size. Keyed by a
// hash of the PNG bytes rather than by module, so a module that is unloaded
// and replaced by a new file never hands out the old file's image.
using SharedKey = std::tuple<UINT, uint64_t, size_t, int, int>;

struct SharedCache {
    std::mutex lock;
    std::map<SharedKey, HandleValue> handles;
};

SharedCache &sharedCache() {
    static SharedCache *c = new SharedCache;  // lives as long as the shared handles
    return *c;
}

uint64_t fnv1a(const uint8_t *p, size_t n) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

}  // namespace

extern "C" {

WINBASEAPI HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (name == nullptr || cx < 0 || cy < 0 || (type != IMAGE_ICON && type != IMAGE_BITMAP)) {
        SetLastError(type == IMAGE_CURSOR ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool icon = type == IMAGE_ICON;
    int wantW = cx ? cx : kDefaultIconSize, wantH = cy ? cy : kDefaultIconSize;
    Source src;
    if (!findImage(hInst, name, type, wantW, wantH, fuLoad, &src)) return nullptr;

    // Final size: the size asked for; 0 is the default icon size with
    // LR_DEFAULTSIZE, else the image's own.
    auto decodeScaled = [&](Image *out) {
        Image img;
        if (!decodePng(src.data, src.size, &img)) return false;
        int w = cx ? cx : (icon && (fuLoad & LR_DEFAULTSIZE)) ? kDefaultIconSize : img.width;
        int h = cy ? cy : (icon && (fuLoad & LR_DEFAULTSIZE)) ? kDefaultIconSize : img.height;
        *out = scaleImage(img, w, h);
        return true;
    };
    auto create = [&](std::shared_ptr<const Image> img, bool shared) -> HANDLE {
        return icon ? static_cast<HANDLE>(iconCreate(std::move(img), shared))
                    : static_cast<HANDLE>(bitmapCreate(std::move(img), 32, shared));
    };

    if (!(fuLoad & LR_SHARED)) {
        auto img = std::make_shared<Image>();
        if (!decodeScaled(img.get())) {
            SetLastError(ERROR_INVALID_DATA);
            return nullptr;
        }
        return create(std::move(img), false);
    }
    bool defaultSize = icon && (fuLoad & LR_DEFAULTSIZE);
    SharedKey key{type, fnv1a(src.data, src.size), src.size, cx ? cx : defaultSize ? kDefaultIconSize : 0,
                  cy ? cy : defaultSize ? kDefaultIconSize : 0};
    SharedCache &cache = sharedCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    auto it = cache.handles.find(key);
    if (it != cache.handles.end() && handleGetObject(it->second)) return handleFromValue(it->second);
    auto img = std::make_shared<Image>();
    if (!decodeScaled(img.get())) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    HANDLE h = create(std::move(img), true);
    if (h != nullptr) cache.handles[key] = handleValue(h);
    return h;
}

WINBASEAPI HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    return static_cast<HICON>(LoadImageA(hInstance, lpIconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

WINBASEAPI HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
    return static_cast<HBITMAP>(LoadImageA(hInstance, lpBitmapName, IMAGE_BITMAP, 0, 0, 0));
}

}  // extern "C"
