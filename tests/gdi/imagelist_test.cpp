// Image lists: strips cut into images, magenta and bitmap masks, icons,
// drawing styles and the list's bounds.
#include "support.h"

#include "win/imagelist.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kGreen = RGB(0, 128, 0);

// A strip of n 8 x 8 cells on magenta; cell k has a 4 x 4 square of colors[k] at (2, 2).
HBITMAP strip(int n, const COLORREF *colors) {
    Canvas c(8 * n, 8);
    HBRUSH magenta = CreateSolidBrush(kMagenta);
    RECT all{0, 0, 8 * n, 8};
    FillRect(c.dc, &all, magenta);
    DeleteObject(magenta);
    for (int k = 0; k < n; ++k) {
        HBRUSH b = CreateSolidBrush(colors[k]);
        RECT square{8 * k + 2, 2, 8 * k + 6, 6};
        FillRect(c.dc, &square, b);
        DeleteObject(b);
    }
    SelectObject(c.dc, c.previous);
    HBITMAP result = c.bitmap;
    c.bitmap = CreateBitmap(1, 1, 1, 32, nullptr);  // the canvas deletes this one instead
    return result;
}

TEST(ImageLists, MagentaMaskedStripsBecomeTransparentImages) {
    const COLORREF colors[3] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
    HIMAGELIST list = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 3, 1);
    ASSERT_NE(list, nullptr);
    HBITMAP bitmap = strip(3, colors);
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, kMagenta), 0);
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, kMagenta), 3);
    EXPECT_EQ(ImageList_GetImageCount(list), 6);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 8);
    EXPECT_EQ(cy, 8);

    Canvas c(16, 8);
    HBRUSH green = CreateSolidBrush(kGreen);
    RECT all{0, 0, 16, 8};
    FillRect(c.dc, &all, green);
    ASSERT_TRUE(ImageList_Draw(list, 1, c.dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(c.count(RGB(0, 0, 255), 0, 0, 8, 8), 16);
    EXPECT_EQ(c.count(kGreen, 0, 0, 8, 8), 64 - 16);
    EXPECT_EQ(c.count(kMagenta, 0, 0, 16, 8), 0);
    // A background colour shows behind the transparent pixels with ILD_NORMAL.
    ImageList_SetBkColor(list, RGB(255, 255, 255));
    ASSERT_TRUE(ImageList_Draw(list, 2, c.dc, 8, 0, ILD_NORMAL));
    EXPECT_EQ(c.count(RGB(255, 255, 255), 8, 0, 16, 8), 64 - 16);
    EXPECT_EQ(c.count(RGB(255, 255, 0), 8, 0, 16, 8), 16);
    // The mask: black where opaque.
    ASSERT_TRUE(ImageList_Draw(list, 0, c.dc, 0, 0, ILD_MASK));
    EXPECT_EQ(c.count(RGB(0, 0, 0), 0, 0, 8, 8), 16);
    EXPECT_EQ(c.count(RGB(255, 255, 255), 0, 0, 8, 8), 48);
    // The source bitmap keeps its magenta.
    Canvas probe(1, 1);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), kMagenta);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(green);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(ImageList_Destroy(list));
}

TEST(ImageLists, MaskBitmapsAndIcons) {
    const COLORREF colors[1] = {RGB(255, 0, 0)};
    HBITMAP image = strip(1, colors);
    // Mask: white (transparent) except the top row.
    Canvas mask(8, 8);
    RECT row{0, 0, 8, 1};
    FillRect(mask.dc, &row, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(mask.dc, mask.previous);
    HIMAGELIST list = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_Add(list, image, mask.bitmap), 0);
    SelectObject(mask.dc, mask.bitmap);
    Canvas c(8, 8);
    ImageList_Draw(list, 0, c.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(c.count(kMagenta, 0, 0, 8, 8), 8);
    EXPECT_EQ(c.count(RGB(255, 255, 255), 0, 0, 8, 8), 56);

    // An icon out of the list draws as the list does; icons added are scaled.
    HICON icon = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ASSERT_NE(icon, nullptr);
    Canvas drawn(16, 16);
    DrawIconEx(drawn.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(drawn.count(kMagenta, 0, 0, 8, 8), 8);
    HIMAGELIST big = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_AddIcon(big, icon), 0);
    Canvas c2(16, 16);
    ImageList_Draw(big, 0, c2.dc, 0, 0, ILD_TRANSPARENT);
    // The one opaque row becomes two (their lower edge blended).
    EXPECT_GE(c2.inked(0, 0, 16, 3), 32);
    EXPECT_EQ(c2.inked(0, 3, 16, 16), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(big, 0, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(big, 5, icon), -1);
    DestroyIcon(icon);
    DeleteObject(image);
    ImageList_Destroy(list);
    ImageList_Destroy(big);
}

TEST(ImageLists, BoundsAndRemoval) {
    EXPECT_EQ(ImageList_Create(0, 16, ILC_COLOR32, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(100000, 16, ILC_COLOR32, 1, 1), nullptr);
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32, 1, 1);
    ASSERT_TRUE(ImageList_SetImageCount(list, 3));
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    EXPECT_TRUE(ImageList_Remove(list, 1));
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    EXPECT_FALSE(ImageList_Remove(list, 2));
    Canvas c(4, 4);
    EXPECT_FALSE(ImageList_Draw(list, 2, c.dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(list, -1, c.dc, 0, 0, ILD_NORMAL));
    EXPECT_TRUE(ImageList_RemoveAll(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_EQ(ImageList_AddMasked(list, nullptr, kMagenta), -1);
    ImageList_Destroy(list);
}

}  // namespace

namespace {

void put32(std::string &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void chunk(std::string &out, const char *type, const std::string &data) {
    put32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()), static_cast<uInt>(body.size()))));
}

// An RGB PNG file of w x h pixels from pixel(x, y) (0xRRGGBB).
template <typename F>
void writePng(const std::string &path, int w, int h, F pixel) {
    std::string raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            uint32_t c = pixel(x, y);
            raw.push_back(static_cast<char>(c >> 16)), raw.push_back(static_cast<char>(c >> 8)), raw.push_back(static_cast<char>(c));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef *>(packed.data()), &size, reinterpret_cast<const Bytef *>(raw.data()), static_cast<uLong>(raw.size()));
    packed.resize(size);
    std::string png = "\x89PNG\r\n\x1a\n", header;
    put32(header, static_cast<uint32_t>(w));
    put32(header, static_cast<uint32_t>(h));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", "");
    std::ofstream(path, std::ios::binary) << png;
}

TEST(ImageLists, LoadedStripsAreCutAndMasked) {
    char pattern[] = "/tmp/gdi-imagelist-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string path = std::string(pattern) + "/strip.png";
    // Three 16 x 16 cells on magenta, each with a 4 x 4 square of its own colour.
    const uint32_t colors[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    writePng(path, 48, 16, [&](int x, int y) {
        int cell = x / 16, cx = x % 16;
        return (cx >= 6 && cx < 10 && y >= 6 && y < 10) ? colors[cell] : 0xFF00FFu;
    });
    HIMAGELIST list = ImageList_LoadImageA(nullptr, path.c_str(), 16, 0, CLR_DEFAULT, IMAGE_BITMAP, LR_LOADFROMFILE);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    Canvas c(16, 16);
    ASSERT_TRUE(ImageList_Draw(list, 2, c.dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(c.count(RGB(0, 0, 255), 0, 0, 16, 16), 16);
    EXPECT_EQ(c.count(RGB(255, 255, 255), 0, 0, 16, 16), 256 - 16);
    ImageList_Destroy(list);
    // Without a mask colour the magenta stays.
    list = ImageList_LoadImageA(nullptr, path.c_str(), 16, 0, CLR_NONE, IMAGE_BITMAP, LR_LOADFROMFILE);
    ASSERT_NE(list, nullptr);
    ImageList_Draw(list, 0, c.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(c.count(kMagenta, 0, 0, 16, 16), 256 - 16);
    ImageList_Destroy(list);
    EXPECT_EQ(ImageList_LoadImageA(nullptr, (std::string(pattern) + "/none.png").c_str(), 16, 0, CLR_NONE, IMAGE_BITMAP,
                                   LR_LOADFROMFILE),
              nullptr);
    unlink(path.c_str());
    rmdir(pattern);
}

}  // namespace
