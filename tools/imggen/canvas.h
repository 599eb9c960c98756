// A small drawing surface on top of gd: shapes are drawn at a multiple of the
// final size and resampled down, which gives smooth anti-aliased edges for
// icons and buttons; text is drawn afterwards at the final size with FreeType.
#pragma once

#include <gd.h>

#include <string>
#include <vector>

namespace imggen {

struct Rgba {
    int r, g, b;
    int a = 0;  // gd alpha: 0 opaque .. 127 transparent
};

int gdColor(Rgba c);
Rgba mix(Rgba a, Rgba b, double t);

struct Pt {
    double x, y;
};

class Canvas {
public:
    Canvas(int width, int height, int supersample = 4);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int width() const { return w_; }
    int height() const { return h_; }

    // Shapes, in final-pixel coordinates (fractions allowed).
    void fill(Rgba c);
    void rect(double x0, double y0, double x1, double y1, Rgba c);
    void roundRect(double x0, double y0, double x1, double y1, double radius, Rgba c);
    void ellipse(double cx, double cy, double rx, double ry, Rgba c);
    void polygon(const std::vector<Pt>& pts, Rgba c);
    void line(double x0, double y0, double x1, double y1, double width, Rgba c);
    void arc(double cx, double cy, double rx, double ry, int a0, int a1, Rgba c);
    // Gradient over the whole rectangle, horizontal or vertical.
    void gradient(double x0, double y0, double x1, double y1, Rgba from, Rgba to, bool horizontal);

    // Resamples the shapes to the final size; text may be drawn afterwards.
    void finish();
    // Text at the final size; x, y is the left end of the baseline.
    void text(const std::string& s, double px, double x, double y, Rgba c, bool bold = false);
    // Centred text within the rectangle.
    void textCentred(const std::string& s, double px, double x0, double y0, double x1, double y1,
                     Rgba c, bool bold = false);

    bool writePng(const std::string& path);
    bool writeGif(const std::string& path);  // palette image, transparent background

private:
    int s(double v) const { return static_cast<int>(v * ss_ + 0.5); }
    gdImagePtr big_ = nullptr;
    gdImagePtr out_ = nullptr;
    int w_, h_, ss_;
};

// Width and height of a text's ink box at a pixel size.
void textExtent(const std::string& s, double px, bool bold, int* width, int* ascent);

}  // namespace imggen
