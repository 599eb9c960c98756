// Icons drawn by their alpha, and the disabled look of icons and text.
#include "support.h"

#include <gtest/gtest.h>

namespace {

// A w x h icon of one colour; alpha 0 in its left half when halfTransparent.
HICON solidIcon(int w, int h, COLORREF color, bool halfTransparent) {
    Canvas colour(w, h);
    RECT all{0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(colour.dc, &all, brush);
    DeleteObject(brush);
    Canvas mask(w, h);  // white = transparent
    RECT body{0, 0, w, h};
    if (halfTransparent) body.left = w / 2;
    FillRect(mask.dc, &body, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(colour.dc, colour.previous);
    SelectObject(mask.dc, mask.previous);
    ICONINFO info{TRUE, 0, 0, mask.bitmap, colour.bitmap};
    HICON icon = CreateIconIndirect(&info);
    SelectObject(colour.dc, colour.bitmap);
    SelectObject(mask.dc, mask.bitmap);
    return icon;
}

TEST(Icons, DrawIconExBlendsByTheMaskAndScales) {
    HICON icon = solidIcon(8, 8, RGB(255, 0, 0), true);
    ASSERT_NE(icon, nullptr);
    Canvas c(40, 20);
    ASSERT_TRUE(DrawIconEx(c.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(c.at(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(c.at(6, 1), RGB(255, 0, 0));
    EXPECT_EQ(c.count(RGB(255, 0, 0), 0, 0, 8, 8), 32);
    // Stretched to 16 x 16: four times the pixels.
    ASSERT_TRUE(DrawIconEx(c.dc, 20, 0, icon, 16, 16, 0, nullptr, DI_NORMAL));
    EXPECT_NEAR(c.count(RGB(255, 0, 0), 20, 0, 36, 16), 128, 16);
    // A flicker-free brush fills the background first.
    ASSERT_TRUE(DrawIconEx(c.dc, 10, 10, icon, 0, 0, 0, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), DI_NORMAL));
    EXPECT_EQ(c.at(11, 11), RGB(0, 0, 0));
    EXPECT_FALSE(DrawIconEx(c.dc, 0, 0, nullptr, 0, 0, 0, nullptr, DI_NORMAL));
    DestroyIcon(icon);
}

TEST(Icons, DisabledStateEmbossesInTheHighlightAndShadowColours) {
    HICON icon = solidIcon(16, 16, RGB(255, 0, 0), false);
    Canvas c(40, 40);
    RECT face{0, 0, 40, 40};
    FillRect(c.dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    ASSERT_TRUE(DrawStateA(c.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, 4, 4, 0, 0, DST_ICON | DSS_DISABLED));
    EXPECT_EQ(c.count(RGB(255, 0, 0), 0, 0, 40, 40), 0);
    EXPECT_EQ(c.count(GetSysColor(COLOR_BTNSHADOW), 4, 4, 20, 20), 16 * 16);
    EXPECT_EQ(c.count(GetSysColor(COLOR_BTNHIGHLIGHT), 0, 0, 40, 40), 16 + 16 - 1);  // the offset copy's edge
    // Drawn normally it keeps its colours.
    ASSERT_TRUE(DrawStateA(c.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, 22, 22, 0, 0, DST_ICON));
    EXPECT_EQ(c.count(RGB(255, 0, 0), 22, 22, 38, 38), 16 * 16);
    DestroyIcon(icon);
}

TEST(Icons, DisabledTextIsDrawnTwiceOffsetByOnePixel) {
    Canvas c(100, 30);
    RECT face{0, 0, 100, 30};
    FillRect(c.dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    HFONT f = CreateFontA(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, "Arial");
    SelectObject(c.dc, f);
    const char *text = "&Help";
    ASSERT_TRUE(DrawStateA(c.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text), 0, 2, 2, 0, 0, DST_PREFIXTEXT | DSS_DISABLED));
    int shadow = c.count(GetSysColor(COLOR_BTNSHADOW), 0, 0, 100, 30);
    int light = c.count(GetSysColor(COLOR_BTNHIGHLIGHT), 0, 0, 100, 30);
    EXPECT_GT(shadow, 20);
    EXPECT_GT(light, 5);
    EXPECT_EQ(c.count(RGB(0, 0, 0), 0, 0, 100, 30), 0);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST(Icons, ComplexStateCallsBackWithTheOriginMoved) {
    Canvas c(20, 20);
    auto draw = [](HDC dc, LPARAM, WPARAM, int, int) -> BOOL { return SetPixelV(dc, 0, 0, RGB(0, 0, 255)); };
    ASSERT_TRUE(DrawStateA(c.dc, nullptr, draw, 0, 0, 7, 9, 4, 4, DST_COMPLEX));
    EXPECT_EQ(c.at(7, 9), RGB(0, 0, 255));
    SetPixelV(c.dc, 0, 0, RGB(0, 255, 0));
    EXPECT_EQ(c.at(0, 0), RGB(0, 255, 0));
}

}  // namespace
