#pragma once

#include "canvas.h"

#include <functional>
#include <string>
#include <vector>

namespace imggen {

// One picture of the pages: its resource name, size and how it is drawn.
struct Builtin {
    std::string name;
    int width, height;
    bool gif;  // the sort markers are GIF data, everything else PNG
    std::function<void(Canvas&)> paint;
    int supersample;
};

const std::vector<Builtin>& builtins();
bool drawBuiltin(const Builtin& b, const std::string& path);

}  // namespace imggen
