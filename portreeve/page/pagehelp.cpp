// Page and control help. Context numbers of the HTML help file come from
// section "help" of the configuration file (keys "zelupnp-<title>" and
// "zelupnp-<title>-<control id>"); without them the plug-in's own WinHelp
// file answers, at the kind's base context (plus the control id).
#include "pagehelp.h"

#include <win/htmlhelp.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "hhelpmod.h"
#include "pageids.h"
#include "plugin.h"

namespace {

struct KindInfo {
    const char *title;
    DWORD base;
};

constexpr KindInfo KINDS[] = {
    {"UPnP", 5000}, {"Settings", 7000}, {"Log", 9000}, {"Add Service", 10000}, {"Add Ports", 11000},
};

constexpr const char *HELP_SECTION = "help";
constexpr const char *NO_VALUE = "\x01";

// HTML help is there when section "help" names a file and the loader has
// the library (the plug-in starts it at initialisation).
bool htmlHelp() { return pluginHtmlHelpPath()[0] && hhelpmodAvailable(); }

// The value of a key of section "help"; false when the key is absent.
bool helpKey(const char *key, long *value) {
    char text[32];
    GetPrivateProfileStringA(HELP_SECTION, key, NO_VALUE, text, sizeof text, pluginConfigPath());
    if (text[0] == NO_VALUE[0]) return false;
    *value = std::strtol(text, nullptr, 10);
    return true;
}

bool writeHelpResource(const char *path) {
    HMODULE self = pluginModule();
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(IDH_PORTREEVE_HELP), "HELP");
    HGLOBAL data = found ? LoadResource(self, found) : nullptr;
    const void *bytes = data ? LockResource(data) : nullptr;
    DWORD size = found ? SizeofResource(self, found) : 0;
    if (!bytes || !size) return false;
    std::string temp = std::string(path) + ".tmp";
    FILE *f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (ok) ok = std::rename(temp.c_str(), path) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok;
}

}  // namespace

const char *pageWinHelpFile() {
    const char *path = pluginWinHelpPath();
    struct stat st {};
    if (!path[0]) return nullptr;
    if (stat(path, &st) == 0 || writeHelpResource(path)) return path;
    return nullptr;
}

void pageTopicHelp(HWND window, PageHelpKind kind) {
    const KindInfo &k = KINDS[kind];
    char key[64];
    std::snprintf(key, sizeof key, "zel%s-%s", "upnp", k.title);
    long context = 0;
    if (htmlHelp() && helpKey(key, &context) && context > 0) {
        hhelpmodHtmlHelp(window, pluginHtmlHelpPath(), HH_HELP_CONTEXT, (DWORD_PTR)context);
        return;
    }
    if (const char *file = pageWinHelpFile()) WinHelpA(window, file, HELP_CONTEXT, k.base);
}

void pageControlHelp(HWND window, PageHelpKind kind, const HELPINFO *info) {
    if (!info || info->iContextType != HELPINFO_WINDOW) return;
    const KindInfo &k = KINDS[kind];
    HWND control = reinterpret_cast<HWND>(info->hItemHandle);
    unsigned id = (unsigned)info->iCtrlId;
    char key[80];
    std::snprintf(key, sizeof key, "zel%s-%s-%u", "upnp", k.title, id);
    long context = 0;
    if (htmlHelp() && helpKey(key, &context) && context >= 0) {
        char topic[MAX_PATH + 16];
        std::snprintf(topic, sizeof topic, "%s::/cradle.txt", pluginHtmlHelpPath());
        DWORD pairs[4] = {id, (DWORD)context, 0, 0};
        hhelpmodHtmlHelp(control ? control : window, topic, HH_TP_HELP_CONTEXTMENU, (DWORD_PTR)pairs);
        return;
    }
    if (const char *file = pageWinHelpFile()) WinHelpA(control ? control : window, file, HELP_CONTEXTPOPUP, id + k.base);
}

void pageLoggingPluginHelp(HWND window) {
    if (const char *file = pageWinHelpFile()) WinHelpA(window, file, HELP_CONTEXT, HELP_CONTEXT_LOGGING_PLUGIN);
}
