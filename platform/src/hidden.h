// Hidden files: a name that begins with "." or is listed in its directory's
// ".hidden" file (one name per line). Changes to ".hidden" take a lock on the
// directory (flock, so threads and processes are serialised) and replace the
// file atomically.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Directory part and name part of a path ("a/b" -> "a", "b"; "b" -> ".", "b").
void splitPath(const std::string &path, std::string *dir, std::string *name);

// The names listed in dir/.hidden.
std::vector<std::string> hiddenList(const std::string &dir);

bool isHiddenPath(const std::string &path);

// Lists or unlists the path's name in its directory's ".hidden". False with
// the last error set on failure.
bool setHiddenListed(const std::string &path, bool hidden);

// Is the name listed (ignoring the leading-dot rule)?
bool isListedHidden(const std::string &path);

}  // namespace platform
