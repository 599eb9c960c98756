// CopyIcon, DestroyIcon, GetIconInfo and CreateIconIndirect.
#include "res_image.h"

using namespace platform;

extern "C" {

WINBASEAPI HICON WINAPI CopyIcon(HICON hIcon) {
    auto image = iconImage(hIcon);
    if (!image) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return nullptr;
    }
    return iconCreate(image, false);  // pixels are immutable, so the copy shares them
}

WINBASEAPI BOOL WINAPI DestroyIcon(HICON hIcon) {
    auto o = handleGet<IconObject>(hIcon);
    if (!o) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (!o->shared) handleRemove(handleValue(hIcon));
    return TRUE;
}

WINBASEAPI BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
    auto image = iconImage(hIcon);
    if (!image) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (piconinfo == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto mask = std::make_shared<Image>(image->width, image->height);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            uint8_t v = image->pixel(x, y)[3] == 0 ? 255 : 0;  // set where transparent
            uint8_t *m = mask->pixel(x, y);
            m[0] = m[1] = m[2] = v;
            m[3] = 255;
        }
    HBITMAP color = bitmapCreate(image, 32);
    HBITMAP maskBitmap = color ? bitmapCreate(mask, 1) : nullptr;
    if (maskBitmap == nullptr) {
        if (color) DeleteObject(color);
        return FALSE;
    }
    piconinfo->fIcon = TRUE;
    piconinfo->xHotspot = static_cast<DWORD>(image->width / 2);
    piconinfo->yHotspot = static_cast<DWORD>(image->height / 2);
    piconinfo->hbmMask = maskBitmap;
    piconinfo->hbmColor = color;
    return TRUE;
}

WINBASEAPI HICON WINAPI CreateIconIndirect(PICONINFO piconinfo) {
    if (piconinfo == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto color = bitmapImage(piconinfo->hbmColor);
    auto mask = piconinfo->hbmMask ? bitmapImage(piconinfo->hbmMask) : nullptr;
    if (!color || (piconinfo->hbmMask && !mask) ||
        (mask && (mask->width != color->width || mask->height != color->height))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto image = std::make_shared<Image>(*color);
    if (mask)
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                const uint8_t *m = mask->pixel(x, y);
                if (m[0] | m[1] | m[2]) image->pixel(x, y)[3] = 0;
            }
    return iconCreate(std::move(image), false);
}

}  // extern "C"
