// gdibench [ITEMS]: times the owner-drawn item workload through the graphics
// calls and through Qt's painter, and prints both and their ratio.
#include "workload.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HICON makeIcon() {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, colour);
    HBRUSH brush = CreateSolidBrush(RGB(40, 120, 200));
    RECT r{2, 2, 14, 14};
    FillRect(dc, &r, brush);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteDC(dc);
    ICONINFO info{TRUE, 0, 0, nullptr, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    return icon;
}

}  // namespace

double drawWithGdi(int items, unsigned *checksum) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 24);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    HBRUSH background = CreateSolidBrush(RGB(0xFF, 0xFB, 0xF7));
    HBRUSH frame = CreateSolidBrush(RGB(0x08, 0x24, 0x6B));
    HICON icon = makeIcon();
    char text[64];
    auto start = std::chrono::steady_clock::now();
    unsigned sum = 0;
    for (int i = 0; i < items; ++i) {
        std::snprintf(text, sizeof text, "&Properties of item %d\tCtrl+P", i);
        RECT r{0, 0, 200, 24};
        FillRect(dc, &r, background);
        FrameRect(dc, &r, frame);
        DrawIconEx(dc, 4, 4, icon, 16, 16, 0, nullptr, DI_NORMAL);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT t{30, 2, 200, 22};
        DrawTextA(dc, text, -1, &t, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS);
        RECT focus{1, 1, 199, 23};
        DrawFocusRect(dc, &focus);
        SIZE size{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
        sum += static_cast<unsigned>(size.cx) + GetPixel(dc, 40 + i % 100, 12);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *checksum = sum;
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteObject(background);
    DeleteObject(frame);
    DestroyIcon(icon);
    DeleteDC(dc);
    return seconds;
}

int main(int argc, char **argv) {
    int items = argc > 1 ? std::atoi(argv[1]) : 20000;
    if (items <= 0) items = 20000;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    unsigned a = 0, b = 0;
    // A short warm-up of each half loads fonts and caches.
    drawWithGdi(200, &a);
    drawWithQt(200, &b);
    double gdi = drawWithGdi(items, &a);
    double qt = drawWithQt(items, &b);
    std::printf("%-34s %10s %10s %7s\n", "owner-drawn items", "gdi us", "qt us", "ratio");
    std::printf("%-34s %10.2f %10.2f %7.2f\n", "per item (fill, frame, icon, text)", gdi * 1e6 / items,
                qt * 1e6 / items, qt > 0 ? gdi / qt : 0.0);
    std::printf("(%d items; checksums %u %u)\n", items, a, b);
    return 0;
}
