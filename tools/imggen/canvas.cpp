#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace imggen {

namespace {
const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* kFontBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// gd sizes fonts in points at 96 dpi.
double points(double px) { return px * 72.0 / 96.0; }

bool writeBytes(const std::string& path, void* data, int size) {
    if (!data) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == static_cast<size_t>(size);
    ok = std::fclose(f) == 0 && ok;
    return ok;
}
}  // namespace

int gdColor(Rgba c) { return gdTrueColorAlpha(c.r, c.g, c.b, c.a); }

Rgba mix(Rgba a, Rgba b, double t) {
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

Canvas::Canvas(int width, int height, int supersample) : w_(width), h_(height), ss_(supersample) {
    big_ = gdImageCreateTrueColor(w_ * ss_, h_ * ss_);
    gdImageAlphaBlending(big_, 0);
    gdImageFilledRectangle(big_, 0, 0, w_ * ss_ - 1, h_ * ss_ - 1, gdTrueColorAlpha(255, 255, 255, 127));
    gdImageAlphaBlending(big_, 1);
}

Canvas::~Canvas() {
    if (big_) gdImageDestroy(big_);
    if (out_) gdImageDestroy(out_);
}

void Canvas::fill(Rgba c) {
    gdImageAlphaBlending(big_, 0);
    gdImageFilledRectangle(big_, 0, 0, w_ * ss_ - 1, h_ * ss_ - 1, gdColor(c));
    gdImageAlphaBlending(big_, 1);
}

void Canvas::rect(double x0, double y0, double x1, double y1, Rgba c) {
    if (s(x1) - 1 < s(x0) || s(y1) - 1 < s(y0)) return;
    gdImageFilledRectangle(big_, s(x0), s(y0), s(x1) - 1, s(y1) - 1, gdColor(c));
}

void Canvas::roundRect(double x0, double y0, double x1, double y1, double r, Rgba c) {
    if (r <= 0) return rect(x0, y0, x1, y1, c);
    // Opaque pieces may overlap; translucent colours would darken the overlap,
    // so the shape is drawn scanline by scanline instead.
    int X0 = s(x0), Y0 = s(y0), X1 = s(x1), Y1 = s(y1);
    double R = r * ss_;
    int col = gdColor(c);
    for (int y = Y0; y < Y1; ++y) {
        double yc = y + 0.5;
        double dy = 0;
        if (yc < Y0 + R) dy = Y0 + R - yc;
        else if (yc > Y1 - R) dy = yc - (Y1 - R);
        double inset = dy > 0 ? R - std::sqrt(std::max(0.0, R * R - dy * dy)) : 0;
        int a = static_cast<int>(std::lround(X0 + inset));
        int b = static_cast<int>(std::lround(X1 - inset)) - 1;
        if (b >= a) gdImageLine(big_, a, y, b, y, col);
    }
}

void Canvas::ellipse(double cx, double cy, double rx, double ry, Rgba c) {
    int col = gdColor(c);
    double RX = rx * ss_, RY = ry * ss_, CX = cx * ss_, CY = cy * ss_;
    for (int y = static_cast<int>(CY - RY); y <= static_cast<int>(CY + RY); ++y) {
        double dy = (y + 0.5 - CY) / RY;
        if (dy < -1 || dy > 1) continue;
        double half = RX * std::sqrt(1 - dy * dy);
        int a = static_cast<int>(std::lround(CX - half));
        int b = static_cast<int>(std::lround(CX + half)) - 1;
        if (b >= a) gdImageLine(big_, a, y, b, y, col);
    }
}

void Canvas::polygon(const std::vector<Pt>& pts, Rgba c) {
    std::vector<gdPoint> p;
    for (auto& q : pts) p.push_back({s(q.x), s(q.y)});
    gdImageFilledPolygon(big_, p.data(), static_cast<int>(p.size()), gdColor(c));
}

void Canvas::line(double x0, double y0, double x1, double y1, double width, Rgba c) {
    // A thick line is a quadrilateral around the centre line.
    double dx = x1 - x0, dy = y1 - y0;
    double len = std::sqrt(dx * dx + dy * dy);
    if (len <= 0) return;
    double nx = -dy / len * width / 2, ny = dx / len * width / 2;
    polygon({{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}}, c);
}

void Canvas::arc(double cx, double cy, double rx, double ry, int a0, int a1, Rgba c) {
    gdImageFilledArc(big_, s(cx), s(cy), s(2 * rx), s(2 * ry), a0, a1, gdColor(c), gdPie);
}

void Canvas::gradient(double x0, double y0, double x1, double y1, Rgba from, Rgba to, bool horizontal) {
    int X0 = s(x0), Y0 = s(y0), X1 = s(x1), Y1 = s(y1);
    int n = horizontal ? X1 - X0 : Y1 - Y0;
    for (int i = 0; i < n; ++i) {
        int col = gdColor(mix(from, to, n > 1 ? static_cast<double>(i) / (n - 1) : 0));
        if (horizontal) gdImageLine(big_, X0 + i, Y0, X0 + i, Y1 - 1, col);
        else gdImageLine(big_, X0, Y0 + i, X1 - 1, Y0 + i, col);
    }
}

void Canvas::finish() {
    if (out_) return;
    out_ = gdImageCreateTrueColor(w_, h_);
    gdImageAlphaBlending(out_, 0);
    gdImageFilledRectangle(out_, 0, 0, w_ - 1, h_ - 1, gdTrueColorAlpha(255, 255, 255, 127));
    gdImageCopyResampled(out_, big_, 0, 0, 0, 0, w_, h_, w_ * ss_, h_ * ss_);
    gdImageAlphaBlending(out_, 1);
    gdImageSaveAlpha(out_, 1);
}

void Canvas::text(const std::string& str, double px, double x, double y, Rgba c, bool bold) {
    finish();
    int brect[8];
    gdImageStringFT(out_, brect, gdColor(c), const_cast<char*>(bold ? kFontBold : kFont), points(px), 0,
                    static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)),
                    const_cast<char*>(str.c_str()));
}

void Canvas::textCentred(const std::string& str, double px, double x0, double y0, double x1, double y1,
                         Rgba c, bool bold) {
    int w = 0, asc = 0;
    textExtent(str, px, bold, &w, &asc);
    text(str, px, x0 + (x1 - x0 - w) / 2.0, y0 + (y1 - y0 + asc) / 2.0, c, bold);
}

void textExtent(const std::string& str, double px, bool bold, int* width, int* ascent) {
    int brect[8] = {};
    gdImageStringFT(nullptr, brect, 0, const_cast<char*>(bold ? kFontBold : kFont), points(px), 0, 0, 0,
                    const_cast<char*>(str.c_str()));
    *width = brect[2] - brect[0];
    // Cap height of the font rather than this text's ink, so labels line up.
    int capRect[8] = {};
    gdImageStringFT(nullptr, capRect, 0, const_cast<char*>(bold ? kFontBold : kFont), points(px), 0, 0, 0,
                    const_cast<char*>("H"));
    *ascent = -capRect[7];
}

bool Canvas::writePng(const std::string& path) {
    finish();
    int size = 0;
    void* data = gdImagePngPtrEx(out_, &size, 9);
    bool ok = writeBytes(path, data, size);
    gdFree(data);
    return ok;
}

bool Canvas::writeGif(const std::string& path) {
    finish();
    // Palette image: pixels that are mostly transparent become the transparent index.
    gdImagePtr pal = gdImageCreate(w_, h_);
    int transparent = gdImageColorAllocate(pal, 255, 255, 255);
    gdImageColorTransparent(pal, transparent);
    for (int y = 0; y < h_; ++y) {
        for (int x = 0; x < w_; ++x) {
            int p = gdImageGetTrueColorPixel(out_, x, y);
            if (gdTrueColorGetAlpha(p) > 63) continue;
            int idx = gdImageColorResolve(pal, gdTrueColorGetRed(p), gdTrueColorGetGreen(p), gdTrueColorGetBlue(p));
            gdImageSetPixel(pal, x, y, idx);
        }
    }
    int size = 0;
    void* data = gdImageGifPtr(pal, &size);
    bool ok = writeBytes(path, data, size);
    gdFree(data);
    gdImageDestroy(pal);
    return ok;
}

}  // namespace imggen
