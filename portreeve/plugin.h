// Plug-in state that the settings page shares with the entry points.
#pragma once

// Path of the host's configuration file (empty before initialisation).
const char *pluginConfigPath();
// Wakes the forwarding worker for a reconfiguration pass.
void pluginWake();
