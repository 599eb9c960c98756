// The pictures of the photo plug-in's settings pages, sheets, wizard and
// dialogs. Each group of pages lists its own pictures; imggen --galleon-pages
// draws them all and writes one resource line per picture.
#pragma once

#include "canvas.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace imggen {

struct PageArt {
    std::string name;  // resource id symbol, as in galleon/page/pageids.h
    bool icon;         // an icon (drawn at 16 and 32 pixels, supersampled) or a bitmap
    int width = 0;     // bitmaps: their size in pixels
    int height = 0;
    std::function<void(Canvas&)> paint;
    int supersample = 1;  // bitmaps: 1 for pixel-exact marks on the magenta key
};

// The key colour of list marks: image lists make it transparent.
inline constexpr Rgba kKeyColour{255, 0, 255};

// Pictures shared by several groups (sort marks, the file icon, the
// password and type icons, the error mark).
std::vector<PageArt> galleonCommonArt();
// The Settings page, its menus and the Edit Collection sheet.
std::vector<PageArt> galleonSettingsArt();
// The Options, Security and Log pages, the host entry dialog and the
// transaction log window.
std::vector<PageArt> galleonAdvancedArt();
// The Add Collection wizard and the photo editor.
std::vector<PageArt> galleonWizardArt();

// Draws every picture of the groups into dir and writes their resource lines.
bool drawGalleonPageArt(const std::string& dir, std::ostream& rc);

}  // namespace imggen
