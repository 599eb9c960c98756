// The one reading of a request target: decode, refuse, split, remove dot
// segments, find the collection. No file system access.
#include "target.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <strings.h>

namespace {

constexpr int kNameMax = 255;  // longest file name the file system holds

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes raw[0, length) into out: '%XX' to that byte, '+' to a blank, a
// backslash to '/'. False when a decoded byte is NUL or a control character.
bool decode(const char* raw, int length, char* out) {
  int n = 0;
  for (int i = 0; i < length; i++) {
    unsigned char c = static_cast<unsigned char>(raw[i]);
    if (c == '%' && i + 2 < length) {
      int hi = hexValue(raw[i + 1]);
      int lo = hexValue(raw[i + 2]);
      if (hi >= 0 && lo >= 0) {
        c = static_cast<unsigned char>(hi * 16 + lo);
        i += 2;
      }
    } else if (c == '+') {
      c = ' ';
    }
    if (c < 0x20 || c == 0x7f) return false;
    out[n++] = c == '\\' ? '/' : static_cast<char>(c);
  }
  out[n] = 0;
  return true;
}

struct Prefix {
  const char* text;  // with the leading '/' and the colon
  int kind;
};
const Prefix kPrefixes[] = {{"/cii:", TARGET_CII}, {"/cid:", TARGET_CID}, {"/cib:", TARGET_CIB},
                            {"/cif:", TARGET_CIF}, {"/cip:", TARGET_CIP}};

bool endsWithNoCase(const char* text, int length, const char* suffix) {
  int n = static_cast<int>(strlen(suffix));
  return length >= n && strncasecmp(text + length - n, suffix, n) == 0;
}

bool hiddenByForm(const char* segment, int length, bool top) {
  if (segment[0] == '.') return true;
  if (endsWithNoCase(segment, length, ".tmb")) return true;
  return top && length == 11 && strncasecmp(segment, "Recycle Bin", 11) == 0;
}

// Removes empty, "." and ".." segments of path (at most TARGET_MAX
// characters) into result (TARGET_MAX bytes). Returns 0, 400 for a ".."
// above the root, 404 for an over-long segment.
int normalise(const char* path, char* result, bool* hidden, bool checkHidden) {
  // Segment starts in out, so ".." can drop the last one. Every segment takes
  // at least two characters of the path (itself and a separator).
  int starts[TARGET_MAX / 2 + 2];
  int depth = 0;
  char out[TARGET_MAX + 4];
  int n = 0;
  out[n++] = '/';
  bool trailing = false;
  const char* p = path;
  while (*p) {
    while (*p == '/') p++;
    if (!*p) {
      trailing = true;
      break;
    }
    const char* end = strchr(p, '/');
    int len = end ? static_cast<int>(end - p) : static_cast<int>(strlen(p));
    trailing = false;
    if (len == 1 && p[0] == '.') {
      trailing = true;
    } else if (len == 2 && p[0] == '.' && p[1] == '.') {
      if (depth == 0) return 400;
      n = starts[--depth];
      trailing = true;
    } else {
      if (len > kNameMax) return 404;
      starts[depth++] = n;
      memcpy(out + n, p, len);  // fits: the output outgrows the path by one '/' at most
      n += len;
      out[n++] = '/';
    }
    p += len;
  }
  // Each kept segment was followed by '/': drop the last one unless the path
  // named a folder ("/a/", "/a/.", "/a/b/..").
  if (n > 1 && !trailing) n--;
  out[n] = 0;
  if (n >= TARGET_MAX) return 414;
  memcpy(result, out, n + 1);
  if (checkHidden) {
    *hidden = false;
    const char* s = result + 1;
    for (bool top = true; *s; top = false) {
      const char* end = strchr(s, '/');
      int len = end ? static_cast<int>(end - s) : static_cast<int>(strlen(s));
      if (hiddenByForm(s, len, top)) *hidden = true;
      if (!end) break;
      s = end + 1;
    }
  }
  return 0;
}

}  // namespace

int targetResolve(const char* raw, const char* collectionsDir, ResolvedTarget* out) {
  if (!raw || !collectionsDir || !out) return 400;
  memset(out, 0, sizeof *out);
  int length = static_cast<int>(strcspn(raw, "?"));
  if (length >= TARGET_MAX) return 414;
  char decoded[TARGET_MAX + 1];
  decoded[0] = '/';  // a target without its leading '/' is read as if it had one
  if (!decode(raw, length, decoded + 1)) return 400;

  const char* path = decoded;
  out->kind = TARGET_PLAIN;
  for (const Prefix& prefix : kPrefixes) {
    // "//cii:" is a path, not an image: only one leading '/' may precede.
    const char* start = decoded[1] == '/' ? decoded + 1 : decoded;
    if (strncasecmp(start, prefix.text, 5) == 0) {
      out->kind = prefix.kind;
      path = start + 5;
      break;
    }
  }
  bool namesFile = out->kind != TARGET_CII && out->kind != TARGET_CIP;
  if (int status = normalise(path, out->urlPath, &out->hiddenName, namesFile)) return status;

  const char* first = out->urlPath + 1;
  size_t firstLen = strcspn(first, "/");
  snprintf(out->collection, sizeof out->collection, "%.*s", static_cast<int>(firstLen), first);

  if (namesFile) {
    int n = snprintf(out->fsPath, sizeof out->fsPath, "%s%s", collectionsDir,
                     strcmp(out->urlPath, "/") == 0 ? "" : out->urlPath);
    if (n < 0 || n >= static_cast<int>(sizeof out->fsPath)) {
      out->fsPath[0] = 0;
      return 414;
    }
  }
  return 0;
}

int targetEscapePath(const char* path, char* out, int size) {
  if (!out || size < 1) return -1;
  static const char kHex[] = "0123456789ABCDEF";
  int n = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path ? path : ""); *p; p++) {
    bool plain = (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
                 strchr("-._~/", *p) != nullptr;
    int need = plain ? 1 : 3;
    if (n + need > size - 1) {
      out[0] = 0;
      return -1;
    }
    if (plain) {
      out[n++] = static_cast<char>(*p);
    } else {
      out[n++] = '%';
      out[n++] = kHex[*p >> 4];
      out[n++] = kHex[*p & 15];
    }
  }
  out[n] = 0;
  return n;
}

bool targetIsViewName(const char* text) {
  if (!text) return false;
  for (const char* view : {"icons", "list", "details", "filmstrip", "preview"})
    if (strcmp(text, view) == 0) return true;
  return false;
}
