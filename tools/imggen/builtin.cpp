// The pictures of the listing pages: banner, toolbar, buttons, navigation,
// sort markers, the left-pane folder and the drive pictures.
#include "builtin.h"

#include "palette.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace imggen {

namespace {

constexpr double kBannerDark = 253;  // icon + text columns share one dark gradient

// Banner background at absolute x (0 .. 356): navy to blue, then blue to white.
Rgba bannerAt(double x) {
    if (x < kBannerDark) return mix(kNavy, kBlue, x / kBannerDark);
    return mix(kBlue, kWhite, std::min(1.0, (x - kBannerDark) / 103.0));
}

void bannerBackground(Canvas& c, double x0) {
    for (int x = 0; x < c.width(); ++x) c.rect(x, 0, x + 1, c.height(), bannerAt(x0 + x));
    // A soft sheen over the upper half.
    c.gradient(0, 0, c.width(), c.height() / 2.0, {255, 255, 255, 112}, {255, 255, 255, 127}, false);
}

// A compact camera, used in the banner and the toolbar start.
void camera(Canvas& c, double x, double y, double k, Rgba body, Rgba lens) {
    c.roundRect(x + 6 * k, y + 2 * k, x + 16 * k, y + 7 * k, 1.5 * k, body);
    c.roundRect(x, y + 5 * k, x + 36 * k, y + 27 * k, 4 * k, body);
    c.ellipse(x + 18 * k, y + 16 * k, 8.5 * k, 8.5 * k, lens);
    c.ellipse(x + 18 * k, y + 16 * k, 6 * k, 6 * k, body);
    c.ellipse(x + 18 * k, y + 16 * k, 4 * k, 4 * k, mix(lens, kNavy, 0.35));
    c.ellipse(x + 16.5 * k, y + 14.5 * k, 1.4 * k, 1.4 * k, {255, 255, 255, 40});
    c.rect(x + 28 * k, y + 9 * k, x + 32 * k, y + 11 * k, lens);
}

void folderShape(Canvas& c, double x, double y, double w, double h) {
    double tab = w * 0.4;
    c.roundRect(x, y, x + tab, y + h * 0.3, 2, kFolderEdge);
    c.roundRect(x + 1, y + 1, x + tab - 1, y + h * 0.3, 1.5, kFolderDark);
    c.roundRect(x, y + h * 0.15, x + w, y + h, 3, kFolderEdge);
    c.roundRect(x + 1, y + h * 0.15 + 1, x + w - 1, y + h - 1, 2.5, kFolderDark);
}

void viewButton(Canvas& c, const std::string& label, bool selected) {
    double w = c.width(), h = c.height();
    if (selected) {
        c.roundRect(0.5, 0.5, w - 0.5, h - 0.5, 4, {255, 255, 255});
        c.gradient(1.5, h / 2, w - 1.5, h - 1.5, {255, 255, 255}, {222, 233, 247}, false);
        c.finish();
        c.textCentred(label, 11, 0, 0, w, h, kNavy, true);
    } else {
        c.fill(kToolbar);
        c.roundRect(0.5, 0.5, w - 0.5, h - 0.5, 4, {255, 255, 255, 70});
        c.roundRect(1.5, 1.5, w - 1.5, h - 1.5, 3, mix(kToolbar, kBlue, 0.25));
        c.finish();
        c.textCentred(label, 11, 0, 0, w, h, kWhite, false);
    }
}

void upFolder(Canvas& c, bool enabled) {
    c.fill(kToolbar);
    if (enabled) {
        folderShape(c, 3, 5, 22, 17);
        c.roundRect(4, 10, 24, 21, 2, kFolderLight);
    } else {
        Rgba g1{150, 170, 200}, g2{176, 194, 220};
        c.roundRect(3, 5, 12, 10, 2, g1);
        c.roundRect(3, 7.5, 25, 22, 3, g1);
        c.roundRect(4, 10, 24, 21, 2, g2);
    }
    Rgba arrow = enabled ? Rgba{30, 130, 60} : Rgba{130, 150, 185};
    c.polygon({{14, 9}, {19.5, 14.5}, {16, 14.5}, {16, 19.5}, {12, 19.5}, {12, 14.5}, {8.5, 14.5}}, arrow);
}

void browseButton(Canvas& c, bool right, bool enabled) {
    double w = c.width(), h = c.height();
    Rgba edge = enabled ? kSky : Rgba{214, 218, 224};
    Rgba face = enabled ? kPaleBlue : Rgba{246, 247, 249};
    c.roundRect(1, 1, w - 1, h - 1, 6, edge);
    c.roundRect(2, 2, w - 2, h - 2, 5, face);
    Rgba ink = enabled ? kBlue : Rgba{196, 200, 208};
    double cx = w / 2, cy = h / 2;
    if (right) c.polygon({{cx - 3.5, cy - 7}, {cx + 4.5, cy}, {cx - 3.5, cy + 7}}, ink);
    else c.polygon({{cx + 3.5, cy - 7}, {cx - 4.5, cy}, {cx + 3.5, cy + 7}}, ink);
}

// Sort markers are pixel art: no supersampling, hard edges for the GIF palette.
void sortMarker(Canvas& c, bool up, bool down) {
    Rgba ink{80, 88, 100};
    auto tri = [&](int top, int rows, bool pointUp) {
        for (int i = 0; i < rows; ++i) {
            int half = pointUp ? i : rows - 1 - i;
            c.rect(4 - half, top + i, 5 + half, top + i + 1, ink);
        }
    };
    if (up && down) {
        tri(1, 3, true);
        tri(7, 3, false);
    } else {
        tri(4, 4, up);
    }
}

void drive(Canvas& c, const std::string& kind) {
    double x = 8, y = 8, w = 52;
    Rgba edge{96, 106, 122};
    if (kind == "cdrom") {
        c.ellipse(x + 26, y + 17, 17, 17, edge);
        c.ellipse(x + 26, y + 17, 16, 16, {226, 232, 240});
        c.arc(x + 26, y + 17, 16, 16, 200, 250, {190, 220, 250});
        c.arc(x + 26, y + 17, 16, 16, 20, 70, {250, 220, 190});
        c.ellipse(x + 26, y + 17, 5, 5, edge);
        c.ellipse(x + 26, y + 17, 3.5, 3.5, kWhite);
    } else {
        double top = y + 8;
        c.roundRect(x, top, x + w, top + 20, 3, edge);
        c.roundRect(x + 1, top + 1, x + w - 1, top + 19, 2.5, {214, 220, 230});
        c.gradient(x + 1, top + 1, x + w - 1, top + 8, {240, 243, 247}, {214, 220, 230}, false);
        c.rect(x + 6, top + 12, x + 30, top + 14, {150, 158, 170});
        c.ellipse(x + w - 8, top + 13, 2, 2, kind == "removable" ? Rgba{240, 170, 40} : Rgba{60, 190, 80});
        if (kind == "removable") c.rect(x + 6, top + 5, x + 30, top + 8, {90, 98, 112});
        if (kind == "remote") {
            c.rect(x + w / 2 - 1, top + 20, x + w / 2 + 1, top + 26, edge);
            c.rect(x + 6, top + 25, x + w - 6, top + 27, edge);
        }
    }
}

void addAll(std::vector<Builtin>& v) {
    auto add = [&](std::string name, int w, int h, std::function<void(Canvas&)> f, int ss = 4, bool gif = false) {
        v.push_back({std::move(name), w, h, gif, std::move(f), ss});
    };
    add("banner_icon_s1", 101, 56, [](Canvas& c) {
        bannerBackground(c, 0);
        camera(c, 33, 13, 1.0, kWhite, {120, 170, 225});
    });
    add("banner_text", 152, 56, [](Canvas& c) {
        bannerBackground(c, 101);
        c.finish();
        c.text("Loom", 22, 2, 29, kWhite, true);
        c.text("Photo Server", 13, 3, 45, {210, 226, 246});
    });
    add("gradient_s1", 103, 56, [](Canvas& c) { bannerBackground(c, 253); });
    add("skyloom_logo", 150, 49, [](Canvas& c) {
        c.fill(kWhite);
        // Three interlaced threads under a sky arc.
        c.ellipse(20, 24, 14, 14, kSky);
        c.ellipse(20, 24, 10.5, 10.5, kWhite);
        c.rect(6, 24, 34, 40, kWhite);
        for (int i = 0; i < 3; ++i) c.rect(10 + i * 7, 20 + (i % 2) * 2, 14 + i * 7, 36, i == 1 ? kNavy : kBlue);
        c.rect(8, 27, 32, 30, kSky);
        c.finish();
        c.text("Skyloom", 19, 42, 32, kNavy, true);
    });
    add("banner_icon_s2", 150, 29, [](Canvas& c) {
        c.fill(kToolbar);
        c.gradient(0, 0, 101, 29, mix(kNavy, kToolbar, 0.45), kToolbar, true);
    });
    add("gradient_s2", 150, 29, [](Canvas& c) {
        c.fill(kToolbar);
        camera(c, 6, 5, 0.55, kWhite, kSky);
        c.finish();
        c.text("Loom Photo Server", 10.5, 30, 19, kWhite, true);
    });
    add("blue_bkgnd", 1, 1, [](Canvas& c) { c.fill(kToolbar); }, 1);
    add("pixel", 1, 1, [](Canvas& c) { c.fill(kClear); }, 1);
    add("grey_pixel", 1, 1, [](Canvas& c) { c.fill(kGrey); }, 1);
    add("upfolder", 28, 27, [](Canvas& c) { upFolder(c, true); });
    add("upfolder_disabled", 28, 27, [](Canvas& c) { upFolder(c, false); });
    struct Btn { const char* name; const char* label; int w; };
    for (Btn b : {Btn{"list_btn", "List", 58}, Btn{"icons_btn", "Icons", 68}, Btn{"details_btn", "Details", 75},
                  Btn{"filmstrip_btn", "Filmstrip", 83}, Btn{"upload_btn", "Upload", 68}}) {
        std::string label = b.label;
        add(b.name, b.w, 20, [label](Canvas& c) { viewButton(c, label, false); });
        add(std::string(b.name) + "_sel", b.w, 20, [label](Canvas& c) { viewButton(c, label, true); });
    }
    add("browse_left", 24, 96, [](Canvas& c) { browseButton(c, false, true); });
    add("browse_left_disabled", 24, 96, [](Canvas& c) { browseButton(c, false, false); });
    add("browse_right", 24, 96, [](Canvas& c) { browseButton(c, true, true); });
    add("browse_right_disabled", 24, 96, [](Canvas& c) { browseButton(c, true, false); });
    add("upsort", 9, 11, [](Canvas& c) { sortMarker(c, true, false); }, 1, true);
    add("downsort", 9, 11, [](Canvas& c) { sortMarker(c, false, true); }, 1, true);
    add("updownsort", 9, 11, [](Canvas& c) { sortMarker(c, true, true); }, 1, true);
    add("folder", 150, 50, [](Canvas& c) {
        c.fill(kWhite);
        folderShape(c, 8, 6, 54, 40);
        // Two photos standing in the folder.
        c.roundRect(16, 10, 44, 32, 1.5, {120, 128, 140});
        c.rect(17, 11, 43, 31, {140, 196, 240});
        c.polygon({{17, 31}, {27, 21}, {33, 27}, {36, 24}, {43, 31}}, {60, 140, 70});
        c.roundRect(28, 14, 54, 34, 1.5, {120, 128, 140});
        c.rect(29, 15, 53, 33, {250, 226, 180});
        c.ellipse(41, 23, 4, 4, {230, 120, 70});
        c.roundRect(9, 20, 61, 46, 3, kFolderEdge);
        c.roundRect(10, 21, 60, 45, 2.5, kFolderLight);
        c.rect(11, 22.2, 59, 23.6, {255, 234, 170});
    });
    for (const char* kind : {"fixed", "removable", "remote", "cdrom"}) {
        std::string k = kind;
        add(std::string("drive_") + kind, 150, 50, [k](Canvas& c) {
            c.fill(kWhite);
            drive(c, k);
        });
    }
}

}  // namespace

const std::vector<Builtin>& builtins() {
    static const std::vector<Builtin> all = [] {
        std::vector<Builtin> v;
        addAll(v);
        return v;
    }();
    return all;
}

bool drawBuiltin(const Builtin& b, const std::string& path) {
    Canvas c(b.width, b.height, b.supersample);
    b.paint(c);
    return b.gif ? c.writeGif(path) : c.writePng(path);
}

}  // namespace imggen
