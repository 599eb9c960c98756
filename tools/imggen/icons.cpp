// File-type icons by family, 16 x 16 and 32 x 32, drawn on a 32-unit grid.
#include "icons.h"

#include "palette.h"

#include <functional>
#include <map>

namespace imggen {

namespace {

// Coordinates of the shapes are given on a 32-unit grid and scaled to the size.
struct Grid {
    Canvas& c;
    double k;  // pixels per unit
    double line;  // outline width in units (one pixel)
    void rect(double x0, double y0, double x1, double y1, Rgba col) { c.rect(x0 * k, y0 * k, x1 * k, y1 * k, col); }
    void round(double x0, double y0, double x1, double y1, double r, Rgba col) {
        c.roundRect(x0 * k, y0 * k, x1 * k, y1 * k, r * k, col);
    }
    // Rounded box with a one-pixel outline.
    void box(double x0, double y0, double x1, double y1, double r, Rgba edge, Rgba fill) {
        round(x0, y0, x1, y1, r, edge);
        round(x0 + line, y0 + line, x1 - line, y1 - line, r > line ? r - line : 0, fill);
    }
    void poly(std::vector<Pt> p, Rgba col) {
        for (auto& q : p) q = {q.x * k, q.y * k};
        c.polygon(p, col);
    }
    void ellipse(double cx, double cy, double rx, double ry, Rgba col) { c.ellipse(cx * k, cy * k, rx * k, ry * k, col); }
    void seg(double x0, double y0, double x1, double y1, double w, Rgba col) { c.line(x0 * k, y0 * k, x1 * k, y1 * k, w * k, col); }
};

const Rgba kPageEdge{120, 128, 140};
const Rgba kPage{255, 255, 255};
const Rgba kFold{214, 220, 228};

// A sheet of paper with a folded corner, the base of most document icons.
void page(Grid& g, Rgba fill = kPage) {
    double x0 = 6, y0 = 2, x1 = 26, y1 = 30, f = 7;
    g.poly({{x0, y0}, {x1 - f, y0}, {x1, y0 + f}, {x1, y1}, {x0, y1}}, kPageEdge);
    double l = g.line;
    g.poly({{x0 + l, y0 + l}, {x1 - f - l * 0.4, y0 + l}, {x1 - l, y0 + f + l * 0.4}, {x1 - l, y1 - l}, {x0 + l, y1 - l}},
           fill);
    g.poly({{x1 - f, y0}, {x1 - f, y0 + f}, {x1, y0 + f}}, kPageEdge);
    g.poly({{x1 - f + l, y0 + 2 * l}, {x1 - f + l, y0 + f - l}, {x1 - 2 * l, y0 + f - l}}, kFold);
}

void textLines(Grid& g, Rgba col, int first = 0) {
    double step = g.k >= 1 ? 3 : 4;
    for (double y = 11 + first * step; y < 27; y += step) {
        double right = (static_cast<int>(y) % 2) ? 22 : 20;
        g.rect(9.5, y, right, y + (g.k >= 1 ? 1.2 : 2), col);
    }
}

void drawFolder(Grid& g) {
    g.box(2, 6, 14, 12, 1.5, kFolderEdge, kFolderDark);      // tab
    g.box(2, 9, 30, 28, 1.5, kFolderEdge, kFolderDark);      // back
    g.box(2, 12, 30, 28, 1.5, kFolderEdge, kFolderLight);    // front
    g.rect(3.5, 13.2, 28.5, 14.4, {255, 234, 170});           // highlight
}

void drawGeneric(Grid& g) { page(g); }

void drawText(Grid& g) {
    page(g);
    textLines(g, {150, 158, 170});
}

void drawDocument(Grid& g) {
    page(g);
    g.rect(9.5, 8, 19, 11, kBlue);
    textLines(g, {110, 140, 190}, 1);
}

void drawImage(Grid& g) {
    g.box(2, 5, 30, 27, 1.5, {90, 100, 115}, kWhite);
    g.rect(4, 7, 28, 25, {140, 196, 240});                   // sky
    g.ellipse(22, 12, 2.6, 2.6, {255, 206, 60});              // sun
    g.poly({{4, 25}, {12, 14}, {18, 21}, {21, 18}, {28, 25}}, {60, 140, 70});  // hills
    g.poly({{12, 14}, {14.5, 17.2}, {9.6, 17.2}}, {235, 245, 235});           // snow
}

void drawAudio(Grid& g) {
    page(g);
    Rgba note{126, 60, 160};
    g.ellipse(12.5, 24, 3.2, 2.6, note);
    g.ellipse(20.5, 22, 3.2, 2.6, note);
    g.rect(14.6, 11, 16.1, 24, note);
    g.rect(22.6, 9, 24.1, 22, note);
    g.poly({{14.6, 11}, {24.1, 8}, {24.1, 11}, {14.6, 14}}, note);
}

void drawVideo(Grid& g) {
    Rgba film{50, 56, 66};
    g.round(3, 5, 29, 27, 2, film);
    for (double x = 5; x < 28; x += 4) {
        g.rect(x, 6.5, x + 2, 8.5, kWhite);
        g.rect(x, 23.5, x + 2, 25.5, kWhite);
    }
    g.rect(5, 10, 27, 22, {110, 170, 230});
    g.poly({{13, 12.5}, {21, 16}, {13, 19.5}}, kWhite);
}

void drawArchive(Grid& g) {
    Rgba edge{140, 104, 50};
    g.box(3, 8, 29, 29, 1.5, edge, {214, 170, 100});
    g.box(2, 4, 30, 10, 1.5, edge, {232, 196, 130});
    g.rect(14, 4, 18, 29, {120, 128, 140});
    for (double y = 11; y < 28; y += 3) g.rect(14, y, 18, y + 1.5, {220, 224, 230});
}

void drawExecutable(Grid& g) {
    g.box(2, 5, 30, 27, 1.5, {60, 76, 100}, {248, 250, 252});
    g.rect(3, 6, 29, 11, kBlue);
    g.rect(24, 7.5, 27, 9.5, kWhite);
    g.rect(5, 14, 16, 16, {170, 178, 190});
    g.rect(5, 18, 20, 20, {170, 178, 190});
    g.poly({{19, 22}, {27, 17}, {27, 26}}, {60, 160, 80});
}

}  // namespace

const std::vector<std::string>& iconFamilies() {
    static const std::vector<std::string> names = {"folder", "image",    "audio",      "video",  "text",
                                                   "archive", "document", "executable", "generic"};
    return names;
}

bool drawIcon(const std::string& family, int size, const std::string& path) {
    static const std::map<std::string, std::function<void(Grid&)>> painters = {
        {"folder", drawFolder}, {"image", drawImage},         {"audio", drawAudio},
        {"video", drawVideo},   {"text", drawText},           {"archive", drawArchive},
        {"document", drawDocument}, {"executable", drawExecutable}, {"generic", drawGeneric},
    };
    auto it = painters.find(family);
    if (it == painters.end()) return false;
    Canvas c(size, size, 8);
    Grid g{c, size / 32.0, 32.0 / size};
    it->second(g);
    return c.writePng(path);
}

}  // namespace imggen
