// Pictures of the Options, Security and Log pages, the host entry dialog and the transaction log window.
#include "gpageart.h"

#include "palette.h"

namespace imggen {

std::vector<PageArt> galleonAdvancedArt() { return {}; }

}  // namespace imggen
