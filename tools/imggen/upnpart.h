// The pictures of the UPnP settings page: list marks on a magenta key colour
// (image lists make magenta transparent) and the icons of the Advanced sheet.
#pragma once

#include <ostream>
#include <string>

namespace imggen {

// Draws every picture into dir and writes one resource line per picture
// ("<id> BITMAP|ICON \"<file>\"") to rc, ids from the page's id header.
bool drawUpnpArt(const std::string& dir, std::ostream& rc);

}  // namespace imggen
