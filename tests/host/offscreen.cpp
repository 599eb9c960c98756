// The host's tests draw off screen whatever display the environment names.
#include <cstdlib>

namespace {

struct Offscreen {
    Offscreen() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
} offscreen;

}  // namespace
