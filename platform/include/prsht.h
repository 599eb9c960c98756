/* Property sheets and wizards. Implemented by libplatformui.so. */
#ifndef PLATFORM_PRSHT_H
#define PLATFORM_PRSHT_H

#include <windows.h>
#if __has_include("win/propsheet.h")
#include "win/propsheet.h"
#endif

#endif
