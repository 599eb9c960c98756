// Finds the object of a resolved target below the collections directory.
#include "object.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

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

// True when name is listed in the ".hidden" file of dir (one name a line).
// Most folders have none, which costs one failed open.
bool listedHidden(const char* dir, const char* name, size_t nameLen) {
  char file[PATH_MAX];
  if (snprintf(file, sizeof file, "%s/.hidden", dir) >= static_cast<int>(sizeof file)) return true;
  int fd = open(file, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(fd);
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t len = end - start;
    if (len > 0 && text[start + len - 1] == '\r') len--;
    if (len == nameLen && text.compare(start, len, name, nameLen) == 0) return true;
    start = end + 1;
  }
  return false;
}

// True when a component of path below root (root itself excluded) is hidden:
// a leading '.' or a name listed in its folder's ".hidden".
bool hiddenBelow(const char* root, const char* path) {
  size_t rootLen = strlen(root);
  if (strncmp(path, root, rootLen) != 0) return true;
  char dir[PATH_MAX];
  snprintf(dir, sizeof dir, "%s", path);
  const char* name = path + rootLen;
  while (*name) {
    while (*name == '/') name++;
    if (!*name) break;
    size_t len = strcspn(name, "/");
    if (name[0] == '.') return true;
    size_t at = static_cast<size_t>(name - path);
    dir[at] = 0;  // the folder that holds this component
    bool listed = listedHidden(dir, name, len);
    dir[at] = path[at];
    if (listed) return true;
    name += len;
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
            !hiddenBelow(root, o.realPath);
    // The path as asked is checked too when links made it a different one.
    const char* asked = target.fsPath + strlen(g_config.collectionsDir);
    size_t askedLen = strlen(asked);
    if (askedLen > 1 && asked[askedLen - 1] == '/') askedLen--;
    bool same = strlen(o.realPath + rootLen) == askedLen && strncmp(o.realPath + rootLen, asked, askedLen) == 0;
    if (found && !same) found = !hiddenBelow(g_config.collectionsDir, target.fsPath);
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
