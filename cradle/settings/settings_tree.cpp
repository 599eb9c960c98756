// The tree of the settings window: categories from the configuration file,
// then the tabs no category names under "Unnamed".
#include "settings/settings_tree.h"

#include <windows.h>

#include <cstdio>
#include <strings.h>

#include "settings/tabsort.h"
#include "zellog.h"

namespace {

bool isHostTab(const char *key) {
    return strcasecmp(key, "cradle-Settings") == 0 || strcasecmp(key, "cradle-About") == 0;
}

// The "Novice" value of a tab, -1 when the key is missing.
int noviceValue(const char *configPath, const char *key) {
    return static_cast<int>(GetPrivateProfileIntA("Novice", key, -1, configPath));
}

void logFailure(const char *call, int code) {
    char text[128];
    std::snprintf(text, sizeof text, "%s() returned error code %d", call, code);
    zelextLog("cradle", 5, "%s", text);
}

// Appends the listed tabs of an ordered line list under parent.
void addTabs(std::vector<TreeEntry> &plan, int lines, int parent, bool categorised, const char *configPath,
             const TreeOptions &options) {
    char key[TABSORT_KEY_SIZE];
    for (int p = 0;; ++p) {
        int item = tabsortGetOrdered(lines, p, key, 1);
        if (item < 0) break;
        if (!settingsTabListed(key, noviceValue(configPath, key), categorised, options, item)) continue;
        char title[TABSORT_TITLE_SIZE] = "";
        tabsortGetTitle(item, title, sizeof title);
        plan.push_back(TreeEntry{title, parent, item, ""});
    }
}

}  // namespace

bool settingsTabListed(const char *key, int value, bool categorised, const TreeOptions &options, int item) {
    if (options.expert || isHostTab(key)) return true;
    bool requested = options.requestedItem >= 0 && item == options.requestedItem;
    if (value != 0 && value != -1) return true;
    if (value == -1 && !categorised && options.requestedItem < 0) return true;
    // The requested page is listed anyway, unless it is uncategorised with an explicit 0.
    if (requested) return categorised || value == -1;
    return false;
}

std::vector<TreeEntry> settingsPlanTree(const char *configPath, const TreeOptions &options) {
    std::vector<TreeEntry> plan;
    int categories = tabsortLoad("Categories");
    if (categories < 0) logFailure("tabsortLoad", categories);
    char name[TABSORT_KEY_SIZE];
    for (int c = 0; categories >= 0 && tabsortGetLine(categories, c, name, sizeof name) >= 0; ++c) {
        char section[TABSORT_KEY_SIZE + 16];
        std::snprintf(section, sizeof section, "Category-%s", name);
        int lines = tabsortLoad(section);
        if (lines < 0) {
            logFailure("tabsortLoad", lines);
            continue;
        }
        int count = 0;
        char line[TABSORT_KEY_SIZE];
        while (tabsortGetLine(lines, count, line, sizeof line) >= 0) ++count;
        int parent = -1;
        if (count != 1) {
            plan.push_back(TreeEntry{name, -1, -1, name});
            parent = static_cast<int>(plan.size()) - 1;
        }
        addTabs(plan, lines, parent, true, configPath, options);
        int r = tabsortDestroy(lines);
        if (r < 0) zelextLog("cradle", 5, "listDestroy(3) returned error code %d", r);
    }
    if (categories >= 0) tabsortDestroy(categories);

    int rest = tabsortGetUncategorised();
    if (rest < 0) {
        logFailure("tabsortGetUncategorised", rest);
        return plan;
    }
    char key[TABSORT_KEY_SIZE];
    if (tabsortGetLine(rest, 0, key, sizeof key) >= 0) {
        plan.push_back(TreeEntry{"Unnamed", -1, -1, "Unnamed"});
        int parent = static_cast<int>(plan.size()) - 1;
        addTabs(plan, rest, parent, false, configPath, options);
    }
    int r = tabsortDestroy(rest);
    if (r < 0) zelextLog("cradle", 5, "listDestroy(4) returned error code %d", r);
    return plan;
}

int settingsFirstSelection(const std::vector<TreeEntry> &plan, const TreeOptions &options) {
    if (options.requestedItem >= 0)
        for (size_t i = 0; i < plan.size(); ++i)
            if (plan[i].tab == options.requestedItem) return static_cast<int>(i);
    for (size_t i = 0; i < plan.size(); ++i)
        if (plan[i].parent < 0) return static_cast<int>(i);
    return -1;
}
