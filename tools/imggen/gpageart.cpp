// The pictures several groups of the photo plug-in's pages share, and the
// writer of all of them.
#include "gpageart.h"

#include "palette.h"

namespace imggen {

namespace {

const Rgba kArrow{96, 96, 96};
const Rgba kRed{200, 32, 32};
const Rgba kGold{232, 176, 40};
const Rgba kGoldDark{160, 110, 20};

void sortArrow(Canvas& c, bool up) {
    // A small solid triangle, centred as header sort marks are.
    if (up) c.polygon({{4, 11}, {12, 11}, {8, 5}}, kArrow);
    else c.polygon({{4, 5}, {12, 5}, {8, 11}}, kArrow);
}

// A sheet of paper with a folded corner and a few lines of text.
void fileIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.polygon({{6 * k, 2 * k}, {20 * k, 2 * k}, {26 * k, 8 * k}, {26 * k, 30 * k}, {6 * k, 30 * k}}, kMidGrey);
    c.polygon({{7.5 * k, 3.5 * k}, {19.5 * k, 3.5 * k}, {24.5 * k, 8.5 * k}, {24.5 * k, 28.5 * k}, {7.5 * k, 28.5 * k}},
              kWhite);
    c.polygon({{19.5 * k, 3.5 * k}, {24.5 * k, 8.5 * k}, {19.5 * k, 8.5 * k}}, kGrey);
    for (double y = 12; y < 26; y += 4) c.rect(10 * k, y * k, 22 * k, (y + 1.5) * k, kSky);
}

// A padlock: the password of a collection.
void passwordIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.arc(16 * k, 13 * k, 7 * k, 8 * k, 180, 360, kGoldDark);
    c.line(9 * k, 13 * k, 9 * k, 16 * k, 3 * k, kGoldDark);
    c.line(23 * k, 13 * k, 23 * k, 16 * k, 3 * k, kGoldDark);
    c.roundRect(5 * k, 15 * k, 27 * k, 30 * k, 2.5 * k, kGoldDark);
    c.roundRect(6.5 * k, 16.5 * k, 25.5 * k, 28.5 * k, 2 * k, kGold);
    c.ellipse(16 * k, 21.5 * k, 2.2 * k, 2.2 * k, kInk);
    c.rect(15 * k, 22 * k, 17 * k, 26 * k, kInk);
}

// Three stacked cards of different colours: the type of a collection.
void typeIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.roundRect(2 * k, 4 * k, 20 * k, 18 * k, 2 * k, kNavy);
    c.roundRect(3.5 * k, 5.5 * k, 18.5 * k, 16.5 * k, 1.5 * k, kSky);
    c.roundRect(8 * k, 10 * k, 26 * k, 24 * k, 2 * k, kFolderEdge);
    c.roundRect(9.5 * k, 11.5 * k, 24.5 * k, 22.5 * k, 1.5 * k, kFolderLight);
    c.roundRect(14 * k, 16 * k, 30 * k, 30 * k, 2 * k, kInk);
    c.roundRect(15.5 * k, 17.5 * k, 28.5 * k, 28.5 * k, 1.5 * k, kWhite);
}

// A red disc with a white cross: beside an error line.
void errorIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.ellipse(16 * k, 16 * k, 14 * k, 14 * k, kRed);
    c.line(10 * k, 10 * k, 22 * k, 22 * k, 4 * k, kWhite);
    c.line(22 * k, 10 * k, 10 * k, 22 * k, 4 * k, kWhite);
}

bool drawOne(const PageArt& p, const std::string& dir, std::ostream& rc) {
    bool ok = true;
    std::vector<std::string> files;
    auto draw = [&](int w, int h, int ss) {
        Canvas c(w, h, ss);
        p.paint(c);
        c.finish();
        std::string file = dir + "/" + p.name + "_" + std::to_string(w) + "x" + std::to_string(h) + ".png";
        ok = c.writePng(file) && ok;
        files.push_back(file);
    };
    if (p.icon) {
        for (int size : {16, 32}) draw(size, size, 4);
    } else {
        draw(p.width, p.height, p.supersample);
    }
    rc << p.name << (p.icon ? " ICON" : " BITMAP");
    for (size_t i = 0; i < files.size(); ++i) rc << (i ? ", \"" : " \"") << files[i] << "\"";
    rc << "\n";
    return ok;
}

}  // namespace

std::vector<PageArt> galleonCommonArt() {
    auto mark = [](std::function<void(Canvas&)> paint) {
        return [paint](Canvas& c) {
            c.fill(kKeyColour);
            paint(c);
        };
    };
    return {
        {"IDB_SORT_BLANK", false, 16, 16, mark([](Canvas&) {})},
        {"IDB_SORT_UP", false, 16, 16, mark([](Canvas& c) { sortArrow(c, true); })},
        {"IDB_SORT_DOWN", false, 16, 16, mark([](Canvas& c) { sortArrow(c, false); })},
        {"IDI_FILE", true, 0, 0, fileIcon},
        {"IDI_PASSWORD", true, 0, 0, passwordIcon},
        {"IDI_TYPE", true, 0, 0, typeIcon},
        {"IDI_ERROR", true, 0, 0, errorIcon},
    };
}

bool drawGalleonPageArt(const std::string& dir, std::ostream& rc) {
    bool ok = true;
    for (auto group : {galleonCommonArt, galleonSettingsArt, galleonAdvancedArt, galleonWizardArt})
        for (const PageArt& p : group()) ok = drawOne(p, dir, rc) && ok;
    return ok;
}

}  // namespace imggen
