// Restoring the recommended settings: every "Default-<name>" section of the
// configuration file is copied key by key into section <name>.
#pragma once

#define SETTINGS_DEFAULTS_BUFFER 16384

// 0 when every default section was copied; -2 no path; -3 a write failed;
// -4 a default section (or the list of sections) does not fit the 16384-byte
// buffers, in which case nothing is written.
int settingsRestoreDefaults(const char *configPath);
