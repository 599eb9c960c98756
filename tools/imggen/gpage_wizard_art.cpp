// Pictures of the Add Collection wizard and the photo editor: the four
// buttons of the preview (turn, mirror both ways, restore), the three type
// icons of the Collection Type page, and the tall side pictures of the pages.
#include "gpageart.h"

#include "palette.h"

#include <cmath>

namespace imggen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSideW = 128;  // side pictures: the left column of a page
constexpr int kSideH = 280;

const Rgba kSkyTop{120, 178, 232};
const Rgba kSkyLow{196, 226, 250};
const Rgba kHill{86, 160, 72};
const Rgba kHillDark{58, 122, 52};
const Rgba kSun{250, 204, 64};
const Rgba kGreen{46, 150, 70};
const Rgba kArrowBlue{30, 96, 190};
const Rgba kFrame{90, 98, 112};
const Rgba kPaper{250, 250, 246};
const Rgba kShadow{0, 0, 0, 100};

// A stroke along a circle from angle a0 to a1 (degrees, counter-clockwise
// from three o'clock, y up as on paper), ending in an arrow head at a1.
void arcArrow(Canvas& c, double cx, double cy, double r, double a0, double a1, double width, Rgba colour,
              double head) {
    int steps = 24;
    auto at = [&](double deg) {
        double a = deg * kPi / 180.0;
        return Pt{cx + r * std::cos(a), cy - r * std::sin(a)};
    };
    for (int i = 0; i < steps; ++i) {
        Pt p = at(a0 + (a1 - a0) * i / steps), q = at(a0 + (a1 - a0) * (i + 1) / steps);
        c.line(p.x, p.y, q.x, q.y, width, colour);
        c.ellipse(q.x, q.y, width / 2, width / 2, colour);
    }
    // The head: a triangle across the stroke at a1, its tip a little further on.
    double a = a1 * kPi / 180.0, dir = a1 > a0 ? 1 : -1;
    Pt tip = at(a1 + dir * head * 1.7 / r * 180.0 / kPi);
    Pt base = at(a1);
    double nx = std::cos(a), ny = -std::sin(a);  // the radius at a1, y down
    c.polygon({{base.x + nx * head, base.y + ny * head}, {base.x - nx * head, base.y - ny * head}, tip}, colour);
}

// A small framed landscape: sky, sun, two hills.
void landscape(Canvas& c, double x0, double y0, double x1, double y1) {
    double w = x1 - x0, h = y1 - y0;
    c.rect(x0, y0, x1, y1, kFrame);
    double b = std::max(1.0, w / 16);
    c.gradient(x0 + b, y0 + b, x1 - b, y1 - b, kSkyTop, kSkyLow, false);
    c.ellipse(x0 + w * 0.72, y0 + h * 0.32, w * 0.1, w * 0.1, kSun);
    c.polygon({{x0 + b, y1 - b}, {x0 + b, y0 + h * 0.62}, {x0 + w * 0.38, y0 + h * 0.42}, {x0 + w * 0.7, y1 - b}},
              kHillDark);
    c.polygon({{x0 + w * 0.3, y1 - b}, {x0 + w * 0.66, y0 + h * 0.55}, {x1 - b, y0 + h * 0.68}, {x1 - b, y1 - b}},
              kHill);
}

// One side of a mirrored figure: a peak leaning towards the axis.
void halfFigure(Canvas& c, double k, bool left, bool vertical) {
    auto p = [&](double x, double y) {
        if (!left) x = 32 - x;
        return vertical ? Pt{y * k, x * k} : Pt{x * k, y * k};
    };
    Rgba fill = left ? kArrowBlue : kSkyLow;
    Rgba edge = left ? kNavy : kSky;
    c.polygon({p(2, 26), p(13.5, 26), p(13.5, 6)}, edge);
    c.polygon({p(4.2, 24.6), p(12.2, 24.6), p(12.2, 10.5)}, fill);
}

void mirrorIcon(Canvas& c, bool vertical) {
    double k = c.width() / 32.0;
    halfFigure(c, k, true, vertical);
    halfFigure(c, k, false, vertical);
    // The mirror line, dashed.
    for (double t = 1; t < 31; t += 4) {
        if (vertical) c.rect(t * k, 15.2 * k, (t + 2.4) * k, 16.8 * k, kInk);
        else c.rect(15.2 * k, t * k, 16.8 * k, (t + 2.4) * k, kInk);
    }
}

void rotateIcon(Canvas& c) {
    double k = c.width() / 32.0;
    landscape(c, 9 * k, 9 * k, 23 * k, 23 * k);
    arcArrow(c, 16 * k, 16 * k, 12.5 * k, -30, 200, 2.6 * k, kArrowBlue, 3.6 * k);
}

void restoreIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.rect(5 * k, 7 * k, 27 * k, 27 * k, kShadow);
    landscape(c, 3 * k, 5 * k, 25 * k, 25 * k);
    // A round green badge with a turning-back arrow.
    c.ellipse(23 * k, 23 * k, 8 * k, 8 * k, kWhite);
    c.ellipse(23 * k, 23 * k, 7 * k, 7 * k, kGreen);
    arcArrow(c, 23 * k, 23 * k, 4 * k, -60, 170, 1.7 * k, kWhite, 2.4 * k);
}

void photoTypeIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.rect(5 * k, 8 * k, 29 * k, 28 * k, kShadow);
    c.rect(3 * k, 6 * k, 27 * k, 26 * k, kWhite);
    landscape(c, 5 * k, 8 * k, 25 * k, 24 * k);
}

void fileTypeIcon(Canvas& c) {
    double k = c.width() / 32.0;
    for (int i = 0; i < 2; ++i) {
        double d = i * 5;
        c.polygon({{(4 + d) * k, (2 + d) * k}, {(16 + d) * k, (2 + d) * k}, {(21 + d) * k, (7 + d) * k},
                   {(21 + d) * k, (25 + d) * k}, {(4 + d) * k, (25 + d) * k}},
                  kMidGrey);
        c.polygon({{(5.2 + d) * k, (3.2 + d) * k}, {(15.5 + d) * k, (3.2 + d) * k}, {(19.8 + d) * k, (7.5 + d) * k},
                   {(19.8 + d) * k, (23.8 + d) * k}, {(5.2 + d) * k, (23.8 + d) * k}},
                  kPaper);
        for (double y = 10; y < 22; y += 3.5) c.rect((7.5 + d) * k, (y + d) * k, (17.5 + d) * k, (y + 1.4 + d) * k, kSky);
    }
}

void mixedTypeIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.polygon({{3 * k, 3 * k}, {15 * k, 3 * k}, {20 * k, 8 * k}, {20 * k, 26 * k}, {3 * k, 26 * k}}, kMidGrey);
    c.polygon({{4.2 * k, 4.2 * k}, {14.5 * k, 4.2 * k}, {18.8 * k, 8.5 * k}, {18.8 * k, 24.8 * k}, {4.2 * k, 24.8 * k}},
              kPaper);
    for (double y = 10; y < 22; y += 3.5) c.rect(6.5 * k, y * k, 16.5 * k, (y + 1.4) * k, kSky);
    c.rect(13 * k, 14 * k, 31 * k, 30 * k, kShadow);
    c.rect(11 * k, 12 * k, 29 * k, 28 * k, kWhite);
    landscape(c, 12.5 * k, 13.5 * k, 27.5 * k, 26.5 * k);
}

// The background of every side picture: a deep blue fading down, soft light
// discs, and a pale rule along the right edge.
void sideBackground(Canvas& c) {
    c.gradient(0, 0, kSideW, kSideH, kNavy, kToolbar, false);
    c.ellipse(20, 40, 70, 70, alpha(kWhite, 118));
    c.ellipse(118, 236, 60, 60, alpha(kWhite, 120));
    c.ellipse(100, 70, 26, 26, alpha(kWhite, 122));
    c.rect(kSideW - 3, 0, kSideW, kSideH, alpha(kPaleBlue, 60));
}

// A photo print, slightly turned: a white border round a landscape.
void print(Canvas& c, double cx, double cy, double w, double h, double turnDeg) {
    double a = turnDeg * kPi / 180.0, ca = std::cos(a), sa = std::sin(a);
    auto corner = [&](double dx, double dy) { return Pt{cx + dx * ca - dy * sa, cy + dx * sa + dy * ca}; };
    double hw = w / 2, hh = h / 2;
    c.polygon({corner(-hw + 3, -hh + 4), corner(hw + 3, -hh + 4), corner(hw + 3, hh + 4), corner(-hw + 3, hh + 4)},
              kShadow);
    c.polygon({corner(-hw, -hh), corner(hw, -hh), corner(hw, hh), corner(-hw, hh)}, kWhite);
    if (std::fabs(turnDeg) < 0.5) {
        landscape(c, cx - hw + 5, cy - hh + 5, cx + hw - 5, cy + hh - 14);
    } else {
        double b = 5;
        c.polygon({corner(-hw + b, -hh + b), corner(hw - b, -hh + b), corner(hw - b, hh - 14), corner(-hw + b, hh - 14)},
                  kSkyTop);
        c.polygon({corner(-hw + b, hh - 14), corner(-hw + b, 0), corner(0, -hh / 3), corner(hw - b, hh - 20),
                   corner(hw - b, hh - 14)},
                  kHill);
    }
}

void nameSide(Canvas& c) {
    sideBackground(c);
    // An album with a name label on its cover.
    c.roundRect(22, 96, 110, 206, 5, kShadow);
    c.roundRect(18, 92, 106, 202, 5, mix(kFolderEdge, kNavy, 0.35));
    c.rect(24, 92, 28, 202, alpha(kInk, 70));
    c.roundRect(40, 112, 96, 138, 3, kPaper);
    c.rect(46, 120, 90, 122.5, kMidGrey);
    c.rect(46, 127, 78, 129.5, kMidGrey);
    print(c, 70, 168, 40, 36, 0);
}

void filesSide(Canvas& c) {
    sideBackground(c);
    print(c, 58, 126, 70, 60, -10);
    print(c, 72, 152, 70, 60, 6);
    print(c, 62, 184, 70, 60, 0);
    // A plus badge: photos being added.
    c.ellipse(98, 218, 17, 17, kWhite);
    c.ellipse(98, 218, 15, 15, kGreen);
    c.rect(90, 216, 106, 220, kWhite);
    c.rect(96, 210, 100, 226, kWhite);
}

void passwordSide(Canvas& c) {
    sideBackground(c);
    const Rgba gold{232, 176, 40}, goldDark{160, 110, 20};
    c.ellipse(64, 118, 28, 30, goldDark);
    c.ellipse(64, 118, 19, 21, mix(kNavy, kToolbar, 0.45));
    c.rect(36, 118, 92, 140, mix(kNavy, kToolbar, 0.45));
    c.rect(36, 118, 45, 150, goldDark);
    c.rect(83, 118, 92, 150, goldDark);
    c.roundRect(24, 142, 104, 212, 8, goldDark);
    c.roundRect(28, 146, 100, 208, 6, gold);
    c.ellipse(64, 170, 8, 8, kInk);
    c.polygon({{59, 172}, {69, 172}, {67, 192}, {61, 192}}, kInk);
}

void copySide(Canvas& c) {
    sideBackground(c);
    // Prints travel down into an open folder.
    print(c, 64, 86, 40, 34, -8);
    print(c, 64, 130, 40, 34, 5);
    c.polygon({{58, 150}, {70, 150}, {70, 166}, {78, 166}, {64, 180}, {50, 166}, {58, 166}}, kWhite);
    c.roundRect(22, 184, 106, 238, 4, kFolderEdge);
    c.roundRect(22, 178, 58, 192, 4, kFolderDark);
    c.roundRect(24, 190, 104, 236, 3, kFolderDark);
    c.polygon({{18, 200}, {110, 200}, {104, 238}, {24, 238}}, kFolderLight);
}

void finishSide(Canvas& c) {
    sideBackground(c);
    print(c, 64, 150, 76, 66, 0);
    c.ellipse(96, 196, 22, 22, kWhite);
    c.ellipse(96, 196, 19.5, 19.5, kGreen);
    c.line(85, 196, 93, 205, 5, kWhite);
    c.line(93, 205, 108, 186, 5, kWhite);
}

}  // namespace

std::vector<PageArt> galleonWizardArt() {
    auto side = [](const char* name, void (*paint)(Canvas&)) { return PageArt{name, false, kSideW, kSideH, paint, 4}; };
    return {
        {"IDI_ROTATE", true, 0, 0, rotateIcon},
        {"IDI_FLIP_HORIZONTAL", true, 0, 0, [](Canvas& c) { mirrorIcon(c, false); }},
        {"IDI_FLIP_VERTICAL", true, 0, 0, [](Canvas& c) { mirrorIcon(c, true); }},
        {"IDI_RESTORE", true, 0, 0, restoreIcon},
        {"IDI_WIZ_TYPE_PHOTO", true, 0, 0, photoTypeIcon},
        {"IDI_WIZ_TYPE_FILE", true, 0, 0, fileTypeIcon},
        {"IDI_WIZ_TYPE_MIXED", true, 0, 0, mixedTypeIcon},
        side("IDB_WIZ_NAME", nameSide),
        side("IDB_WIZ_FILES", filesSide),
        side("IDB_WIZ_PASSWORD", passwordSide),
        side("IDB_WIZ_COPY", copySide),
        side("IDB_WIZ_FINISH", finishSide),
    };
}

}  // namespace imggen
