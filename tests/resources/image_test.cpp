// Icons and bitmaps: choice of the icon image, scaling, shared images,
// copies, icon masks, and the decoded pixels.
#include "restest.h"
#include "resmod_ids.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

using namespace restest;

namespace {

struct Pixels {
    int width = 0, height = 0, bits = 0;
    std::vector<uint8_t> bgra;  // bytes as GetBitmapBits gives them
    const uint8_t* at(int x, int y) const { return &bgra[static_cast<size_t>((y * width + x) * 4)]; }
};

Pixels bitmapPixels(HBITMAP b) {
    Pixels p;
    BITMAP bm{};
    if (GetObjectA(b, sizeof bm, &bm) != static_cast<int>(sizeof bm)) return p;
    p.width = bm.bmWidth;
    p.height = bm.bmHeight;
    p.bits = bm.bmBitsPixel;
    p.bgra.resize(static_cast<size_t>(bm.bmWidthBytes * bm.bmHeight));
    EXPECT_EQ(GetBitmapBits(b, static_cast<LONG>(p.bgra.size()), p.bgra.data()), static_cast<LONG>(p.bgra.size()));
    return p;
}

// The colour pixels of an icon, through GetIconInfo.
Pixels iconPixels(HICON icon) {
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return Pixels{};
    Pixels p = bitmapPixels(ii.hbmColor);
    EXPECT_TRUE(DeleteObject(ii.hbmColor));
    EXPECT_TRUE(DeleteObject(ii.hbmMask));
    return p;
}

// The formulas of make_images.py, as red, green, blue, alpha.
std::array<int, 4> icon16(int x, int y) { return {x * 16, y * 16, 100, x < 2 && y < 2 ? 0 : 255}; }
std::array<int, 4> icon32(int x, int y) { return {x * 8, y * 8, 200, x < 4 && y < 4 ? 0 : 255}; }

void expectPixel(const Pixels& p, int x, int y, std::array<int, 4> rgba, int tolerance = 0) {
    const uint8_t* q = p.at(x, y);
    int got[4] = {q[2], q[1], q[0], q[3]};
    if (rgba[3] == 0) {  // fully transparent: only alpha matters
        EXPECT_EQ(got[3], 0) << x << "," << y;
        return;
    }
    for (int c = 0; c < 4; ++c) EXPECT_LE(std::abs(got[c] - rgba[c]), tolerance) << x << "," << y << " channel " << c;
}

HICON loadIcon(LPCSTR name, int cx, int cy, UINT flags = 0) {
    return static_cast<HICON>(LoadImageA(resmod(), name, IMAGE_ICON, cx, cy, flags));
}

}  // namespace

TEST(Icons, ChooseTheImageThatFitsAndScaleIt) {
    struct Case {
        int ask, size, blue;  // requested size, result size, blue of the image chosen
    } cases[] = {{16, 16, 100}, {32, 32, 200}, {8, 8, 100}, {24, 24, 200}, {48, 48, 200}, {0, 32, 200}};
    for (const Case& c : cases) {
        HICON icon = loadIcon("tabicon", c.ask, c.ask);
        ASSERT_NE(icon, nullptr) << c.ask;
        Pixels p = iconPixels(icon);
        EXPECT_EQ(p.width, c.size) << c.ask;
        EXPECT_EQ(p.height, c.size) << c.ask;
        EXPECT_EQ(p.at(c.size - 1, c.size - 1)[0], c.blue) << c.ask;
        EXPECT_TRUE(DestroyIcon(icon));
    }
    // Exact sizes keep every pixel.
    HICON small = loadIcon("TabIcon", 16, 16);
    Pixels p = iconPixels(small);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) expectPixel(p, x, y, icon16(x, y));
    DestroyIcon(small);
    HICON big = loadIcon("tabicon", 32, 32);
    p = iconPixels(big);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) expectPixel(p, x, y, icon32(x, y));
    DestroyIcon(big);
}

TEST(Icons, ShrinkingAveragesThePixels) {
    // Icon 300 has only the 32 x 32 image: at 16 x 16 each pixel is the mean
    // of a 2 x 2 square, and the transparent corner stays transparent.
    HICON icon = loadIcon(MAKEINTRESOURCEA(IDI_BIG), 16, 16);
    ASSERT_NE(icon, nullptr);
    Pixels p = iconPixels(icon);
    ASSERT_EQ(p.width, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            expectPixel(p, x, y, {16 * x + 4, 16 * y + 4, 200, x < 2 && y < 2 ? 0 : 255}, 1);
    DestroyIcon(icon);
    // Without a size and without LR_DEFAULTSIZE the image keeps its own size.
    icon = loadIcon(MAKEINTRESOURCEA(IDI_BIG), 0, 0);
    EXPECT_EQ(iconPixels(icon).width, 32);
    DestroyIcon(icon);
}

TEST(Icons, SharedIconsAreOneHandleAndSurviveDestroy) {
    HICON a = LoadIconA(resmod(), "tabicon");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(LoadImageA(resmod(), "tabicon", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED), a);
    EXPECT_EQ(iconPixels(a).width, 32);
    HICON small = loadIcon("tabicon", 16, 16, LR_SHARED);
    EXPECT_NE(small, a);
    EXPECT_EQ(loadIcon("tabicon", 16, 16, LR_SHARED), small);
    EXPECT_TRUE(DestroyIcon(a));
    EXPECT_EQ(iconPixels(a).width, 32);  // still there
    // Unshared loads are new handles each time.
    HICON u1 = loadIcon("tabicon", 16, 16), u2 = loadIcon("tabicon", 16, 16);
    EXPECT_NE(u1, u2);
    EXPECT_NE(u1, small);
    DestroyIcon(u1);
    DestroyIcon(u2);
}

TEST(Icons, CopiesAreIndependentHandles) {
    HICON icon = loadIcon("tabicon", 16, 16);
    HICON copy = CopyIcon(icon);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, icon);
    EXPECT_EQ(iconPixels(copy).bgra, iconPixels(icon).bgra);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(iconPixels(copy).width, 16);  // the copy outlives the original
    SetLastError(0);
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE));
    EXPECT_EQ(CopyIcon(icon), nullptr);
    EXPECT_TRUE(DestroyIcon(copy));
}

TEST(Icons, IconInfoHasColourAndMaskBitmaps) {
    HICON icon = loadIcon("tabicon", 16, 16);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    EXPECT_TRUE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 8u);
    EXPECT_EQ(ii.yHotspot, 8u);
    Pixels mask = bitmapPixels(ii.hbmMask);
    EXPECT_EQ(mask.bits, 1);
    EXPECT_EQ(mask.width, 16);
    // 1-bit rows of 2 bytes: the first two pixels of rows 0 and 1 are set
    // (transparent), everything else is clear.
    for (int y = 0; y < 16; ++y) {
        int row = mask.bgra[static_cast<size_t>(y * 2)] << 8 | mask.bgra[static_cast<size_t>(y * 2 + 1)];
        EXPECT_EQ(row, y < 2 ? 0xC000 : 0) << y;
    }
    // An icon made back from the two bitmaps has the same pixels.
    HICON again = CreateIconIndirect(&ii);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(iconPixels(again).bgra, iconPixels(icon).bgra);
    EXPECT_TRUE(DeleteObject(ii.hbmColor));
    EXPECT_TRUE(DeleteObject(ii.hbmMask));
    EXPECT_FALSE(DeleteObject(ii.hbmMask));
    EXPECT_FALSE(DeleteObject(icon));  // icons are destroyed with DestroyIcon
    EXPECT_EQ(GetObjectA(icon, sizeof(BITMAP), nullptr), 0);
    DestroyIcon(again);
    DestroyIcon(icon);
}

TEST(Bitmaps, LoadedWithTheirOwnSizeOrStretched) {
    HBITMAP b = LoadBitmapA(resmod(), MAKEINTRESOURCEA(IDB_CELLS));
    ASSERT_NE(b, nullptr);
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(b, 0, nullptr), static_cast<int>(sizeof bm));
    EXPECT_EQ(GetObjectA(b, sizeof bm - 1, &bm), 0);
    ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 20);
    EXPECT_EQ(bm.bmHeight, 10);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmWidthBytes, 80);
    Pixels p = bitmapPixels(b);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) expectPixel(p, x, y, {x * 12, y * 25, 7, 255});  // no alpha: opaque
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_FALSE(DeleteObject(b));

    b = static_cast<HBITMAP>(LoadImageA(resmod(), MAKEINTRESOURCEA(IDB_CELLS), IMAGE_BITMAP, 10, 5, 0));
    ASSERT_NE(b, nullptr);
    p = bitmapPixels(b);
    EXPECT_EQ(p.width, 10);
    EXPECT_EQ(p.height, 5);
    expectPixel(p, 0, 0, {6, 12, 7, 255}, 1);  // mean of (0,0), (1,0), (0,1), (1,1)
    DeleteObject(b);
}

TEST(Images, FromFilesAndFailures) {
    HICON icon = static_cast<HICON>(LoadImageA(nullptr, RES_TEST_IMAGES "/icon16.png", IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr);
    Pixels p = iconPixels(icon);
    EXPECT_EQ(p.width, 16);
    expectPixel(p, 5, 7, icon16(5, 7));
    DestroyIcon(icon);

    SetLastError(0);
    EXPECT_EQ(LoadImageA(nullptr, RES_TEST_IMAGES "/none.png", IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(LoadImageA(nullptr, RES_TEST_SOURCE "/help.txt", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(LoadIconA(resmod(), "nosuchicon"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadBitmapA(resmod(), "tabicon"), nullptr);  // an icon, not a bitmap
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadImageA(resmod(), "tabicon", IMAGE_CURSOR, 0, 0, 0), nullptr);
    EXPECT_EQ(LoadImageA(resmod(), "tabicon", IMAGE_ICON, -1, 16, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // A PNG resource that is not an icon group.
    EXPECT_EQ(LoadImageA(resmod(), "logo", IMAGE_ICON, 16, 16, 0), nullptr);
}
