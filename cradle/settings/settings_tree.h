// The tree of the settings window as a plan: which entries, under which
// parent, in which order, built from the tab list and the configuration
// file. The window turns the plan into tree items.
#pragma once

#include <string>
#include <vector>

struct TreeEntry {
    std::string text;      // category name or tab title
    int parent;            // index of the parent entry in the plan, -1 at the top level
    int tab;               // master item number of the tab, -1 for a category entry
    std::string category;  // for a category entry: its name (icon "CAT<name>")
};

struct TreeOptions {
    bool expert = false;
    int requestedItem = -1;  // master item number of the requested page, -1 when none
};

// Whether a tab is listed. value is its "Novice" value (-1 when missing).
bool settingsTabListed(const char *key, int value, bool categorised, const TreeOptions &options, int item);

// The plan for the current tab list (tabsort initialised) and configuration.
std::vector<TreeEntry> settingsPlanTree(const char *configPath, const TreeOptions &options);

// The entry to select first: the requested tab's first entry, else the
// first top-level entry; -1 for an empty plan.
int settingsFirstSelection(const std::vector<TreeEntry> &plan, const TreeOptions &options);
