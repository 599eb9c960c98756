// The page tests draw off screen whatever display the environment names, and
// fontconfig's caches, kept until the process ends, are not leaks.
#include <cstdlib>

namespace {

struct Offscreen {
    Offscreen() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
} offscreen;

}  // namespace

extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
