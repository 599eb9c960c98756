#pragma once

#include <string>
#include <vector>

namespace imggen {

// Families of file types that have an icon of their own.
const std::vector<std::string>& iconFamilies();

// Draws the icon of a family at size x size pixels into a PNG file.
bool drawIcon(const std::string& family, int size, const std::string& path);

}  // namespace imggen
