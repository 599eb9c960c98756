// Real input for the settings tests: clicks, keys and menu choices reach the
// widgets behind the windows as a user's would. Only the input messages they
// queue are delivered before these return, never timers, so a script step
// waiting for a window that is already open does not run too early.
#pragma once

#include <windows.h>

#include <string>

namespace settingstest {

// A left click in the middle of the window.
void clickNow(HWND window);
// Gives the control the focus and presses F1 on it.
void pressF1(HWND control);
// Types the text into the control, which gets the focus first.
void typeInto(HWND control, const std::string &text);
// Clicks the text of the tree entry; false when the tree has no such entry.
bool clickTreeEntry(HWND tree, const std::string &text, int occurrence = 0);
// Clicks the entry popup of the window's menu bar, then item in the menu
// that opens ('&' ignored in both). With shot, a picture of the open menu
// is written there first. False when the bar, the entry or the item is
// missing.
bool chooseFromMenuBar(HWND window, const std::string &popup, const std::string &item,
                       const std::string &shot = "");

}  // namespace settingstest
