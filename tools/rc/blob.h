// Serialises compiled resources into the blob that modules carry.
#pragma once

#include "resources.h"

namespace rc {

// Header, sorted entry table, name pool, then the data items (4-byte aligned).
Bytes buildBlob(std::vector<Resource> resources);

}  // namespace rc
