// Pictures of the Add Collection wizard and the photo editor.
#include "gpageart.h"

#include "palette.h"

namespace imggen {

std::vector<PageArt> galleonWizardArt() { return {}; }

}  // namespace imggen
