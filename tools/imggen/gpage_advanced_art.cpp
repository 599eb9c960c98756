// Pictures of the Options, Security and Log pages, the host entry dialog and
// the transaction log window: the three page tab icons, the host and
// network marks of the access list, and the transaction log's icon. Every
// icon is drawn on a 32-unit grid and scaled to its size.
#include "gpageart.h"

#include "palette.h"

#include <cmath>

namespace imggen {

namespace {

const Rgba kSteel{122, 134, 152};
const Rgba kSteelLight{196, 204, 216};
const Rgba kScreen{70, 132, 200};
const Rgba kScreenLight{150, 196, 238};
const Rgba kGreen{46, 139, 60};
const Rgba kClockFace{255, 250, 232};

// A monitor on its stand, its screen at x0..x1, y0..y1 (grid units).
void monitor(Canvas& c, double k, double x0, double y0, double x1, double y1) {
    double mid = (x0 + x1) / 2, w = x1 - x0;
    c.rect((mid - w * 0.12) * k, y1 * k, (mid + w * 0.12) * k, (y1 + w * 0.16) * k, kSteel);
    c.roundRect((mid - w * 0.32) * k, (y1 + w * 0.14) * k, (mid + w * 0.32) * k, (y1 + w * 0.24) * k, 1 * k, kInk);
    c.roundRect(x0 * k, y0 * k, x1 * k, y1 * k, 1.8 * k, kInk);
    double b = w * 0.09;
    c.gradient((x0 + b) * k, (y0 + b) * k, (x1 - b) * k, (y1 - b) * k, kScreenLight, kScreen, false);
    // A glint on the glass.
    c.polygon({{(x0 + b) * k, (y0 + b) * k}, {(x0 + w * 0.55) * k, (y0 + b) * k}, {(x0 + b) * k, (y0 + w * 0.45) * k}},
              alpha(kWhite, 80));
}

// One computer: a host of the access list.
void hostIcon(Canvas& c) {
    double k = c.width() / 32.0;
    monitor(c, k, 3, 4, 29, 22);
}

// Two computers on one cable: a network of the access list (also the
// Security page's tab).
void networkIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.line(8 * k, 16 * k, 8 * k, 28.5 * k, 2.2 * k, kNavy);
    c.line(24 * k, 18 * k, 24 * k, 28.5 * k, 2.2 * k, kNavy);
    c.line(3 * k, 28.5 * k, 29 * k, 28.5 * k, 2.4 * k, kNavy);
    monitor(c, k, 1, 2, 16, 13);
    monitor(c, k, 16, 6, 31, 17);
}

// A gear: the Options page.
void optionsIcon(Canvas& c) {
    double k = c.width() / 32.0;
    for (int i = 0; i < 8; ++i) {
        double a = i * 3.14159265 / 4 + 3.14159265 / 8;
        double x = 16 + 14.5 * std::cos(a), y = 16 + 14.5 * std::sin(a);
        c.line(16 * k, 16 * k, x * k, y * k, 5.5 * k, kSteel);
    }
    c.ellipse(16 * k, 16 * k, 11 * k, 11 * k, kSteel);
    c.ellipse(16 * k, 16 * k, 9.5 * k, 9.5 * k, kSteelLight);
    c.ellipse(16 * k, 16 * k, 5 * k, 5 * k, kBlue);
    c.ellipse(16 * k, 16 * k, 2.8 * k, 2.8 * k, kWhite);
}

// A ruled sheet with a bound spine: the Log page.
void logIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.roundRect(5 * k, 2 * k, 27 * k, 30 * k, 2 * k, kNavy);
    c.roundRect(6.5 * k, 3.5 * k, 25.5 * k, 28.5 * k, 1.5 * k, kWhite);
    c.rect(6.5 * k, 3.5 * k, 10 * k, 28.5 * k, kSky);
    for (double y = 7; y < 26; y += 4) c.rect(13 * k, y * k, 22.5 * k, (y + 1.6) * k, kMidGrey);
    c.rect(13 * k, 23 * k, 19 * k, 24.6 * k, kGreen);
}

// A list of visits with a clock: the transaction log window.
void transactionLogIcon(Canvas& c) {
    double k = c.width() / 32.0;
    c.roundRect(3 * k, 2 * k, 23 * k, 28 * k, 2 * k, kMidGrey);
    c.roundRect(4.5 * k, 3.5 * k, 21.5 * k, 26.5 * k, 1.5 * k, kWhite);
    for (double y = 7; y < 24; y += 4) {
        c.ellipse(7.5 * k, (y + 0.8) * k, 1.1 * k, 1.1 * k, kBlue);
        c.rect(10 * k, y * k, 19 * k, (y + 1.6) * k, kSky);
    }
    c.ellipse(23 * k, 22 * k, 8 * k, 8 * k, kNavy);
    c.ellipse(23 * k, 22 * k, 6.5 * k, 6.5 * k, kClockFace);
    c.line(23 * k, 22 * k, 23 * k, 17.5 * k, 1.6 * k, kInk);
    c.line(23 * k, 22 * k, 26.5 * k, 23.5 * k, 1.6 * k, kInk);
}

}  // namespace

std::vector<PageArt> galleonAdvancedArt() {
    return {
        {"IDI_HOST", true, 0, 0, hostIcon},
        {"IDI_NETWORK", true, 0, 0, networkIcon},
        {"IDI_OPTIONS", true, 0, 0, optionsIcon},
        {"IDI_LOG", true, 0, 0, logIcon},
        {"IDI_TRANSACTION_LOG", true, 0, 0, transactionLogIcon},
    };
}

}  // namespace imggen
