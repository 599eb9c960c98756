// Finds the object of a resolved target below the collections directory.
#include "object.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <windows.h>

#include "config.h"
#include "request.h"

TargetObject::~TargetObject() {
  if (fd >= 0) close(fd);
}

int TargetObject::release() {
  int handed = fd;
  fd = -1;
  return handed;
}

namespace {

// True when a component of path below root (root itself excluded) is hidden:
// a leading '.' or a name listed in its folder's ".hidden".
bool hiddenBelow(const char* root, const char* path) {
  size_t rootLen = strlen(root);
  if (strncmp(path, root, rootLen) != 0) return true;
  char prefix[PATH_MAX];
  snprintf(prefix, sizeof prefix, "%s", path);
  for (size_t i = rootLen + 1; i <= strlen(path); i++) {
    if (path[i] != '/' && path[i] != 0) continue;
    if (i == rootLen + 1) continue;
    prefix[i] = 0;
    DWORD attrs = GetFileAttributesA(prefix);
    prefix[i] = path[i];
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_HIDDEN)) return true;
    if (path[i] == 0) break;
  }
  return false;
}

// The real location of an open descriptor; false when it cannot be read.
bool descriptorPath(int fd, char* out, int size) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, out, size - 1);
  if (n <= 0 || n >= size - 1) return false;
  out[n] = 0;
  return true;
}

}  // namespace

int objectOpen(const ResolvedTarget& target, TargetObject* out) {
  if (!out || !target.fsPath[0] || target.hiddenName) return 0;
  int fd = httpOpenInsideCollections(target.fsPath);
  if (fd < 0) return 0;
  TargetObject& o = *out;
  o.fd = fd;
  char root[PATH_MAX];
  bool found = fstat(fd, &o.st) == 0 && (S_ISDIR(o.st.st_mode) || S_ISREG(o.st.st_mode)) &&
               httpCollectionsRealPath(root, sizeof root) && descriptorPath(fd, o.realPath, sizeof o.realPath);
  if (found) {
    size_t rootLen = strlen(root);
    found = strncmp(o.realPath, root, rootLen) == 0 && (o.realPath[rootLen] == '/' || !o.realPath[rootLen]) &&
            !hiddenBelow(root, o.realPath) && !hiddenBelow(g_config.collectionsDir, target.fsPath);
    if (found) {
      const char* rest = o.realPath + rootLen;
      if (*rest == '/') rest++;
      snprintf(o.realCollection, sizeof o.realCollection, "%.*s", static_cast<int>(strcspn(rest, "/")), rest);
    }
  }
  if (!found) {
    close(o.fd);
    o.fd = -1;
    o.realPath[0] = 0;
    o.realCollection[0] = 0;
    return 0;
  }
  o.directory = S_ISDIR(o.st.st_mode);
  o.file = !o.directory;
  return 1;
}
