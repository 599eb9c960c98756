// Runs display_probe with exactly the given environment; its exit status and
// everything it wrote to standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace uitest {

struct ProbeResult {
    int status = -1;
    std::string output;
};

ProbeResult runDisplayProbe(const std::vector<std::string> &environment);

}  // namespace uitest
