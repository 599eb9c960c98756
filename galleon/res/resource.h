// Resource ids of the photo plug-in.
#include "../page/pageids.h"
#define IDS_BUILD_DATE 1
