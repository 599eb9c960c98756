// The host program's start-up pieces: its paths, the branding module's
// names, the configuration switches, and the program entry that ties them
// together with the single-instance rule and the message loop.
#pragma once

#include <windows.h>

// Derives every path of ShellPaths from the program file's directory. When
// that directory is not writable (an installed copy), the configuration file
// moves to $XDG_CONFIG_HOME/cradle/ and the plug-in directory for
// installation and extmod.ini to $XDG_DATA_HOME/cradle/ext; the installed
// ext/ is then read beside it (ShellPaths::sharedExtDir) and the program
// directory is the shipped one (ShellPaths::shippedDir).
void shellDerivePaths(const char *programFile);

// An installed copy's new user: the shipped cradle.ini becomes the user's
// when the user has none, and the shipped Collections/ (the sample
// collection) the user's when the user has no Collections folder yet. What
// the user already has is left alone; failures are logged and the program
// goes on. Nothing for a copy that keeps everything beside itself.
void shellSeedUserFolder();

// Copies the file from to to unless to exists (as anything, a dangling link
// too). The copy is written under a temporary name beside to and moved into
// place when complete, never over a file that appeared meanwhile.
// 1 made; 0 to exists and was left alone; -1 from cannot be read; -2 to
// cannot be written (nothing is left behind).
int shellSeedFile(const char *from, const char *to);
// The same for a folder: its subfolders and regular files, with their
// modification times; links and other entries are not copied.
int shellSeedFolder(const char *from, const char *to);

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
