// Directories made at start-up: the collections directory and its hidden Recycle Bin.
#include "dirs.h"

#include <cstdio>
#include <cstring>
#include <windows.h>

void dirsCreatePath(const char* path) {
  char prefix[MAX_PATH];
  snprintf(prefix, sizeof prefix, "%s", path);
  for (char* p = prefix + 1; *p; p++) {
    if (*p != '/') continue;
    *p = 0;
    CreateDirectoryA(prefix, nullptr);
    *p = '/';
  }
  CreateDirectoryA(prefix, nullptr);
}

int dirsCreateRecycleBin(const char* collectionsDir) {
  char bin[MAX_PATH];
  snprintf(bin, sizeof bin, "%s/Recycle Bin", collectionsDir);
  DWORD attributes = GetFileAttributesA(bin);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!CreateDirectoryA(bin, nullptr)) return -3;
    attributes = GetFileAttributesA(bin);
    if (attributes == INVALID_FILE_ATTRIBUTES) return -3;
  }
  if (!(attributes & FILE_ATTRIBUTE_HIDDEN) && !SetFileAttributesA(bin, attributes | FILE_ATTRIBUTE_HIDDEN)) return -3;
  return 0;
}
