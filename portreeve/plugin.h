// Plug-in state that the settings page shares with the entry points.
#pragma once
#include <windows.h>

// Path of the host's configuration file (empty before initialisation).
const char *pluginConfigPath();
// Wakes the forwarding worker for a reconfiguration pass.
void pluginWake();
// The plug-in's own module (its resources hold the page's dialogs).
HMODULE pluginModule();
// The n-th module handle the host handed over (n from 0); null past the last.
HMODULE pluginEnumModule(int n);
// The WinHelp file beside the configuration file, and the HTML help file
// (empty when section "help" names none).
const char *pluginWinHelpPath();
const char *pluginHtmlHelpPath();
