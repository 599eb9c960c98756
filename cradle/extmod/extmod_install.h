/* Installation of a plug-in file that arrives at run time: copied into the
 * plug-in directory (replacing an installed copy of the same InternalName),
 * its help file written to the program directory, and loaded at once where
 * it can be; where the old file is still in use the replacement waits for the
 * next start in section "rename" of extmod.ini. Main thread only, like the
 * manager it uses. */
#ifndef CRADLE_EXTMOD_INSTALL_H
#define CRADLE_EXTMOD_INSTALL_H

#include <windows.h>

#define EXTMOD_INSTALL_NAME_SIZE 256

/* Results: 0 installed and running (loaded now, or reloaded with every
 * plug-in); -1 manager not initialised; -2 null path; -3 not a plug-in
 * (no usable InternalName, does not load, no zelextGetDlgCount), could not be
 * copied, or a loaded copy of it has no version; -4 put in place for the next
 * start; -7 the file cannot be opened for reading; -8 no SpecialBuild, or it
 * needs a newer host than hostVersion.
 * name receives the InternalName ("" when unknown; EXTMOD_INSTALL_NAME_SIZE
 * characters, may be null). With unloadFirst a loaded older copy is shut down
 * and unloaded before its file is replaced; without, it keeps running. The
 * source file is deleted only once it was copied and loaded. */
int extmodInstallModule(LPCSTR path, LPSTR name, int hostVersion, BOOL unloadFirst);

/* Writes the "HELP" resource 100 of the plug-in file to helpPath, byte for
 * byte, replacing an existing file: 0; -1 a path is missing; -2 the file
 * cannot be loaded; -3 no such resource or the help file cannot be written. */
int extmodWriteHelpFile(LPCSTR pluginPath, LPCSTR helpPath);

#endif
