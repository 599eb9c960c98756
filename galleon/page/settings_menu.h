// The popup menus of the Settings page and of the Files page: drawn by the
// popup menu module menumod (compiled into the plug-in) when it can be
// started, with the page's colours and an icon per item; plain otherwise.
#pragma once

#include <windows.h>

// The icons of one item: its command and the icon resources drawn normally
// and when the item is selected (0: none).
struct SettingsMenuIcon {
    UINT command;
    int icon;
    int activeIcon;
};

// Shows the menu at the screen point for owner and returns the command
// chosen (0 when none); the menu is destroyed. Owner must pass its
// WM_MEASUREITEM and WM_DRAWITEM of menus to the two calls below.
UINT settingsMenuTrack(HWND owner, HMENU menu, const SettingsMenuIcon* icons, int count, POINT at);

// WM_MEASUREITEM and WM_DRAWITEM of an item of such a menu; false when the
// item is not one (another control's, or a plain menu's).
bool settingsMenuMeasure(MEASUREITEMSTRUCT* measure);
bool settingsMenuDraw(const DRAWITEMSTRUCT* draw);

// A 16 x 16 icon of the plug-in's resources, shared (never destroyed).
HICON settingsSmallIcon(int id);
