// A program that names no platform runs headless when no display answers:
// none set, or a display that is set but gone (a session that ended).
#include "display_probe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::vector<std::string> baseEnvironment() {
    std::vector<std::string> env = {"PATH=/usr/bin:/bin", "HOME=/tmp"};
    for (const char *name : {"XDG_RUNTIME_DIR", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"})
        if (const char *value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    return env;
}

TEST(Display, WithoutADisplayWindowsAreMadeOffScreenAndTheProgramSaysSoOnce) {
    auto r = uitest::runDisplayProbe(baseEnvironment());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("shown"), std::string::npos) << r.output;
    size_t first = r.output.find("No display reachable");
    EXPECT_NE(first, std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("No display reachable", first + 1), std::string::npos) << r.output;
}

TEST(Display, ADisplayThatIsSetButGoneAlsoGivesAHeadlessProgram) {
    for (const char *display : {"DISPLAY=:97", "DISPLAY=unix:96.0", "WAYLAND_DISPLAY=no-such-compositor"}) {
        std::vector<std::string> env = baseEnvironment();
        env.push_back(display);
        auto r = uitest::runDisplayProbe(env);
        EXPECT_EQ(r.status, 0) << display << ": " << r.output;
        EXPECT_NE(r.output.find("shown"), std::string::npos) << display << ": " << r.output;
        EXPECT_NE(r.output.find("No display reachable"), std::string::npos) << display << ": " << r.output;
    }
}

}  // namespace
