// Pictures of the Settings page, its menus and the Edit Collection sheet.
#include "gpageart.h"

#include "palette.h"

namespace imggen {

std::vector<PageArt> galleonSettingsArt() { return {}; }

}  // namespace imggen
