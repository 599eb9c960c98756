// Helpers of the Settings page and Edit Collection sheet tests: clicks on
// list rows and header items, popup menus caught while they are open, the
// record of what ShellExecuteA opened, screenshots in screenshots/galleon.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "page_fixture.h"
#include "settings_ids.h"

namespace galleonui {

// Left click, right click and double click on a row of a list view.
void clickRow(HWND list, int row);
void rightClickRow(HWND list, int row);
void doubleClickRow(HWND list, int row);
// A click on a header item of a list view.
void clickHeader(HWND list, int column);
// The header image of a column (HDI_IMAGE), -1 when the column shows none.
int headerImage(HWND list, int column);

// One item of an open popup menu, as the test sees it.
struct MenuItemSeen {
    UINT id = 0;
    std::string text;
    bool separator = false;
    bool grayed = false;
    bool isDefault = false;
    HICON icon = nullptr;        // menumod's normal icon of the item
    HICON activeIcon = nullptr;  // and its active icon
    bool ownerDrawn = false;
};

// Catches the next popup menu that opens on window (through its
// WM_INITMENUPOPUP): while it is open, inspect gets its items and a screenshot
// of it is written as shotName (when not empty); then the item at position
// choose is clicked (-1: the menu is closed with Escape). Call before the
// action that opens the menu; done() tells whether it was seen.
class MenuCatcher {
public:
    MenuCatcher(HWND window, int choose, std::string shotName = "",
                std::function<void(const std::vector<MenuItemSeen>&)> inspect = nullptr);
    ~MenuCatcher();
    bool done() const;
    const std::vector<MenuItemSeen>& items() const;
};

// The icon a page would load for id (16 x 16, shared).
HICON pluginIcon(HMODULE module, int id);

// The lines ShellExecuteA recorded ("verb<TAB>target") since the log was reset.
std::vector<std::string> shellOpened();
void resetShellLog();

// A picture of a window in screenshots/galleon.
void shot(HWND window, const std::string& name);

// Drags the local files onto the window and drops them; true when accepted.
bool dropFiles(HWND window, const std::vector<std::string>& paths);

// A small JPEG photo of w x h pixels written with gd.
void writeJpeg(const std::string& path, int w, int h);

// Runs step once, from whatever loop runs, when a visible top-level window
// with the caption other than exclude shows (the photo editor has the
// caption of the Edit Collection sheet it opens over).
void whenShownBeside(const char* caption, HWND exclude, std::function<void(HWND)> step);
// True while such a step waits.
bool besideStepPending();

// The sheet's current page (PSM_GETCURRENTPAGEHWND).
HWND currentPage(HWND sheet);
// Shows the sheet's page by index with a click on its tab.
void clickTab(HWND sheet, int index);

// "<Month> <day>, <year>" of today: the Recycle Bin's folder of the day.
std::string todayFolder();

// The page tests' start: three collections made on disk and the plug-in.
class SettingsPageTest : public PageTest {
protected:
    // Three collections: Holiday (Photo, two photos and their hidden
    // thumbnails), Docs (File, protected) and Misc (no type key: Mixed, one
    // file beside a subfolder with another).
    void makeCollections(const std::string& photoLines = "") {
        galleon.writeFile("Collections/Holiday/beach.jpg", "jpeg");
        galleon.writeFile("Collections/Holiday/beach.tmb", "thumb");
        SetFileAttributesA(galleon.path("Collections/Holiday/beach.tmb").c_str(), FILE_ATTRIBUTE_HIDDEN);
        galleon.writeFile("Collections/Holiday/sunset.jpg", "jpeg");
        galleon.writeFile("Collections/Docs/report.txt", "text");
        galleon.writeFile("Collections/Misc/notes.txt", "notes");
        galleon.writeFile("Collections/Misc/more/list.txt", "list");
        galleon.writeUserDatabase("Docs", "secret");
        startGalleon("Holiday=Photo\nDocs=File\n" + photoLines);
    }
    HWND list() const { return item(IDC_SET_LIST); }
    int rowOf(const std::string& name) {
        auto r = rows(list());
        for (size_t i = 0; i < r.size(); ++i)
            if (r[i][0] == name) return static_cast<int>(i);
        return -1;
    }
    std::string status() const { return uiinput::text(item(IDC_SET_STATUS)); }
    LPARAM pageRowParamOf(int row) const {
        LVITEMA it{};
        it.mask = LVIF_PARAM;
        it.iItem = row;
        ListView_GetItem(list(), &it);
        return it.lParam;
    }
    // The text colour the page gives a static control (WM_CTLCOLORSTATIC).
    COLORREF colourOf(int id) const {
        HWND control = item(id);
        HDC dc = GetDC(control);
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageA(page_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        COLORREF c = GetTextColor(dc);
        ReleaseDC(control, dc);
        return c;
    }
    COLORREF statusColour() const { return colourOf(IDC_SET_STATUS); }
    HICON statusIcon() const {
        return reinterpret_cast<HICON>(SendMessageA(item(IDC_SET_STATUS_ICON), STM_GETICON, 0, 0));
    }
    bool collectionExists(const std::string& name) const { return std::filesystem::is_directory(galleon.path("Collections/" + name)); }
};

}  // namespace galleonui
