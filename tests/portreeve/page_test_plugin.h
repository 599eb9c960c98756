// Plug-in state for tests that drive the page modules without the entry points.
#pragma once
#include <string>

namespace pagetest {

std::string &configPath();  // the configuration file pluginConfigPath() gives
int &wakes();               // how often pluginWake() was called
std::string &winHelpPath();   // pluginWinHelpPath()
std::string &htmlHelpPath();  // pluginHtmlHelpPath() (empty: no HTML help file)

}  // namespace pagetest
