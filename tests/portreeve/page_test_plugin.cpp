// The plug-in state that the page code reads, for tests that drive the page
// modules directly: resources come from the built plug-in file, settings
// from a temporary configuration file of the test.
#include "page_test_plugin.h"

#include <string>

#include "plugin.h"

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
