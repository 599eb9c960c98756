// Restoring the recommended settings.
#include "settings/defaults.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <strings.h>
#include <utility>
#include <vector>


namespace {

constexpr char kPrefix[] = "Default-";
constexpr size_t kPrefixLength = sizeof kPrefix - 1;

// The NUL-separated strings of a profile buffer.
std::vector<std::string> split(const char *buffer, DWORD length) {
    std::vector<std::string> out;
    for (DWORD at = 0; at < length && buffer[at];) {
        out.emplace_back(buffer + at);
        at += static_cast<DWORD>(out.back().size()) + 1;
    }
    return out;
}

}  // namespace

int settingsRestoreDefaults(const char *configPath) {
    if (!configPath) return -2;
    std::vector<char> buffer(SETTINGS_DEFAULTS_BUFFER);
    DWORD n = GetPrivateProfileSectionNamesA(buffer.data(), SETTINGS_DEFAULTS_BUFFER, configPath);
    if (n >= SETTINGS_DEFAULTS_BUFFER - 2) return -4;
    // Read everything first: a section cut short by the buffer would copy a
    // cut key or value, so then nothing is written at all.
    std::vector<std::pair<std::string, std::vector<std::string>>> copies;
    for (const std::string &name : split(buffer.data(), n)) {
        if (name.size() <= kPrefixLength || strncasecmp(name.c_str(), kPrefix, kPrefixLength) != 0) continue;
        DWORD m = GetPrivateProfileSectionA(name.c_str(), buffer.data(), SETTINGS_DEFAULTS_BUFFER, configPath);
        if (m >= SETTINGS_DEFAULTS_BUFFER - 2) return -4;
        copies.emplace_back(name.substr(kPrefixLength), split(buffer.data(), m));
    }
    for (const auto &[section, lines] : copies) {
        for (const std::string &line : lines) {
            size_t eq = line.find('=');
            if (eq == std::string::npos || eq == 0) continue;
            std::string key = line.substr(0, eq), value = line.substr(eq + 1);
            if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), configPath)) return -3;
        }
    }
    return 0;
}
