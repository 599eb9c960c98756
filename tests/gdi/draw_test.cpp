// Shapes, edges, block transfers and device-context state, checked pixel by
// pixel in memory device contexts.
#include "support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

TEST(Shapes, RectanglesAndLinesLeaveOutTheirRightAndBottomEdges) {
    Canvas c(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{2, 3, 6, 8};
    ASSERT_TRUE(FillRect(c.dc, &r, red));
    EXPECT_EQ(c.count(kRed, 0, 0, 20, 20), 4 * 5);
    EXPECT_EQ(c.at(5, 7), kRed);
    EXPECT_EQ(c.at(6, 7), kWhite);
    EXPECT_EQ(c.at(5, 8), kWhite);

    // A line from (10, 1) to (15, 1) covers x = 10..14.
    HPEN blue = CreatePen(PS_SOLID, 1, kBlue);
    HGDIOBJ oldPen = SelectObject(c.dc, blue);
    MoveToEx(c.dc, 10, 1, nullptr);
    LineTo(c.dc, 15, 1);
    EXPECT_EQ(c.count(kBlue, 0, 0, 20, 20), 5);
    EXPECT_EQ(c.at(15, 1), kWhite);
    POINT pos{};
    MoveToEx(c.dc, 0, 0, &pos);
    EXPECT_EQ(pos.x, 15);
    EXPECT_EQ(pos.y, 1);
    SelectObject(c.dc, oldPen);
    DeleteObject(blue);
    DeleteObject(red);
}

TEST(Shapes, RectangleFramesWithThePenAndFillsWithTheBrush) {
    Canvas c(20, 20);
    HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
    HBRUSH brush = CreateSolidBrush(kRed);
    HGDIOBJ oldPen = SelectObject(c.dc, pen), oldBrush = SelectObject(c.dc, brush);
    ASSERT_TRUE(Rectangle(c.dc, 2, 2, 12, 8));
    EXPECT_EQ(c.at(2, 2), kBlue);
    EXPECT_EQ(c.at(11, 7), kBlue);
    EXPECT_EQ(c.at(12, 7), kWhite);
    EXPECT_EQ(c.at(5, 5), kRed);
    EXPECT_EQ(c.count(kBlue, 0, 0, 20, 20), 2 * 10 + 2 * 4);
    EXPECT_EQ(c.count(kRed, 0, 0, 20, 20), 8 * 4);
    // The null brush leaves the inside alone.
    SelectObject(c.dc, GetStockObject(NULL_BRUSH));
    Rectangle(c.dc, 14, 10, 18, 14);
    EXPECT_EQ(c.at(15, 11), kWhite);
    EXPECT_EQ(c.at(14, 10), kBlue);
    SelectObject(c.dc, oldPen);
    SelectObject(c.dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(Shapes, FrameRectAndSystemColourBrushes) {
    Canvas c(10, 10);
    RECT r{1, 1, 9, 9};
    // A system colour index + 1 serves as a brush, as in window classes.
    ASSERT_TRUE(FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1))));
    EXPECT_EQ(c.at(4, 4), GetSysColor(COLOR_BTNFACE));
    ASSERT_TRUE(FrameRect(c.dc, &r, GetSysColorBrush(COLOR_BTNSHADOW)));
    EXPECT_EQ(c.at(1, 1), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.at(8, 8), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.at(2, 2), GetSysColor(COLOR_BTNFACE));
    // System colour brushes are permanent.
    EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_BTNSHADOW)));
    EXPECT_EQ(GetObjectType(GetSysColorBrush(COLOR_BTNSHADOW)), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetSysColorBrush(99), nullptr);
}

TEST(Shapes, FocusRectangleDrawnTwiceLeavesNoTrace) {
    Canvas c(12, 12);
    RECT r{1, 1, 11, 11};
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    int dots = c.inked(0, 0, 12, 12);
    EXPECT_EQ(dots, 18);  // every other pixel of the 36 border pixels
    EXPECT_EQ(c.at(1, 1), kBlack);
    EXPECT_EQ(c.at(2, 1), kWhite);
    EXPECT_EQ(c.inked(2, 2, 10, 10), 0);
    DrawFocusRect(c.dc, &r);
    EXPECT_EQ(c.inked(0, 0, 12, 12), 0);
}

TEST(Edges, SunkenAndRaisedEdgesUseTheClassicColours) {
    Canvas c(20, 20);
    RECT r{0, 0, 10, 10};
    ASSERT_TRUE(DrawEdge(c.dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
    EXPECT_EQ(c.at(0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.at(1, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.at(9, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.at(8, 5), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.right, 8);

    RECT etched{10, 10, 20, 12};
    ASSERT_TRUE(DrawEdge(c.dc, &etched, EDGE_ETCHED, BF_TOP));
    EXPECT_EQ(c.at(12, 10), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.at(12, 11), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST(Edges, PushButtonFrameControlAndSizeGrip) {
    Canvas c(40, 20);
    RECT r{0, 0, 30, 16};
    ASSERT_TRUE(DrawFrameControl(c.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH));
    EXPECT_EQ(c.at(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.at(29, 15), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.at(15, 8), GetSysColor(COLOR_BTNFACE));
    ASSERT_TRUE(DrawFrameControl(c.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED));
    EXPECT_EQ(c.at(0, 0), GetSysColor(COLOR_3DDKSHADOW));

    RECT grip{30, 4, 40, 14};
    ASSERT_TRUE(DrawFrameControl(c.dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP));
    EXPECT_GT(c.count(GetSysColor(COLOR_BTNSHADOW), 30, 4, 40, 14), 5);
    EXPECT_GT(c.count(GetSysColor(COLOR_BTNHIGHLIGHT), 30, 4, 40, 14), 5);
    EXPECT_FALSE(DrawFrameControl(c.dc, &grip, 77, 0));
}

TEST(Blits, RasterOperationsCombineSourceAndDestination) {
    Canvas src(4, 1), dst(4, 1);
    const COLORREF s[4] = {RGB(0xF0, 0x0F, 0xFF), RGB(0, 0, 0), RGB(0x12, 0x34, 0x56), RGB(255, 255, 255)};
    const COLORREF d = RGB(0x3C, 0xC3, 0x00);
    for (int x = 0; x < 4; ++x) SetPixel(src.dc, x, 0, s[x]);
    struct {
        DWORD rop;
        COLORREF (*expect)(COLORREF, COLORREF);
    } cases[] = {
        {SRCCOPY, [](COLORREF a, COLORREF) { return a; }},
        {SRCAND, [](COLORREF a, COLORREF b) { return a & b; }},
        {SRCPAINT, [](COLORREF a, COLORREF b) { return a | b; }},
        {SRCINVERT, [](COLORREF a, COLORREF b) { return a ^ b; }},
        {NOTSRCCOPY, [](COLORREF a, COLORREF) { return ~a & 0xFFFFFF; }},
    };
    for (const auto &k : cases) {
        for (int x = 0; x < 4; ++x) SetPixel(dst.dc, x, 0, d);
        ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, k.rop));
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.at(x, 0), k.expect(s[x], d)) << std::hex << k.rop << " x=" << x;
    }
    ASSERT_TRUE(PatBlt(dst.dc, 0, 0, 4, 1, DSTINVERT));
    EXPECT_EQ(dst.at(3, 0), kWhite);
    EXPECT_EQ(dst.at(1, 0), kBlack);
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 2, 1, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ(dst.at(1, 0), kWhite);
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 0x00123456));
}

TEST(Blits, MonochromeMasksTakeTheTextAndBackgroundColours) {
    // The transparent-drawing idiom: a mask from the image's background
    // colour, then SRCAND and SRCPAINT.
    Canvas image(4, 1), target(4, 1);
    const COLORREF magenta = RGB(255, 0, 255);
    SetPixel(image.dc, 0, 0, magenta);
    SetPixel(image.dc, 1, 0, kRed);
    SetPixel(image.dc, 2, 0, magenta);
    SetPixel(image.dc, 3, 0, kBlue);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateCompatibleBitmap(maskDc, 4, 1);  // monochrome, like the context's bitmap
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(mask, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    SetBkColor(image.dc, magenta);
    ASSERT_TRUE(BitBlt(maskDc, 0, 0, 4, 1, image.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(maskDc, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(maskDc, 1, 0), kBlack);

    for (int x = 0; x < 4; ++x) SetPixel(target.dc, x, 0, RGB(0, 128, 0));
    // Image pixels of the background colour become black, then OR onto the hole.
    SetBkColor(image.dc, kBlack);
    SetTextColor(image.dc, kWhite);
    ASSERT_TRUE(BitBlt(image.dc, 0, 0, 4, 1, maskDc, 0, 0, SRCAND));
    SetBkColor(target.dc, kWhite);
    SetTextColor(target.dc, kBlack);
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 4, 1, maskDc, 0, 0, SRCAND));
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 4, 1, image.dc, 0, 0, SRCPAINT));
    EXPECT_EQ(target.at(0, 0), RGB(0, 128, 0));
    EXPECT_EQ(target.at(1, 0), kRed);
    EXPECT_EQ(target.at(2, 0), RGB(0, 128, 0));
    EXPECT_EQ(target.at(3, 0), kBlue);
    SelectObject(maskDc, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDc);
}

TEST(Blits, StretchMirrorsWithNegativeWidth) {
    Canvas src(2, 1), dst(4, 2);
    SetPixel(src.dc, 0, 0, kRed);
    SetPixel(src.dc, 1, 0, kBlue);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.at(0, 1), kRed);
    EXPECT_EQ(dst.at(3, 0), kBlue);
    ASSERT_TRUE(StretchBlt(dst.dc, 4, 0, -4, 1, src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.at(0, 0), kBlue);
    EXPECT_EQ(dst.at(3, 0), kRed);
}

TEST(Bitmaps, DeviceIndependentPixelsRoundTrip) {
    Canvas c(3, 2);
    SetPixel(c.dc, 0, 0, RGB(1, 2, 3));
    SetPixel(c.dc, 2, 1, RGB(200, 100, 50));
    // Pixels are read from a bitmap that no context holds.
    SelectObject(c.dc, c.previous);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    ASSERT_EQ(GetDIBits(c.dc, c.bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(info.bmiHeader.biWidth, 3);
    EXPECT_EQ(info.bmiHeader.biHeight, 2);
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> bits(3 * 2 * 4);
    ASSERT_EQ(GetDIBits(c.dc, c.bitmap, 0, 2, bits.data(), &info, DIB_RGB_COLORS), 2);
    // Bottom-up: the first row is the image's last; pixels are blue, green, red.
    EXPECT_EQ(bits[2 * 4 + 0], 50);
    EXPECT_EQ(bits[2 * 4 + 2], 200);
    EXPECT_EQ(bits[12 + 0], 3);
    EXPECT_EQ(bits[12 + 2], 1);

    // 24-bit rows are padded to 4 bytes.
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biHeight = -2;  // top-down
    std::vector<uint8_t> rgb(2 * 12, 0xEE);
    rgb[0] = 0x10, rgb[1] = 0x20, rgb[2] = 0x30;
    ASSERT_EQ(SetDIBits(c.dc, c.bitmap, 0, 2, rgb.data(), &info, DIB_RGB_COLORS), 2);
    SelectObject(c.dc, c.bitmap);
    EXPECT_EQ(c.at(0, 0), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(c.at(2, 1), RGB(0xEE, 0xEE, 0xEE));
}

TEST(Bitmaps, ABitmapIsInOneContextAtATime) {
    Canvas c(4, 4);
    HDC other = CreateCompatibleDC(c.dc);
    EXPECT_EQ(SelectObject(other, c.bitmap), nullptr);
    // Deleting the selected pen and brush leaves the context drawing with them.
    HBRUSH brush = CreateSolidBrush(kRed);
    SelectObject(c.dc, brush);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_TRUE(Rectangle(c.dc, 0, 0, 4, 4));
    EXPECT_EQ(c.at(1, 1), kRed);
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    // Once the first context lets go, the second may select it.
    SelectObject(c.dc, c.previous);
    HGDIOBJ old = SelectObject(other, c.bitmap);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(GetPixel(other, 1, 1), kRed);
    SelectObject(other, old);
    SelectObject(c.dc, c.bitmap);
    DeleteDC(other);
    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
}

TEST(Bitmaps, IconBitmapsAreCopiedBeforeTheyAreDrawnInto) {
    Canvas c(2, 2);
    SetPixel(c.dc, 0, 0, kRed);
    SelectObject(c.dc, c.previous);
    ICONINFO info{TRUE, 0, 0, nullptr, c.bitmap};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    ICONINFO back{};
    ASSERT_TRUE(GetIconInfo(icon, &back));
    // Drawing into the icon's colour bitmap leaves the icon as it was.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, back.hbmColor);
    ASSERT_NE(old, nullptr);
    SetPixel(dc, 0, 0, kBlue);
    SelectObject(dc, old);
    Canvas check(2, 2);
    DrawIconEx(check.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(check.at(0, 0), kRed);
    DeleteDC(dc);
    DeleteObject(back.hbmColor);
    DeleteObject(back.hbmMask);
    DestroyIcon(icon);
    SelectObject(c.dc, c.bitmap);
}

TEST(Contexts, SavedStatesOriginAndClip) {
    Canvas c(10, 10);
    SetTextColor(c.dc, kRed);
    int level = SaveDC(c.dc);
    EXPECT_EQ(level, 1);
    SetTextColor(c.dc, kBlue);
    SetViewportOrgEx(c.dc, 5, 5, nullptr);
    SetPixel(c.dc, 0, 0, kBlack);
    EXPECT_EQ(c.at(0, 0), kBlack);  // read through the same origin
    ASSERT_TRUE(RestoreDC(c.dc, -1));
    EXPECT_EQ(GetTextColor(c.dc), kRed);
    EXPECT_EQ(c.at(5, 5), kBlack);
    EXPECT_FALSE(RestoreDC(c.dc, 1));

    SaveDC(c.dc);
    IntersectClipRect(c.dc, 0, 0, 3, 3);
    RECT all{0, 0, 10, 10};
    FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT box{};
    EXPECT_EQ(GetClipBox(c.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 3);
    EXPECT_EQ(c.at(8, 8), CLR_INVALID);  // outside the clip
    RestoreDC(c.dc, -1);
    EXPECT_EQ(c.at(2, 2), kBlack);
    EXPECT_EQ(c.at(8, 8), kWhite);
}

TEST(Contexts, DeviceCapsAndMetricsAreThoseOfA96DpiDisplay) {
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_GT(GetDeviceCaps(screen, HORZRES), 0);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 0);  // released
    EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_NE(display, nullptr);
    EXPECT_TRUE(DeleteDC(display));
}

}  // namespace
