// The one reading of a request target. The raw target is decoded once,
// checked once and its dot segments removed before anything looks at the
// file system; every later step (password, files, listings, images, cookie,
// log) works on this result and never on the raw text again.
#pragma once
#include <climits>

// What the target asks for: a file or folder, or one of the image prefixes.
enum TargetKind {
  TARGET_PLAIN = 0,  // a file or folder below the collections
  TARGET_CII,        // "/cii:" built-in picture by name
  TARGET_CID,        // "/cid:" small icon of a path
  TARGET_CIB,        // "/cib:" large icon of a path
  TARGET_CIF,        // "/cif:" thumbnail of a path
  TARGET_CIP,        // "/cip:" usage picture
};

// Longest raw target accepted (the part before '?', as received).
constexpr int TARGET_MAX = 1024;

struct ResolvedTarget {
  int kind;                  // TARGET_*
  // The decoded path (of the image path for an image prefix): starts with
  // '/', '/' separates, no empty, "." or ".." segments, a trailing '/' kept.
  char urlPath[TARGET_MAX];
  // The collections directory followed by urlPath; empty for "/cii:" and
  // "/cip:", which name no file.
  char fsPath[PATH_MAX];
  // First segment of urlPath: the collection whose password the path needs
  // ("" for the root).
  char collection[256];
  // A segment that is hidden by its form: a leading '.', a ".tmb" thumbnail,
  // the Recycle Bin at the top. Such a path is answered like a missing one.
  bool hiddenName;
};

// Resolves a raw request target (text before any '?' counts; the query is
// ignored) against the collections directory (no trailing '/').
// Returns 0 with out filled, or the HTTP status to answer instead:
//   400  a NUL or control character once decoded, or a ".." above the root;
//   404  a segment longer than any file name can be;
//   414  a target or resulting path too long for its buffer.
// '%XX' is decoded once ('+' is a blank); a backslash, raw or encoded, is a
// separator like '/'. Pure: it reads no file and keeps no state.
int targetResolve(const char* raw, const char* collectionsDir, ResolvedTarget* out);

// URL path escaping for header values such as a cookie path: bytes other than
// letters, digits, '-', '.', '_', '~' and '/' become '%XX'. Returns the
// length, or -1 when it does not fit size (out is then "").
int targetEscapePath(const char* path, char* out, int size);

// True when text is one of the five listing views the "list" cookie may carry.
bool targetIsViewName(const char* text);
