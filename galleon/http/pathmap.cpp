// Request paths onto the collections directory, credentials and cookies.
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "config.h"
#include "request.h"
#include "server.h"
#include "varmod.h"

// The collections directory with every link resolved, cached per thread for
// the configured directory.
static bool resolvedRoot(char* out, int size) {
  static thread_local char configured[MAX_PATH];
  static thread_local char root[PATH_MAX];
  if (strcmp(configured, g_config.collectionsDir) != 0 || !root[0]) {
    if (!realpath(g_config.collectionsDir, root)) {
      root[0] = 0;
      return false;
    }
    snprintf(configured, sizeof configured, "%s", g_config.collectionsDir);
  }
  snprintf(out, size, "%s", root);
  return true;
}

int httpCollectionsRealPath(char* out, int size) { return resolvedRoot(out, size) ? 1 : 0; }

int httpPathInsideCollections(const char* path) {
  char root[PATH_MAX], resolved[PATH_MAX];
  if (!resolvedRoot(root, sizeof root) || !realpath(path, resolved)) return 0;
  size_t n = strlen(root);
  return strncmp(resolved, root, n) == 0 && (resolved[n] == 0 || resolved[n] == '/');
}

int httpDescriptorInsideCollections(int fd) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char resolved[PATH_MAX];
  ssize_t n = readlink(link, resolved, sizeof resolved - 1);
  if (n <= 0) return 0;
  resolved[n] = 0;
  char root[PATH_MAX];
  if (!resolvedRoot(root, sizeof root)) return 0;
  size_t len = strlen(root);
  return strncmp(resolved, root, len) == 0 && (resolved[len] == 0 || resolved[len] == '/');
}

// The collections directory, opened once for the lookups below it.
static std::mutex g_rootMutex;
static int g_rootFd = -1;
static char g_rootFor[MAX_PATH];

static int collectionsRootFd() {
  std::lock_guard<std::mutex> lock(g_rootMutex);
  if (g_rootFd < 0 || strcmp(g_rootFor, g_config.collectionsDir) != 0) {
    if (g_rootFd >= 0) close(g_rootFd);
    g_rootFd = open(g_config.collectionsDir, O_PATH | O_DIRECTORY | O_CLOEXEC);
    snprintf(g_rootFor, sizeof g_rootFor, "%s", g_config.collectionsDir);
  }
  return g_rootFd;
}

void httpCloseCollectionsRoot() {
  std::lock_guard<std::mutex> lock(g_rootMutex);
  if (g_rootFd >= 0) close(g_rootFd);
  g_rootFd = -1;
  g_rootFor[0] = 0;
}

int httpOpenInsideCollections(const char* path) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;  // a FIFO must not hold the thread
  size_t rootLen = strlen(g_config.collectionsDir);
  int root = collectionsRootFd();
  if (root >= 0 && strncmp(path, g_config.collectionsDir, rootLen) == 0 && (path[rootLen] == '/' || !path[rootLen])) {
    // One lookup that the kernel keeps below the directory: it refuses any
    // step outside, through ".." or a link.
    const char* relative = path + rootLen;
    while (*relative == '/') relative++;
    struct open_how how{};
    how.flags = flags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    long fd = syscall(SYS_openat2, root, *relative ? relative : ".", &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    // Links written as absolute paths are refused by that lookup even when
    // they point inside: those are followed and checked where they lead.
    if (errno != EXDEV && errno != ENOSYS && errno != EPERM) return -1;
  }
  int fd = open(path, flags);
  if (fd >= 0 && !httpDescriptorInsideCollections(fd)) {
    close(fd);
    return -1;
  }
  return fd;
}

int serverDecodeBase64(const char* in, char* out, int size) {
  int n = 0;
  int group[4];
  int have = 0;
  for (const char* p = in; *p && n < size - 1; p++) {
    int v;
    char c = *p;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == '=') v = -1;
    else continue;
    group[have++] = v;
    if (have < 4) continue;
    have = 0;
    if (group[0] < 0 || group[1] < 0) break;
    out[n++] = static_cast<char>((group[0] << 2) | (group[1] >> 4));
    if (group[2] < 0) break;
    if (n < size - 1) out[n++] = static_cast<char>(((group[1] & 15) << 4) | (group[2] >> 2));
    if (group[3] < 0) break;
    if (n < size - 1) out[n++] = static_cast<char>(((group[2] & 3) << 6) | group[3]);
  }
  out[n] = 0;
  return n;
}

void serverCookieToQuery(const char* cookie, char* out, int size) {
  if (size < 1) return;
  out[0] = 0;
  if (!strchr(cookie, ';')) {
    snprintf(out, size, "%s", cookie);
    return;
  }
  // Pieces from the last to the first, so that of repeated names the first
  // one of the cookie is parsed last and wins.
  int n = 0;
  const char* end = cookie + strlen(cookie);
  while (end > cookie) {
    const char* start = end;
    while (start > cookie && start[-1] != ';') start--;
    const char* p = start;
    while (p < end && (*p == ' ' || *p == '\t' || *p == ';')) p++;
    int len = static_cast<int>(end - p);
    if (len > 0) {
      if (n > 0 && n < size - 1) out[n++] = '&';
      if (n + len > size - 1) len = size - 1 - n;
      memcpy(out + n, p, len);
      n += len;
      out[n] = 0;
    }
    end = start > cookie ? start - 1 : cookie;
  }
}
