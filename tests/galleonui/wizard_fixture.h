// The Add Collection wizard under test: run from the Settings page's
// "A&dd..." button of the real plug-in, driven page by page from inside its
// modal loop with real clicks and keys; photos made with gd whose four
// quadrants have four colours, so turns and mirrors can be read back.
#pragma once

#include <gd.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "page_fixture.h"

namespace wizardtest {

// The colours of a test photo's quadrants, and what a quadrant reads as.
enum Colour { RED, GREEN, BLUE, YELLOW, OTHER };
// Top left, top right, bottom left, bottom right.
using Quadrants = std::array<Colour, 4>;
constexpr Quadrants UPRIGHT{RED, GREEN, BLUE, YELLOW};
constexpr Quadrants TURNED_LEFT{GREEN, YELLOW, RED, BLUE};  // a quarter turn counter-clockwise
constexpr Quadrants MIRRORED{GREEN, RED, YELLOW, BLUE};     // left to right

// Writes a w x h JPEG photo with the upright quadrants.
bool writePhoto(const std::string& path, int w, int h);
// The colours at the middle of each quadrant of an image, or of JPEG bytes.
Quadrants quadrantsOf(gdImagePtr image);
Quadrants quadrantsOfJpeg(const std::string& bytes, int* w = nullptr, int* h = nullptr);
// The quadrants of the coloured part of a picture (a photo drawn on white).
Quadrants quadrantsOfPicture(gdImagePtr image);
// A window's picture (uiSnapshotWindow) as a gd image; null when it fails.
gdImagePtr snapshotImage(HWND window);
std::string describe(const Quadrants& q);

class WizardTest : public galleonui::PageTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the plug-in and opens the Settings page.
    void startWithPage(const std::string& photoLines = "");
    // Clicks "A&dd..." on the Settings page; drive(sheet) runs once the
    // wizard shows, from inside its loop. Returns when the wizard has gone.
    void runWizard(const std::function<void(HWND)>& drive);

    // The wizard's current page and its caption; waits until it is the named page.
    static HWND currentPage(HWND sheet);
    static std::string pageName(HWND sheet);
    static bool waitForPage(HWND sheet, const std::string& name, int timeoutMs = 5000);
    // The wizard's buttons.
    static HWND backButton(HWND sheet) { return GetDlgItem(sheet, PSH_IDC_BACK); }
    static HWND nextButton(HWND sheet) { return GetDlgItem(sheet, PSH_IDC_NEXT); }
    static HWND finishButton(HWND sheet) { return GetDlgItem(sheet, PSH_IDC_FINISH); }
    static bool usable(HWND button) { return IsWindowVisible(button) && IsWindowEnabled(button); }
    // Clicks Next and waits for the page to change to the named one.
    static bool nextTo(HWND sheet, const std::string& name);
    // Lets posted messages (wizard buttons) arrive.
    static void settle(int ms = 50);

    // Types into an edit as a user does: focus, select all, keys.
    static void typeInto(HWND edit, const std::string& text);
    // The next file open dialog: checks nothing, goes to dir and chooses names (quoted, several).
    void chooseInFileDialog(const std::string& dir, const std::vector<std::string>& names);
    // Drops local files on a window as a file manager does.
    static bool dropFiles(HWND window, const std::vector<std::string>& paths);
    // Shows a tabbed sheet's page with a click on its tab.
    static void clickTab(HWND sheet, int index);
    // Clicks a radio button or check box on its mark (a click beside its
    // text would miss it).
    static void clickMark(HWND button);
    // Moves the pointer over a window (no button held).
    static void hover(HWND window);

    // What the shell was asked to open (PLATFORM_SHELL_OPEN_LOG).
    std::vector<std::string> shellOpened() const;
    // The source folder of the test's files, and a photo or text file in it.
    std::string source(const std::string& name) const { return galleon.path("source/" + name); }
    std::string makePhoto(const std::string& name, int w = 800, int h = 600) const;
    std::string makeText(const std::string& name) const;

    std::string collections() const { return galleon.path("Collections/"); }
    INT_PTR wizardResult = -1;

    // What the file dialog showed when it opened.
    std::string dialogDirectory;
    std::vector<std::string> dialogFilters;
    std::string openLog;
};

}  // namespace wizardtest
