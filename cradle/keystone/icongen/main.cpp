// keystone_icongen OUTDIR: draws the host's icons (16 and 32 pixels) into
// OUTDIR and writes OUTDIR/icons.rc, the ICON lines of the branding module:
// the tray states ONLINE and OFFLINE, ONLINEICON (window icon of the small
// dialogs), ICONSETTINGS, BLANK (the blinking icon's empty phase) and the
// tray menu's item icons 300 to 307 (normal and active of each item).
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

// Shapes on a 32-unit grid, scaled to the icon's size.
struct Grid {
    Canvas &c;
    double k;
    void ellipse(double cx, double cy, double r, Rgba col) { c.ellipse(cx * k, cy * k, r * k, r * k, col); }
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

// The program's mark: a loom frame (two posts and a beam) over a disc.
void mark(Grid &g, Rgba rim, Rgba fill, Rgba frame) {
    g.ellipse(16, 16, 15, rim);
    g.ellipse(16, 16, 13, fill);
    g.rect(9, 8, 12, 24, frame);
    g.rect(20, 8, 23, 24, frame);
    g.rect(7, 7, 25, 10, frame);
    for (int i = 0; i < 3; ++i) g.seg(12, 13 + i * 4, 20, 13 + i * 4, 1.4, kWhite);
}

void online(Grid &g) { mark(g, {20, 96, 40}, {60, 170, 80}, {250, 250, 240}); }
void offline(Grid &g) { mark(g, {90, 94, 100}, {160, 164, 170}, {235, 235, 235}); }
void onlineIcon(Grid &g) {
    mark(g, {16, 70, 140}, {50, 130, 210}, {255, 250, 230});
    g.ellipse(25, 25, 5, {20, 96, 40});
    g.ellipse(25, 25, 3.5, {90, 200, 100});
}

void gear(Grid &g, Rgba col, Rgba hole) {
    for (int i = 0; i < 8; ++i) {
        double a = i * 3.14159265 / 4;
        double cx = 16 + 12 * std::cos(a), cy = 16 + 12 * std::sin(a);
        g.ellipse(cx, cy, 3.2, col);
    }
    g.ellipse(16, 16, 11, col);
    g.ellipse(16, 16, 4.5, hole);
}
void settings(Grid &g) { gear(g, {80, 90, 110}, kWhite); }

void blank(Grid &) {}

// Close: a red disc with a white cross (active: brighter).
void closeIcon(Grid &g, bool active) {
    g.ellipse(16, 16, 14, active ? Rgba{230, 60, 50} : Rgba{180, 40, 35});
    g.seg(10, 10, 22, 22, 3.5, kWhite);
    g.seg(22, 10, 10, 22, 3.5, kWhite);
}
// Properties: a sheet with lines and a small gear.
void propertiesIcon(Grid &g, bool active) {
    g.round(5, 3, 24, 29, 2, active ? Rgba{60, 110, 190} : Rgba{90, 100, 120});
    g.rect(7, 5, 22, 27, kWhite);
    for (int i = 0; i < 4; ++i) g.rect(9, 9 + i * 4, 20, 10.5 + i * 4, {150, 150, 160});
    Grid small{g.c, g.k * 0.5};
    Rgba gc = active ? Rgba{230, 150, 30} : Rgba{120, 120, 130};
    for (int i = 0; i < 8; ++i) {
        double a = i * 3.14159265 / 4;
        small.ellipse(44 + 12 * std::cos(a), 44 + 12 * std::sin(a), 3.5, gc);
    }
    small.ellipse(44, 44, 11, gc);
    small.ellipse(44, 44, 4.5, kWhite);
}
// Help: a blue disc with a question mark.
void helpIcon(Grid &g, bool active) {
    g.ellipse(16, 16, 14, active ? Rgba{40, 120, 230} : Rgba{30, 80, 170});
    g.c.finish();
    g.c.textCentred("?", 22 * g.k, 0, 0, 32 * g.k, 32 * g.k, kWhite, true);
}
// What's this: a pointer with a small question mark.
void whatsThisIcon(Grid &g, bool active) {
    Rgba col = active ? Rgba{40, 120, 230} : kInk;
    g.poly({{4, 3}, {4, 25}, {9, 20}, {13, 29}, {17, 27}, {13, 18}, {20, 18}}, col);
    g.poly({{6, 8}, {6, 20}, {9, 17}, {13, 25}, {14, 24}, {10, 16}, {15, 16}}, kWhite);
    g.ellipse(24, 10, 7, active ? Rgba{230, 150, 30} : Rgba{60, 110, 190});
    g.c.finish();
    g.c.textCentred("?", 11 * g.k, 17 * g.k, 3 * g.k, 31 * g.k, 17 * g.k, kWhite, true);
}

struct IconSpec {
    std::string name;  // resource name or number
    std::string file;
    std::function<void(Grid &)> draw;
    bool drawsText = false;
};

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: keystone_icongen OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    std::vector<IconSpec> icons = {
        {"ONLINE", "online", online},
        {"OFFLINE", "offline", offline},
        {"ONLINEICON", "onlineicon", onlineIcon},
        {"ICONSETTINGS", "settings", settings},
        {"BLANK", "blank", blank},
        {"300", "close", [](Grid &g) { closeIcon(g, false); }},
        {"301", "close_active", [](Grid &g) { closeIcon(g, true); }},
        {"302", "properties", [](Grid &g) { propertiesIcon(g, false); }},
        {"303", "properties_active", [](Grid &g) { propertiesIcon(g, true); }},
        {"304", "help_active", [](Grid &g) { helpIcon(g, true); }, true},
        {"305", "help", [](Grid &g) { helpIcon(g, false); }, true},
        {"306", "whatsthis", [](Grid &g) { whatsThisIcon(g, false); }, true},
        {"307", "whatsthis_active", [](Grid &g) { whatsThisIcon(g, true); }, true},
    };
    std::ofstream rc(dir + "/icons.rc.tmp");
    rc << "// Generated by keystone_icongen: the host's icons.\n";
    int failures = 0;
    for (const auto &icon : icons) {
        std::string files;
        for (int size : {16, 32}) {
            Canvas c(size, size);
            Grid g{c, size / 32.0};
            icon.draw(g);
            if (!icon.drawsText) c.finish();
            std::string path = dir + "/" + icon.file + "_" + std::to_string(size) + ".png";
            if (!c.writePng(path)) {
                std::fprintf(stderr, "keystone_icongen: cannot write %s\n", path.c_str());
                ++failures;
            }
            files += (files.empty() ? "\"" : ", \"") + path + "\"";
        }
        rc << icon.name << " ICON " << files << "\n";
    }
    rc.close();
    gdFontCacheShutdown();
    if (failures || !rc) return 1;
    return std::rename((dir + "/icons.rc.tmp").c_str(), (dir + "/icons.rc").c_str()) == 0 ? 0 : 1;
}
