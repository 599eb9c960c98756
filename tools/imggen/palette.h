// The colours shared by every generated picture, so the pages look of a piece.
#pragma once

#include "canvas.h"

namespace imggen {

inline constexpr Rgba kNavy{23, 54, 93};
inline constexpr Rgba kBlue{46, 92, 154};
inline constexpr Rgba kToolbar{74, 125, 192};   // blue_bkgnd
inline constexpr Rgba kSky{99, 154, 206};       // rules and frames of the pages
inline constexpr Rgba kWhite{255, 255, 255};
inline constexpr Rgba kInk{40, 48, 60};
inline constexpr Rgba kGrey{192, 192, 192};
inline constexpr Rgba kMidGrey{150, 156, 166};
inline constexpr Rgba kPaleBlue{232, 239, 248};
inline constexpr Rgba kFolderLight{255, 214, 102};
inline constexpr Rgba kFolderDark{222, 166, 40};
inline constexpr Rgba kFolderEdge{176, 124, 20};
inline constexpr Rgba kClear{255, 255, 255, 127};

inline Rgba alpha(Rgba c, int a) { return {c.r, c.g, c.b, a}; }

}  // namespace imggen
