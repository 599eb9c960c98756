// List marks and sheet icons of the UPnP settings page. Marks are drawn
// pixel-exact (no supersampling) on opaque magenta, the key colour the page's
// image lists make transparent, so no edge blends into a pink fringe.
#include "upnpart.h"

#include "palette.h"

#include <functional>
#include <vector>

namespace imggen {

namespace {

const Rgba kKey{255, 0, 255};
const Rgba kArrow{96, 96, 96};
const Rgba kGreen{46, 139, 60};
const Rgba kGreenLight{120, 200, 110};
const Rgba kRed{190, 40, 40};
const Rgba kRedLight{235, 120, 110};

struct Picture {
    std::string name;  // resource id symbol, as in the page's id header
    bool icon;
    int size;
    std::function<void(Canvas&)> paint;
};

void sortArrow(Canvas& c, bool up) {
    // A small solid triangle, centred as header sort marks are.
    if (up) c.polygon({{4, 11}, {12, 11}, {8, 5}}, kArrow);
    else c.polygon({{4, 5}, {12, 5}, {8, 11}}, kArrow);
}

// A round badge with a tick (enabled) or a cross (disabled).
void serviceMark(Canvas& c, bool enabled) {
    Rgba edge = enabled ? kGreen : kRed, fill = enabled ? kGreenLight : kRedLight;
    c.ellipse(8, 8, 7, 7, edge);
    c.ellipse(8, 8, 6, 6, fill);
    if (enabled) {
        c.line(4.5, 8.5, 7, 11, 2, kWhite);
        c.line(7, 11, 11.5, 5, 2, kWhite);
    } else {
        c.line(5, 5, 11, 11, 2, kWhite);
        c.line(11, 5, 5, 11, 2, kWhite);
    }
}

// Two plugs joined by a bar: a range of ports.
void portRangeMark(Canvas& c) {
    c.rect(1, 4, 6, 12, kNavy);
    c.rect(2, 5, 5, 11, kSky);
    c.rect(10, 4, 15, 12, kNavy);
    c.rect(11, 5, 14, 11, kSky);
    c.rect(6, 7, 10, 9, kNavy);
}

// Icon of the Settings page: a check box with a tick over a panel.
void settingsIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.roundRect(3 * k, 3 * k, 29 * k, 29 * k, 3 * k, kNavy);
    c.roundRect(4.5 * k, 4.5 * k, 27.5 * k, 27.5 * k, 2 * k, kPaleBlue);
    for (int row = 0; row < 3; ++row) {
        double y = (8 + row * 7) * k;
        c.rect(8 * k, y, 13 * k, y + 5 * k, kBlue);
        c.rect(9 * k, y + 1 * k, 12 * k, y + 4 * k, kWhite);
        c.rect(15 * k, y + 1.5 * k, 25 * k, y + 3.5 * k, kMidGrey);
    }
    c.line(8.5 * k, 11 * k, 10.5 * k, 13 * k, 1.6 * k, kGreen);
    c.line(10.5 * k, 13 * k, 14 * k, 7.5 * k, 1.6 * k, kGreen);
}

// Icon of the Log page: a ruled sheet.
void logIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.roundRect(6 * k, 2 * k, 26 * k, 30 * k, 2 * k, kMidGrey);
    c.roundRect(7 * k, 3 * k, 25 * k, 29 * k, 1.5 * k, kWhite);
    for (double y = 8; y < 27; y += 4) c.rect(10 * k, y * k, 22 * k, (y + 1.5) * k, kBlue);
}

// The plug-in's page icon: a router with two antennas and a lit port.
void tabIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.line(9 * k, 14 * k, 6 * k, 3 * k, 2 * k, kInk);
    c.line(23 * k, 14 * k, 26 * k, 3 * k, 2 * k, kInk);
    c.roundRect(2 * k, 14 * k, 30 * k, 27 * k, 3 * k, kNavy);
    c.roundRect(3.5 * k, 15.5 * k, 28.5 * k, 25.5 * k, 2 * k, kToolbar);
    for (int i = 0; i < 3; ++i) c.ellipse((9 + i * 5) * k, 20.5 * k, 1.6 * k, 1.6 * k, kGreenLight);
    c.rect(22 * k, 18.5 * k, 26 * k, 22.5 * k, kWhite);
}

std::vector<Picture> pictures() {
    auto mark = [](std::function<void(Canvas&)> paint) {
        return [paint](Canvas& c) {
            c.fill(kKey);
            paint(c);
        };
    };
    return {
        {"IDB_SORT_BLANK", false, 16, mark([](Canvas&) {})},
        {"IDB_SORT_UP", false, 16, mark([](Canvas& c) { sortArrow(c, true); })},
        {"IDB_SORT_DOWN", false, 16, mark([](Canvas& c) { sortArrow(c, false); })},
        {"IDB_SERVICE_DISABLED", false, 16, mark([](Canvas& c) { serviceMark(c, false); })},
        {"IDB_SERVICE_ENABLED", false, 16, mark([](Canvas& c) { serviceMark(c, true); })},
        {"IDB_PORT_RANGE", false, 16, mark(portRangeMark)},
        {"IDI_ADV_SETTINGS", true, 0, settingsIcon},
        {"IDI_ADV_LOG", true, 0, logIcon},
        {"tabicon", true, 0, tabIcon},
    };
}

}  // namespace

bool drawUpnpArt(const std::string& dir, std::ostream& rc) {
    bool ok = true;
    for (const Picture& p : pictures()) {
        std::vector<int> sizes = p.icon ? std::vector<int>{16, 32} : std::vector<int>{p.size};
        std::vector<std::string> files;
        for (int size : sizes) {
            // Marks are pixel art; icons are smoothed by supersampling.
            Canvas c(size, size, p.icon ? 4 : 1);
            p.paint(c);
            c.finish();
            std::string file = dir + "/" + p.name + "_" + std::to_string(size) + ".png";
            ok = c.writePng(file) && ok;
            files.push_back(file);
        }
        rc << p.name << (p.icon ? " ICON" : " BITMAP");
        for (size_t i = 0; i < files.size(); ++i) rc << (i ? ", \"" : " \"") << files[i] << "\"";
        rc << "\n";
    }
    return ok;
}

}  // namespace imggen
