// The host program's start-up pieces: its paths, the branding module's
// names, the configuration switches, and the program entry that ties them
// together with the single-instance rule and the message loop.
#pragma once

#include <windows.h>

// Derives every path of ShellPaths from the program file's directory. When
// that directory is not writable (an installed copy), the configuration file
// moves to $XDG_CONFIG_HOME/cradle/ and the plug-in directory for
// installation and extmod.ini to $XDG_DATA_HOME/cradle/ext; the installed
// ext/ is then read beside it (ShellPaths::sharedExtDir).
void shellDerivePaths(const char *programFile);

// Reads InternalName, FileDescription and Comments of the branding module
// into the state. False when InternalName or FileDescription is missing.
bool shellReadBranding(const char *brandingPath);

// Reads the configuration switches of cradle.ini into the state.
void shellReadSwitches();

// Writes "%d" of value under section/key of cradle.ini.
void shellWriteInt(const char *section, const char *key, int value);

// The program entry: single instance, service hand-over, the main window and
// its message loop. The command line is one string (may be empty). Returns 0.
int shellRun(HINSTANCE instance, const char *commandLine);
