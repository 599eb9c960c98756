// Runs the real plug-in on loopback with a sample collection for the browser
// test: prints "PORT <n>" and serves until its standard input closes.
#include <cstdio>
#include <iostream>
#include <string>

#include "galleon_fixture.h"
#include "sample.h"

int main() {
    GalleonInstance g;
    if (g.start() != 0 || !g.waitRunning()) {
        std::fprintf(stderr, "serve_sample: the plug-in did not start\n");
        return 1;
    }
    gallery::makeSampleCollection(g.dir + "Collections", "Seaside holiday");
    gallery::makeSampleCollection(g.dir + "Collections", "Family");
    std::printf("PORT %d\n", g.port);
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    g.stop();
    return 0;
}
