// settings_icongen OUTDIR: draws the pictures of the settings window, its
// dialogs and the tips dialog into OUTDIR and writes two resource scripts:
//   settings_images.rc  for the branding module: the list bitmaps 158
//                       (ascending arrow), 159 (descending arrow) and 160
//                       (default plug-in image) on the magenta mask colour,
//                       the category icons "CAT<name>" and the "TIP" icon;
//   program_icons.rc    for the program: icon 124 of the Help button.
#include <gd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "canvas.h"

using imggen::Canvas;
using imggen::Pt;
using imggen::Rgba;

namespace {

// Shapes on a 32-unit grid, scaled to the picture's size.
struct Grid {
    Canvas &c;
    double k;
    void ellipse(double cx, double cy, double rx, double ry, Rgba col) { c.ellipse(cx * k, cy * k, rx * k, ry * k, col); }
    void poly(std::vector<Pt> p, Rgba col) {
        for (auto &q : p) q = {q.x * k, q.y * k};
        c.polygon(p, col);
    }
    void rect(double x0, double y0, double x1, double y1, Rgba col) { c.rect(x0 * k, y0 * k, x1 * k, y1 * k, col); }
    void round(double x0, double y0, double x1, double y1, double r, Rgba col) {
        c.roundRect(x0 * k, y0 * k, x1 * k, y1 * k, r * k, col);
    }
    void seg(double x0, double y0, double x1, double y1, double w, Rgba col) {
        c.line(x0 * k, y0 * k, x1 * k, y1 * k, w * k, col);
    }
};

const Rgba kWhite{255, 255, 255};
const Rgba kInk{40, 40, 40};
const Rgba kMagenta{255, 0, 255};

// General: a gear.
void drawGeneral(Grid &g) {
    const Rgba rim{70, 80, 96}, body{150, 162, 180};
    for (int i = 0; i < 8; ++i) {
        double a = i * 3.14159265 / 4;
        double cx = 16 + 12 * std::cos(a), cy = 16 + 12 * std::sin(a);
        g.ellipse(cx, cy, 3.6, 3.6, rim);
    }
    g.ellipse(16, 16, 12, 12, rim);
    g.ellipse(16, 16, 10, 10, body);
    g.ellipse(16, 16, 4.5, 4.5, kWhite);
}

// Sharing: a folder holding a photo.
void drawSharing(Grid &g) {
    const Rgba rim{150, 110, 20}, folder{240, 196, 80};
    g.round(2, 6, 14, 12, 2, rim);
    g.round(2, 9, 30, 28, 2, rim);
    g.round(3.5, 10.5, 28.5, 26.5, 1.5, folder);
    g.rect(9, 4, 27, 20, kInk);
    g.rect(10, 5, 26, 19, {120, 180, 230});
    g.poly({{10, 19}, {16, 11}, {21, 17}, {23, 14}, {26, 19}}, {60, 140, 70});
    g.ellipse(22, 9, 2, 2, {250, 220, 90});
}

// Network: a globe with meridians.
void drawNetwork(Grid &g) {
    const Rgba rim{20, 70, 130}, sea{70, 140, 215};
    g.ellipse(16, 16, 14, 14, rim);
    g.ellipse(16, 16, 12.5, 12.5, sea);
    g.ellipse(16, 16, 5.5, 12.5, rim);
    g.ellipse(16, 16, 4, 11, sea);
    g.seg(3.5, 16, 28.5, 16, 1.5, rim);
    g.seg(6, 9, 26, 9, 1.2, rim);
    g.seg(6, 23, 26, 23, 1.2, rim);
    g.seg(16, 3.5, 16, 28.5, 1.5, rim);
}

// Unnamed: a plain folder.
void drawUnnamed(Grid &g) {
    const Rgba rim{120, 120, 120}, folder{205, 205, 205};
    g.round(2, 6, 14, 12, 2, rim);
    g.round(2, 9, 30, 28, 2, rim);
    g.round(3.5, 10.5, 28.5, 26.5, 1.5, folder);
}

// Tip: a light bulb.
void drawTip(Grid &g) {
    g.ellipse(16, 13, 10, 10, {170, 130, 10});
    g.ellipse(16, 13, 8.5, 8.5, {255, 230, 90});
    g.ellipse(13, 10, 2.5, 2.5, {255, 250, 210});
    g.rect(11.5, 21, 20.5, 27, {120, 120, 130});
    g.seg(11.5, 23, 20.5, 23, 1, {200, 200, 210});
    g.seg(11.5, 25, 20.5, 25, 1, {200, 200, 210});
    g.rect(13.5, 27, 18.5, 30, {80, 80, 90});
}

// Help: a question mark on a blue disc.
void drawHelp(Grid &g) {
    g.ellipse(16, 16, 15, 15, {20, 70, 150});
    g.ellipse(16, 16, 13, 13, {60, 120, 210});
    g.c.finish();
    double k = g.k;
    g.c.textCentred("?", 22 * k, 0, 2 * k, 32 * k, 30 * k, kWhite, true);
}

struct Icon {
    std::string name;
    void (*draw)(Grid &);
    std::vector<int> sizes;
};

bool writeIcon(const std::string &dir, const Icon &icon, std::ofstream &rc) {
    std::vector<std::string> files;
    for (int size : icon.sizes) {
        std::string file = dir + "/" + icon.name + "_" + std::to_string(size) + ".png";
        Canvas c(size, size, 8);
        Grid g{c, size / 32.0};
        icon.draw(g);
        if (!c.writePng(file)) return false;
        files.push_back(file);
    }
    rc << icon.name << " ICON";
    for (size_t i = 0; i < files.size(); ++i) rc << (i ? ", " : " ") << "\"" << files[i] << "\"";
    rc << "\n";
    return true;
}

// A 16 x 16 list bitmap on magenta, drawn without smoothing so the mask
// colour stays exact around the shape.
bool writeBitmap(const std::string &dir, int id, const std::function<void(Canvas &)> &draw, std::ofstream &rc) {
    std::string file = dir + "/bitmap_" + std::to_string(id) + ".png";
    Canvas c(16, 16, 1);
    c.fill(kMagenta);
    draw(c);
    if (!c.writePng(file)) return false;
    rc << id << " BITMAP \"" << file << "\"\n";
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_icongen OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    int failures = 0;

    std::ofstream rc(dir + "/settings_images.rc.tmp");
    rc << "// Generated by settings_icongen: list bitmaps, category and tip icons.\n";
    const Rgba arrow{90, 90, 90};
    failures += !writeBitmap(dir, 158, [&](Canvas &c) { c.polygon({{4, 10}, {12, 10}, {8, 5}}, arrow); }, rc);
    failures += !writeBitmap(dir, 159, [&](Canvas &c) { c.polygon({{4, 6}, {12, 6}, {8, 11}}, arrow); }, rc);
    failures += !writeBitmap(dir, 160, [&](Canvas &c) {
        // A plug: body, two pins and a cable.
        c.rect(3, 4, 11, 12, {40, 90, 160});
        c.rect(4, 5, 10, 11, {110, 160, 225});
        c.rect(11, 5, 15, 7, {90, 90, 90});
        c.rect(11, 9, 15, 11, {90, 90, 90});
        c.rect(0, 7, 3, 9, {40, 40, 40});
    }, rc);
    const std::vector<Icon> icons = {
        {"CATGeneral", drawGeneral, {16, 32}}, {"CATSharing", drawSharing, {16, 32}},
        {"CATNetwork", drawNetwork, {16, 32}}, {"CATUnnamed", drawUnnamed, {16, 32}},
        {"TIP", drawTip, {16, 32}},
    };
    for (const Icon &icon : icons) failures += !writeIcon(dir, icon, rc);
    rc.close();

    std::ofstream prc(dir + "/program_icons.rc.tmp");
    prc << "// Generated by settings_icongen: the Help button's icon.\n";
    failures += !writeIcon(dir, Icon{"124", drawHelp, {16, 32}}, prc);
    prc.close();

    gdFontCacheShutdown();
    if (failures || !rc || !prc) {
        std::fprintf(stderr, "settings_icongen: could not write the pictures\n");
        return 1;
    }
    if (std::rename((dir + "/settings_images.rc.tmp").c_str(), (dir + "/settings_images.rc").c_str()) != 0) return 1;
    return std::rename((dir + "/program_icons.rc.tmp").c_str(), (dir + "/program_icons.rc").c_str()) == 0 ? 0 : 1;
}
