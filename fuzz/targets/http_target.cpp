// The one resolution of a request target and the lookup of what it names:
// any target resolves to a clean path or is refused with 400, 404 or 414;
// the clean path resolves to itself again; an object found lies inside the
// collections, is not hidden, and names the collection that really holds it.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config.h"
#include "galleon_env.h"
#include "object.h"
#include "request.h"
#include "target.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::galleonStart();
  return 0;
}

namespace {

void checkClean(const ResolvedTarget& t) {
  const char* p = t.urlPath;
  if (p[0] != '/' || strstr(p, "//") || strchr(p, '\\')) std::abort();
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(p); *c; c++)
    if (*c < 0x20 || *c == 0x7f) std::abort();
  // No "." or ".." segment anywhere.
  for (const char* s = p + 1; *s;) {
    size_t len = strcspn(s, "/");
    if ((len == 1 && s[0] == '.') || (len == 2 && s[0] == '.' && s[1] == '.')) std::abort();
    if (len > 0 && s[0] == '.' && t.kind != TARGET_CII && t.kind != TARGET_CIP && !t.hiddenName) std::abort();
    s += len;
    if (*s) s++;
  }
  size_t firstLen = strcspn(p + 1, "/");
  if (firstLen < sizeof t.collection && strncmp(t.collection, p + 1, firstLen) != 0) std::abort();
  if (t.kind != TARGET_CII && t.kind != TARGET_CIP) {
    std::string want = std::string(g_config.collectionsDir) + (strcmp(p, "/") == 0 ? "" : p);
    if (want != t.fsPath) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);
  raw = raw.c_str();
  static ResolvedTarget target, again;
  int status = targetResolve(raw.c_str(), g_config.collectionsDir, &target);
  if (status != 0 && status != 400 && status != 404 && status != 414) std::abort();
  if (status != 0) return 0;
  checkClean(target);

  // The clean path, escaped, reads back as itself.
  char escaped[4 * TARGET_MAX];
  if (targetEscapePath(target.urlPath, escaped, sizeof escaped) < 0) std::abort();
  if (target.kind == TARGET_PLAIN && targetResolve(escaped, g_config.collectionsDir, &again) == 0 &&
      again.kind == TARGET_PLAIN && strcmp(again.urlPath, target.urlPath) != 0)
    std::abort();
  char small[8];
  int n = targetEscapePath(target.urlPath, small, sizeof small);
  if (n >= static_cast<int>(sizeof small) || (n < 0 && small[0] != 0)) std::abort();
  targetIsViewName(target.collection);

  if (target.kind == TARGET_CII || target.kind == TARGET_CIP) return 0;
  TargetObject object;
  if (!objectOpen(target, &object)) return 0;
  if (target.hiddenName || object.fd < 0 || object.directory == object.file) std::abort();
  char root[PATH_MAX];
  if (httpCollectionsRealPath(root, sizeof root) <= 0) return 0;
  size_t rootLen = strlen(root);
  if (strncmp(object.realPath, root, rootLen) != 0 || (object.realPath[rootLen] && object.realPath[rootLen] != '/'))
    std::abort();
  if (!httpDescriptorInsideCollections(object.fd)) std::abort();
  // The collection that holds the object after links, never the one asked.
  const char* below = object.realPath + rootLen;
  while (*below == '/') below++;
  if (std::string(below, strcspn(below, "/")) != object.realCollection) std::abort();
  // Names the tree hides are never found.
  const char* base = strrchr(object.realPath, '/');
  if (base && (base[1] == '.' || strcmp(base, "/hidden.txt") == 0)) std::abort();
  return 0;
}
