// Directories of the collections store that the plug-in makes at start-up.
#pragma once

// Creates every prefix of a '/'-separated path in turn, ignoring failures.
void dirsCreatePath(const char* path);
// Creates Collections/Recycle Bin when missing and makes it hidden. 0 or -3.
int dirsCreateRecycleBin(const char* collectionsDir);
