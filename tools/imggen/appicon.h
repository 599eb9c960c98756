// The host program's own icon for the desktop's icon theme.
#pragma once

#include <string>

namespace imggen {

// Sizes of the icon theme's fixed-size folders.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Draws the icon at size x size pixels as a PNG file.
bool drawAppIcon(int size, const std::string& path);

}  // namespace imggen
