// The top level of a resource script: statements "name TYPE ..." and
// STRINGTABLE, turned into the list of compiled resources.
#pragma once

#include "resources.h"

#include <set>
#include <string>
#include <vector>

namespace rc {

struct Script {
    std::vector<Resource> resources;
    std::set<std::string> files;  // every file read (scripts, headers, data)
};

// Preprocesses and compiles one script.
Script compileScript(const std::string& path, const std::vector<std::string>& includeDirs,
                     const std::vector<std::pair<std::string, std::string>>& defines);

}  // namespace rc
