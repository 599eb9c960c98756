// Built-in pictures and icons: "PNG" resources of the plug-in's own module.
#include "images.h"

#include "mimetypes_desc.h"

#include <gd.h>

#include <cstring>
#include <string>

bool imagesBuiltin(HMODULE module, const char* name, const unsigned char** data, int* size) {
    if (!name || !*name) return false;
    HRSRC res = FindResourceA(module, name, "PNG");
    if (!res) return false;
    HGLOBAL mem = LoadResource(module, res);
    DWORD n = SizeofResource(module, res);
    const void* p = mem ? LockResource(mem) : nullptr;
    if (!p || n == 0) return false;
    *data = static_cast<const unsigned char*>(p);
    *size = static_cast<int>(n);
    return true;
}

bool imagesIcon(HMODULE module, const char* path, bool small, const unsigned char** data, int* size) {
    if (!path) return false;
    DWORD attrs = GetFileAttributesA(path);
    size_t len = std::strlen(path);
    bool folder = (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) ||
                  (attrs == INVALID_FILE_ATTRIBUTES && len && path[len - 1] == '/');
    return imagesTypeIcon(module, path, folder, small, data, size);
}

bool imagesTypeIcon(HMODULE module, const char* name, bool folder, bool small, const unsigned char** data,
                    int* size) {
    if (!name) return false;
    std::string icon = std::string("icon_") + (folder ? "folder" : mimeIconFamily(name)) + (small ? "_16" : "_32");
    return imagesBuiltin(module, icon.c_str(), data, size);
}

std::string imagesUsagePicture(int diameter, long long used, long long free) {
    if (diameter < 1 || used < 0 || free < 0) return {};
    if (diameter > 200) diameter = 200;
    gdImagePtr im = gdImageCreate(diameter, diameter);
    if (!im) return {};
    gdImageColorAllocate(im, 255, 255, 255);  // first colour: the background
    int black = gdImageColorAllocate(im, 0, 0, 0);
    int grey = gdImageColorAllocate(im, 192, 192, 192);
    // In floating point: the two counts come from the request and their sum
    // may not fit a long long.
    double total = static_cast<double>(used) + static_cast<double>(free);
    int angle = total > 0 ? static_cast<int>(static_cast<double>(used) / total * 360.0) : 0;
    int c = diameter / 2, d = diameter - 1;
    if (angle > 0) {
        gdImageFilledArc(im, c, c, d, d, 0, angle, grey, gdPie);
        gdImageFilledArc(im, c, c, d, d, 0, angle, black, gdEdged | gdNoFill);
    }
    gdImageArc(im, c, c, d, d, 0, 360, black);
    int size = 0;
    void* png = gdImagePngPtrEx(im, &size, 9);
    gdImageDestroy(im);
    if (!png) return {};
    std::string out(static_cast<const char*>(png), size);
    gdFree(png);
    return out;
}

const char* imagesContentType(const unsigned char* data, int size) {
    if (size >= 4 && std::memcmp(data, "GIF8", 4) == 0) return "image/gif";
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) return "image/jpeg";
    return "image/png";
}
