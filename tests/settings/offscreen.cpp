// The tests draw off screen whatever display the environment names: Qt's
// platform is chosen before the first window is made.
#include <cstdlib>

namespace {

struct Offscreen {
    Offscreen() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
} offscreen;

}  // namespace
