// Help of the UPnP page, the Advanced sheet and the editors: a page topic
// (HTML help when section "help" names a context for the page, else the
// plug-in's WinHelp file) and pop-ups for single controls (F1).
#pragma once
#include <windows.h>

enum PageHelpKind {
    PAGE_HELP_MAIN,         // "UPnP", WinHelp contexts from 5000
    PAGE_HELP_SETTINGS,     // "Settings", 7000
    PAGE_HELP_LOG,          // "Log", 9000
    PAGE_HELP_SERVICE,      // "Add Service", 10000
    PAGE_HELP_PORT_EDITOR,  // "Add Ports", 11000
};

// The WinHelp topic about the logging plug-in (where the Log page's link leads).
constexpr int HELP_CONTEXT_LOGGING_PLUGIN = 9500;

void pageTopicHelp(HWND window, PageHelpKind kind);
void pageControlHelp(HWND window, PageHelpKind kind, const HELPINFO *info);
// Opens the topic about the logging plug-in.
void pageLoggingPluginHelp(HWND window);
// The WinHelp file, written from the plug-in's own help resource when it is
// not beside the configuration file yet; null if it cannot be had.
const char *pageWinHelpFile();
