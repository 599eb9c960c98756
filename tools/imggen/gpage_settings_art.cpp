// Pictures of the Settings page, its menus and the Edit Collection sheet:
// the server status marks, the collection rows (open, protected, marked for
// deletion), the View button and the View menu's items, the context menus'
// normal and active icons, the sheet's tab icons, the marked file and the
// page's three section pictures. Every icon is drawn on a 32-unit grid and
// scaled to the size asked for.
#include "gpageart.h"

#include "palette.h"

#include <cmath>

namespace imggen {

namespace {

const Rgba kRed{204, 36, 36};
const Rgba kRedDark{150, 20, 20};
const Rgba kGreen{40, 160, 60};
const Rgba kGreenDark{20, 110, 36};
const Rgba kGold{232, 176, 40};
const Rgba kGoldDark{160, 110, 20};
const Rgba kSun{255, 200, 40};
const Rgba kGrass{70, 150, 70};
const Rgba kMountain{96, 110, 130};
const Rgba kSteel{120, 128, 140};
const Rgba kSteelLight{200, 206, 214};
const Rgba kOrange{240, 140, 40};

double unit(const Canvas& c) { return c.width() / 32.0; }

// A closed folder: back with a tab, front flap.
void folder(Canvas& c, Rgba front, Rgba back) {
    double k = unit(c);
    c.roundRect(2 * k, 6 * k, 14 * k, 12 * k, 1.5 * k, kFolderEdge);
    c.roundRect(2 * k, 9 * k, 30 * k, 27 * k, 2 * k, kFolderEdge);
    c.roundRect(3.2 * k, 10.2 * k, 28.8 * k, 25.8 * k, 1.5 * k, back);
    c.polygon({{2 * k, 13 * k}, {30 * k, 13 * k}, {30 * k, 27 * k}, {2 * k, 27 * k}}, kFolderEdge);
    c.polygon({{3.2 * k, 14.2 * k}, {28.8 * k, 14.2 * k}, {28.8 * k, 25.8 * k}, {3.2 * k, 25.8 * k}}, front);
}

// An open folder: the front flap tilted forward, a sheet sticking out.
void openFolder(Canvas& c) {
    double k = unit(c);
    c.roundRect(2 * k, 6 * k, 14 * k, 12 * k, 1.5 * k, kFolderEdge);
    c.roundRect(2 * k, 9 * k, 28 * k, 27 * k, 2 * k, kFolderEdge);
    c.roundRect(3.2 * k, 10.2 * k, 26.8 * k, 25.8 * k, 1.5 * k, kFolderDark);
    c.rect(7 * k, 7 * k, 24 * k, 20 * k, kMidGrey);
    c.rect(8 * k, 8 * k, 23 * k, 20 * k, kWhite);
    c.rect(10 * k, 11 * k, 21 * k, 12.3 * k, kSky);
    c.rect(10 * k, 14.5 * k, 19 * k, 15.8 * k, kSky);
    c.polygon({{7 * k, 14 * k}, {31 * k, 14 * k}, {27 * k, 27 * k}, {2 * k, 27 * k}}, kFolderEdge);
    c.polygon({{8 * k, 15.2 * k}, {29.4 * k, 15.2 * k}, {26.1 * k, 25.8 * k}, {3.6 * k, 25.8 * k}}, kFolderLight);
}

// A padlock in the lower right corner.
void padlock(Canvas& c, double x0, double y0, double size) {
    double k = unit(c) * size / 14.0;
    auto X = [&](double v) { return (x0 + v * size / 14.0) * unit(c); };
    auto Y = [&](double v) { return (y0 + v * size / 14.0) * unit(c); };
    // The shackle: a half ring of short strokes over two posts.
    const double pi = 3.14159265358979;
    for (int i = 0; i < 8; ++i) {
        double a0 = pi + i * pi / 8, a1 = pi + (i + 1) * pi / 8;
        c.line(X(7 + 3.6 * std::cos(a0)), Y(6 + 4.2 * std::sin(a0)), X(7 + 3.6 * std::cos(a1)),
               Y(6 + 4.2 * std::sin(a1)), 1.8 * k, kGoldDark);
    }
    c.line(X(3.4), Y(6), X(3.4), Y(7.5), 1.8 * k, kGoldDark);
    c.line(X(10.6), Y(6), X(10.6), Y(7.5), 1.8 * k, kGoldDark);
    c.roundRect(X(1), Y(6.5), X(13), Y(14), 1.5 * k, kGoldDark);
    c.roundRect(X(2), Y(7.5), X(12), Y(13), 1 * k, kGold);
    c.ellipse(X(7), Y(9.8), 1.3 * k, 1.3 * k, kInk);
}

// A red disc with a white cross (deletion), at x0, y0 of the given size.
void deleteMark(Canvas& c, double x0, double y0, double size) {
    double k = unit(c);
    double r = size / 2;
    c.ellipse((x0 + r) * k, (y0 + r) * k, r * k, r * k, kRedDark);
    c.ellipse((x0 + r) * k, (y0 + r) * k, (r - 1) * k, (r - 1) * k, kRed);
    double d = size * 0.22;
    c.line((x0 + r - d) * k, (y0 + r - d) * k, (x0 + r + d) * k, (y0 + r + d) * k, size * 0.14 * k, kWhite);
    c.line((x0 + r + d) * k, (y0 + r - d) * k, (x0 + r - d) * k, (y0 + r + d) * k, size * 0.14 * k, kWhite);
}

// A sheet of paper with a folded corner and lines of text.
void paper(Canvas& c, double x0, double y0, double x1, double y1, Rgba lines) {
    double k = unit(c);
    double fold = (x1 - x0) * 0.3;
    c.polygon({{x0 * k, y0 * k}, {(x1 - fold) * k, y0 * k}, {x1 * k, (y0 + fold) * k}, {x1 * k, y1 * k}, {x0 * k, y1 * k}},
              kMidGrey);
    c.polygon({{(x0 + 1.2) * k, (y0 + 1.2) * k},
               {(x1 - fold - 0.4) * k, (y0 + 1.2) * k},
               {(x1 - 1.2) * k, (y0 + fold + 0.4) * k},
               {(x1 - 1.2) * k, (y1 - 1.2) * k},
               {(x0 + 1.2) * k, (y1 - 1.2) * k}},
              kWhite);
    c.polygon({{(x1 - fold) * k, y0 * k}, {x1 * k, (y0 + fold) * k}, {(x1 - fold) * k, (y0 + fold) * k}}, kGrey);
    for (double y = y0 + fold + 3; y < y1 - 3; y += 3.5)
        c.rect((x0 + 3) * k, y * k, (x1 - 3) * k, (y + 1.3) * k, lines);
}

// A framed photo: sky, sun, mountains and grass.
void photo(Canvas& c, double x0, double y0, double x1, double y1) {
    double k = unit(c);
    c.rect(x0 * k, y0 * k, x1 * k, y1 * k, kNavy);
    c.rect((x0 + 1.5) * k, (y0 + 1.5) * k, (x1 - 1.5) * k, (y1 - 1.5) * k, kWhite);
    double ix0 = x0 + 3, iy0 = y0 + 3, ix1 = x1 - 3, iy1 = y1 - 3;
    c.gradient(ix0 * k, iy0 * k, ix1 * k, iy1 * k, kSky, kPaleBlue, false);
    double w = ix1 - ix0, h = iy1 - iy0;
    c.ellipse((ix0 + w * 0.75) * k, (iy0 + h * 0.28) * k, w * 0.12 * k, w * 0.12 * k, kSun);
    c.polygon({{ix0 * k, (iy0 + h * 0.8) * k},
               {(ix0 + w * 0.35) * k, (iy0 + h * 0.35) * k},
               {(ix0 + w * 0.6) * k, (iy0 + h * 0.7) * k},
               {(ix0 + w * 0.75) * k, (iy0 + h * 0.55) * k},
               {ix1 * k, (iy0 + h * 0.85) * k},
               {ix1 * k, iy1 * k},
               {ix0 * k, iy1 * k}},
              kMountain);
    c.rect(ix0 * k, (iy0 + h * 0.82) * k, ix1 * k, iy1 * k, kGrass);
}

// A round status mark: a disc with a symbol.
void statusDisc(Canvas& c, Rgba edge, Rgba fillColour) {
    double k = unit(c);
    c.ellipse(16 * k, 16 * k, 14 * k, 14 * k, edge);
    c.ellipse(16 * k, 16 * k, 12.5 * k, 12.5 * k, fillColour);
    c.ellipse(13 * k, 11 * k, 6 * k, 4 * k, alpha(kWhite, 90));
}

void serverStopped(Canvas& c) {
    double k = unit(c);
    statusDisc(c, kRedDark, kRed);
    c.rect(10.5 * k, 10.5 * k, 21.5 * k, 21.5 * k, kWhite);
}

void serverRunning(Canvas& c) {
    double k = unit(c);
    statusDisc(c, kGreenDark, kGreen);
    c.polygon({{12 * k, 9 * k}, {24 * k, 16 * k}, {12 * k, 23 * k}}, kWhite);
}

void collectionOpen(Canvas& c) { openFolder(c); }

void collectionProtected(Canvas& c) {
    folder(c, kFolderLight, kFolderDark);
    padlock(c, 15, 13, 16);
}

void collectionMarked(Canvas& c) {
    folder(c, kFolderLight, kFolderDark);
    deleteMark(c, 14, 14, 17);
}

// The View button: a browser window with a globe.
void viewButton(Canvas& c) {
    double k = unit(c);
    c.roundRect(2 * k, 4 * k, 30 * k, 28 * k, 2 * k, kNavy);
    c.rect(3.5 * k, 9 * k, 28.5 * k, 26.5 * k, kWhite);
    c.ellipse(6.5 * k, 6.5 * k, 1.2 * k, 1.2 * k, kWhite);
    c.ellipse(10 * k, 6.5 * k, 1.2 * k, 1.2 * k, kWhite);
    c.ellipse(16 * k, 18 * k, 7 * k, 7 * k, kBlue);
    c.ellipse(16 * k, 18 * k, 5.8 * k, 5.8 * k, kSky);
    c.polygon({{12 * k, 14 * k}, {17 * k, 13 * k}, {18 * k, 17 * k}, {14 * k, 20 * k}, {11 * k, 18 * k}}, kGrass);
    c.polygon({{18 * k, 20 * k}, {21 * k, 19 * k}, {20 * k, 23 * k}}, kGrass);
}

void menuPhoto(Canvas& c) { photo(c, 2, 5, 30, 27); }

void menuRecycleBin(Canvas& c) {
    double k = unit(c);
    c.roundRect(5 * k, 6 * k, 27 * k, 10 * k, 1 * k, kSteel);
    c.rect(13 * k, 3.5 * k, 19 * k, 6.5 * k, kSteel);
    c.polygon({{7 * k, 10 * k}, {25 * k, 10 * k}, {23 * k, 29 * k}, {9 * k, 29 * k}}, kSteel);
    c.polygon({{8.4 * k, 11.2 * k}, {23.6 * k, 11.2 * k}, {21.9 * k, 27.8 * k}, {10.1 * k, 27.8 * k}}, kSteelLight);
    for (double x : {12.5, 16.0, 19.5}) c.line(x * k, 13 * k, x * k, 26 * k, 1.4 * k, kSteel);
    c.polygon({{19 * k, 17 * k}, {23 * k, 20 * k}, {19 * k, 23 * k}}, kGreen);
}

// A strip of film with three frames.
void menuFilmstrip(Canvas& c) {
    double k = unit(c);
    c.rect(1 * k, 7 * k, 31 * k, 25 * k, kInk);
    for (double x = 2.5; x < 30; x += 4) {
        c.rect(x * k, 8.3 * k, (x + 2) * k, 9.8 * k, kWhite);
        c.rect(x * k, 22.2 * k, (x + 2) * k, 23.7 * k, kWhite);
    }
    for (int i = 0; i < 3; ++i) {
        double x0 = 2.5 + i * 9.5;
        c.gradient(x0 * k, 11.5 * k, (x0 + 8) * k, 20.5 * k, kSky, kPaleBlue, false);
        c.polygon({{x0 * k, 20.5 * k}, {(x0 + 3.5) * k, 15 * k}, {(x0 + 8) * k, 20.5 * k}}, kMountain);
    }
}

void menuFile(Canvas& c) { paper(c, 6, 2, 26, 30, kSky); }

// Properties: a sheet with check marks; the active one in brighter colours.
void properties(Canvas& c, bool active) {
    double k = unit(c);
    paper(c, 5, 2, 25, 30, active ? kPaleBlue : kWhite);
    Rgba tick = active ? kGreen : kGreenDark;
    for (double y : {12.0, 18.0, 24.0}) {
        c.line(8 * k, y * k, 10 * k, (y + 2) * k, 1.6 * k, tick);
        c.line(10 * k, (y + 2) * k, 13.5 * k, (y - 2) * k, 1.6 * k, tick);
        c.rect(15 * k, (y - 0.5) * k, 22 * k, (y + 1) * k, active ? kBlue : kMidGrey);
    }
    if (active) {
        c.line(20 * k, 28 * k, 29 * k, 19 * k, 3 * k, kOrange);
        c.polygon({{18 * k, 30 * k}, {19 * k, 26.5 * k}, {21.5 * k, 29 * k}}, kInk);
    }
}

void deleteIcon(Canvas& c, bool active) {
    double k = unit(c);
    Rgba edge = active ? kRed : kRedDark;
    Rgba body = active ? Rgba{236, 70, 60} : kRed;
    c.line(7 * k, 7 * k, 25 * k, 25 * k, 7 * k, edge);
    c.line(25 * k, 7 * k, 7 * k, 25 * k, 7 * k, edge);
    c.line(7 * k, 7 * k, 25 * k, 25 * k, 4.5 * k, body);
    c.line(25 * k, 7 * k, 7 * k, 25 * k, 4.5 * k, body);
}

// Preview: a magnifying glass over a small photo.
void preview(Canvas& c, bool active) {
    double k = unit(c);
    photo(c, 2, 3, 22, 19);
    Rgba rim = active ? kBlue : kNavy;
    c.ellipse(19 * k, 17 * k, 8 * k, 8 * k, rim);
    c.ellipse(19 * k, 17 * k, 6 * k, 6 * k, alpha(active ? kPaleBlue : kSky, 40));
    c.line(24.5 * k, 22.5 * k, 30 * k, 28 * k, 4 * k, active ? kOrange : kGoldDark);
}

// The Name tab: a luggage label with lines of text.
void editName(Canvas& c) {
    double k = unit(c);
    c.polygon({{2 * k, 16 * k}, {9 * k, 7 * k}, {30 * k, 7 * k}, {30 * k, 25 * k}, {9 * k, 25 * k}}, kFolderEdge);
    c.polygon({{4 * k, 16 * k}, {9.8 * k, 8.6 * k}, {28.5 * k, 8.6 * k}, {28.5 * k, 23.4 * k}, {9.8 * k, 23.4 * k}},
              kFolderLight);
    c.ellipse(9.5 * k, 16 * k, 2 * k, 2 * k, kFolderEdge);
    c.rect(14 * k, 12.5 * k, 26 * k, 14.3 * k, kInk);
    c.rect(14 * k, 17.5 * k, 23 * k, 19.3 * k, kInk);
}

// The Files tab: two sheets, one behind the other.
void editFiles(Canvas& c) {
    paper(c, 3, 2, 21, 26, kSky);
    paper(c, 11, 6, 29, 30, kSky);
}

void fileMarked(Canvas& c) {
    paper(c, 4, 2, 24, 30, kSky);
    deleteMark(c, 14, 14, 17);
}

// The introduction: a camera.
void pictureIntro(Canvas& c) {
    double k = unit(c);
    c.roundRect(10 * k, 6 * k, 21 * k, 11 * k, 1.5 * k, kInk);
    c.roundRect(2 * k, 9 * k, 30 * k, 27 * k, 3 * k, kInk);
    c.roundRect(3.5 * k, 10.5 * k, 28.5 * k, 25.5 * k, 2.5 * k, kMidGrey);
    c.ellipse(16 * k, 18 * k, 7 * k, 7 * k, kInk);
    c.ellipse(16 * k, 18 * k, 5 * k, 5 * k, kBlue);
    c.ellipse(14.5 * k, 16.5 * k, 1.8 * k, 1.8 * k, kPaleBlue);
    c.rect(24 * k, 12.5 * k, 27 * k, 14.5 * k, kSun);
}

// The collections: a photo in front of a folder.
void pictureCollections(Canvas& c) {
    folder(c, kFolderLight, kFolderDark);
    photo(c, 12, 12, 31, 28);
}

// The Advanced section: a gear.
void pictureAdvanced(Canvas& c) {
    double k = unit(c);
    for (int i = 0; i < 8; ++i) {
        double a = i * 3.14159265358979 / 4;
        double ca = std::cos(a), sa = std::sin(a);
        c.line((16 + 8 * ca) * k, (16 + 8 * sa) * k, (16 + 13.5 * ca) * k, (16 + 13.5 * sa) * k, 5 * k, kSteel);
    }
    c.ellipse(16 * k, 16 * k, 10.5 * k, 10.5 * k, kSteel);
    c.ellipse(16 * k, 16 * k, 9 * k, 9 * k, kSteelLight);
    c.ellipse(16 * k, 16 * k, 4 * k, 4 * k, kSteel);
    c.ellipse(16 * k, 16 * k, 2.6 * k, 2.6 * k, kWhite);
}

// The message dialog's question: a blue disc with a white question mark.
void question(Canvas& c) {
    double k = unit(c);
    c.ellipse(16 * k, 16 * k, 14 * k, 14 * k, kNavy);
    c.ellipse(16 * k, 16 * k, 12.5 * k, 12.5 * k, kBlue);
    const double pi = 3.14159265358979;
    for (int i = 0; i < 10; ++i) {
        double a0 = pi + i * pi * 1.3 / 10, a1 = pi + (i + 1) * pi * 1.3 / 10;
        c.line((16 + 5 * std::cos(a0)) * k, (12 + 4.5 * std::sin(a0)) * k, (16 + 5 * std::cos(a1)) * k,
               (12 + 4.5 * std::sin(a1)) * k, 3 * k, kWhite);
    }
    c.line(17.5 * k, 15.5 * k, 16 * k, 18 * k, 3 * k, kWhite);
    c.line(16 * k, 18 * k, 16 * k, 20 * k, 3 * k, kWhite);
    c.ellipse(16 * k, 24.5 * k, 1.9 * k, 1.9 * k, kWhite);
}

PageArt icon(const char* name, std::function<void(Canvas&)> paint) { return {name, true, 0, 0, std::move(paint)}; }

}  // namespace

std::vector<PageArt> galleonSettingsArt() {
    return {
        icon("IDI_SERVER_STOPPED", serverStopped),
        icon("IDI_SERVER_RUNNING", serverRunning),
        icon("IDI_COLLECTION_OPEN", collectionOpen),
        icon("IDI_COLLECTION_PROTECTED", collectionProtected),
        icon("IDI_COLLECTION_MARKED", collectionMarked),
        icon("IDI_VIEW_BUTTON", viewButton),
        icon("IDI_MENU_PHOTO", menuPhoto),
        icon("IDI_MENU_RECYCLE", menuRecycleBin),
        icon("IDI_MENU_MIXED_FILMSTRIP", menuFilmstrip),
        icon("IDI_MENU_FILE", menuFile),
        icon("IDI_MENU_PROPERTIES", [](Canvas& c) { properties(c, false); }),
        icon("IDI_MENU_PROPERTIES_ACTIVE", [](Canvas& c) { properties(c, true); }),
        icon("IDI_MENU_DELETE", [](Canvas& c) { deleteIcon(c, false); }),
        icon("IDI_MENU_DELETE_ACTIVE", [](Canvas& c) { deleteIcon(c, true); }),
        icon("IDI_MENU_PREVIEW", [](Canvas& c) { preview(c, false); }),
        icon("IDI_MENU_PREVIEW_ACTIVE", [](Canvas& c) { preview(c, true); }),
        icon("IDI_EDIT_NAME", editName),
        icon("IDI_EDIT_FILES", editFiles),
        icon("IDI_FILE_MARKED", fileMarked),
        icon("IDI_SETTINGS_INTRO", pictureIntro),
        icon("IDI_SETTINGS_COLLECTIONS", pictureCollections),
        icon("IDI_SETTINGS_ADVANCED", pictureAdvanced),
        icon("IDI_MSG_QUESTION", question),
    };
}

}  // namespace imggen
