/* Common controls: image lists, list view and header, tree view, track bar,
 * progress bar, IP address, tooltips and property sheets. Each control has
 * its own header under win/; this one joins those that exist. Implemented by
 * libplatformui.so on Qt widgets. */
#ifndef PLATFORM_COMMCTRL_H
#define PLATFORM_COMMCTRL_H

#include <windows.h>
#include "win/imagelist.h"

#if __has_include("win/comctl.h")
#include "win/comctl.h" /* InitCommonControlsEx, NMHDR codes shared by controls */
#endif
#if __has_include("win/listview.h")
#include "win/listview.h" /* list view and header */
#endif
#if __has_include("win/treeview.h")
#include "win/treeview.h"
#endif
#if __has_include("win/smallctl.h")
#include "win/smallctl.h" /* track bar, progress bar, IP address, tooltips */
#endif
#include <prsht.h>

#endif
