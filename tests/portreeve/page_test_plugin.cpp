// The plug-in state that the page code reads, for tests that drive the page
// modules directly: resources come from the built plug-in file, settings
// from a temporary configuration file of the test.
#include "page_test_plugin.h"

#include <cstdlib>
#include <string>

#include "plugin.h"

// The page tests draw off screen, and fontconfig's caches, kept until the
// process ends, are not leaks.
namespace {
struct Offscreen {
    Offscreen() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
} offscreen;
}  // namespace

extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace pagetest {

std::string &configPath() {
    static std::string path;
    return path;
}

std::string &winHelpPath() {
    static std::string path;
    return path;
}

std::string &htmlHelpPath() {
    static std::string path;
    return path;
}

int &wakes() {
    static int n = 0;
    return n;
}

}  // namespace pagetest

const char *pluginConfigPath() { return pagetest::configPath().c_str(); }
void pluginWake() { ++pagetest::wakes(); }
HMODULE pluginModule() {
    static HMODULE module = LoadLibraryA(SUITE_DIST_DIR "/ext/portreeve.dll");
    return module;
}
HMODULE pluginEnumModule(int) { return nullptr; }
const char *pluginWinHelpPath() { return pagetest::winHelpPath().c_str(); }
const char *pluginHtmlHelpPath() { return pagetest::htmlHelpPath().c_str(); }
