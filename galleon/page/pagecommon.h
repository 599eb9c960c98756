// Helpers every page, sheet and dialog of the photo plug-in shares: the
// module's resources, fonts, list set-up, heading colours, help, message
// boxes and the addresses of collections in the browser.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// The plug-in's own module (its resources hold the templates and pictures).
HMODULE pageModule();

// "Helv", height -8, weight 600: status texts, headings, error lines.
HFONT pageCreateBoldFont();

// An image list of 16 x 16 images: the three header sort marks (images 0 to
// 2, for lvsort) and then the given icons, in order from image 3.
HIMAGELIST pageCreateImageList(const int* iconIds, int count);
// The list style of every page: grid lines, full-row selection, flat scroll
// bars, and the image list above as its small images (the list destroys it).
void pageSetupList(HWND list, const int* iconIds, int count);
// A column of a report list.
void pageAddColumn(HWND list, int index, const char* title, int width);
// The lParam of a row, or -1.
LPARAM pageRowParam(HWND list, int row);

// WM_CTLCOLORSTATIC for the pages: headings (controls 400 to 499) are drawn
// blue on a transparent background. Returns the brush to answer, or 0 for
// the default handling.
INT_PTR pageHeadingColour(HDC dc, HWND control);

// The help file beside the configuration file, written from the plug-in's
// "HELP" resource when it is not there yet; null when it cannot be had.
const char* pageHelpFile();
// Page help (PSN_HELP): the topic at context.
void pageTopicHelp(HWND window, DWORD context);
// Control help (WM_HELP): the pop-up at base plus the control's id.
void pageControlHelp(HWND window, DWORD base, const HELPINFO* info);

// A message box captioned "photo".
int pageMessageBox(HWND owner, const char* text, UINT type);

// A collection's name encoded as in HTML forms: letters, digits, "-", "."
// and "_" kept, space as "+", every other byte as "%XX"; encoding stops once
// the result holds 32 or more characters; the plain name when nothing comes
// out.
std::string pageFormEncode(const char* name);
// "http://localhost:<port>/<encoded name>/" and the view query of the type:
// filmstrip for Photo, details for File; for Mixed the view "MixedListType"
// names when mixedByOption is set, else icons.
std::string pageCollectionUrl(const char* name, int type, bool mixedByOption = true);
// Opens an address or a folder with the shell's "open" verb.
void pageShellOpen(HWND owner, const std::string& target);

// The wait cursor while an object of this type lives.
class PageWaitCursor {
public:
    PageWaitCursor();
    ~PageWaitCursor();
    PageWaitCursor(const PageWaitCursor&) = delete;
    PageWaitCursor& operator=(const PageWaitCursor&) = delete;

private:
    HCURSOR previous_;
};
