#include "support.h"

#include <cstdlib>

namespace {

// Every test program draws headless.
const bool offscreen = [] { return setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0; }();

}  // namespace

Canvas::Canvas(int w, int h) : width(w), height(h) {
    (void)offscreen;
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    previous = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

Canvas::~Canvas() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

int Canvas::count(COLORREF color, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += at(x, y) == color;
    return n;
}

int Canvas::inked(int x0, int y0, int x1, int y1) const {
    return (x1 - x0) * (y1 - y0) - count(RGB(255, 255, 255), x0, y0, x1, y1);
}
