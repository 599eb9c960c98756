// The host program's icon: a rounded tile of evening sky with threads woven
// across it and a bright point where they cross, drawn on a 32-unit grid.
#include "appicon.h"

#include "canvas.h"
#include "palette.h"

namespace imggen {

bool drawAppIcon(int size, const std::string& path) {
    Canvas c(size, size, size < 64 ? 8 : 4);
    c.fill(kClear);
    double k = size / 32.0;
    double edge = size <= 24 ? 1.0 : 1.5 * k;
    c.roundRect(1 * k, 1 * k, 31 * k, 31 * k, 6 * k, kNavy);
    c.roundRect(1 * k + edge, 1 * k + edge, 31 * k - edge, 31 * k - edge, 5 * k, kBlue);
    // Lighter sky towards the top, in soft steps.
    for (int step = 0; step < 4; ++step) {
        double bottom = 24 - step * 4;
        c.roundRect(1 * k + edge, 1 * k + edge, 31 * k - edge, bottom * k, 5 * k, alpha(kSky, 90 - step * 10));
    }
    // Threads: three horizontal and three vertical, alternately over and under.
    double w = size <= 24 ? 1.2 : 1.6 * k;
    Rgba warp{255, 255, 255, 20};
    Rgba weft{255, 214, 102, 10};
    for (double y : {10.0, 16.0, 22.0}) c.line(5 * k, y * k, 27 * k, y * k, w, weft);
    for (double x : {10.0, 16.0, 22.0}) c.line(x * k, 5 * k, x * k, 27 * k, w, warp);
    for (double y : {10.0, 22.0}) c.line(13 * k, y * k, 19 * k, y * k, w, weft);
    // The point where the threads meet.
    c.ellipse(16 * k, 16 * k, 3.6 * k, 3.6 * k, kFolderLight);
    c.ellipse(16 * k, 16 * k, 2.0 * k, 2.0 * k, kWhite);
    c.finish();
    return c.writePng(path);
}

}  // namespace imggen
