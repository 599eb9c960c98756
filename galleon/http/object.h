// The object a resolved target names, found once below the collections
// directory: the open descriptor serves it and its real location (after
// symbolic links) decides which collection's password it needs.
#pragma once
#include <climits>
#include <sys/stat.h>

#include "target.h"

struct TargetObject {
  int fd = -1;                  // open for reading (non-blocking), or -1: missing
  struct stat st {};
  bool directory = false;
  bool file = false;
  char realPath[PATH_MAX] = "";    // location after links (inside the collections)
  char realCollection[256] = "";   // first component of realPath below the collections, "" for the root
  TargetObject() = default;
  TargetObject(const TargetObject&) = delete;
  TargetObject& operator=(const TargetObject&) = delete;
  ~TargetObject();
  int release();  // hands the descriptor over to the caller
};

// Opens what target names. Found (1) only when it exists, lies inside the
// collections directory after links are followed, is a file or a folder, and
// no component of its path (as asked or as resolved) is hidden; otherwise 0
// and out stays missing, so a hidden name is answered like a missing one.
int objectOpen(const ResolvedTarget& target, TargetObject* out);
