// Showing help: pages in the user's browser, text pop-ups as small windows
// beside the pointer. With SUITE_HELP_RECORD naming a file, each page and
// pop-up is also written there as one line ("open URL", "popup TEXT" with
// line ends as "\n") and pages are not handed to a browser, so tests can see
// what a user would.
#pragma once

#include <windows.h>

#include <string>

class QFont;

namespace platform::ui {

// Opens page[#anchor] of a help archive; false if the archive cannot be
// unpacked or has no such page.
bool helpOpenPage(const std::string &archive, const std::string &target);
// Shows text (8-bit, code page 1252) at a screen position. font: "face,points"
// or null; colours CLR_INVALID (-1) for the tooltip colours; margins < 0 for
// the default.
void helpShowPopup(const std::string &text, POINT at, const char *font, COLORREF foreground, COLORREF background,
                   RECT margins);
// Closes any pop-up.
void helpClosePopups();
// The pointer's screen position.
POINT helpPointerPosition();

}  // namespace platform::ui
