// Memory device contexts with a bitmap of their own, for drawing tests.
#pragma once

#include <windows.h>

// A memory context with a w x h colour bitmap selected, filled white.
struct Canvas {
    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
    // Pixels of the given colour inside [x0, x1) x [y0, y1).
    int count(COLORREF color, int x0, int y0, int x1, int y1) const;
    // Pixels other than white inside the rectangle.
    int inked(int x0, int y0, int x1, int y1) const;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    int width, height;
};
