// The pages of the Add Collection wizard and what they share: the record
// behind every page, the page counter, the wizard buttons, the error line,
// headings, help, and the questions one page asks another.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "pages.h"

INT_PTR CALLBACK wizardNamePageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK wizardFilesPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK wizardTypePageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK wizardPreviewPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK wizardPasswordPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK wizardCopyPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK wizardFinishPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);

// PSM_QUERYSIBLINGS question to the Copy Files page: the wizard is being
// cancelled after publishing; the page asks the user and removes what it
// published. Non-zero answer: the user kept the wizard open.
constexpr WPARAM WIZ_QUERY_CANCEL_PUBLISHED = 0x57495A01;

// The fonts of a page, deleted with it: the title at the top of the page
// (larger, bold) and the bold texts (headings, examples, error lines).
class PageFonts {
public:
    PageFonts();
    ~PageFonts();
    PageFonts(const PageFonts&) = delete;
    PageFonts& operator=(const PageFonts&) = delete;
    void title(HWND dlg, int id) const;
    void bold(HWND dlg, int id) const;

private:
    HFONT title_;
    HFONT bold_;
};

// Posted to a page by itself: focus the control whose id is wParam. The
// wizard gives the first control the focus after activating a page, so a
// page that wants another one asks for it afterwards.
constexpr UINT WIZ_FOCUS = WM_APP + 1;
void wizardFocusLater(HWND page, int id);

// The record of a page (from the page's PROPSHEETPAGEA at WM_INITDIALOG).
CollectionRecord* wizardRecordOf(LPARAM initParam);

// The wizard buttons (PSWIZB_* flags) of the sheet holding the page.
void wizardSetButtons(HWND page, DWORD flags);

// The answer to a notification that keeps the wizard on the page: -1 for
// Next and Back, TRUE for Finish, PSNRET_INVALID_NOCHANGEPAGE for Apply.
void wizardStay(HWND page, UINT code);

// Whether the notification leaves the page forward (Next, Finish, Apply).
bool wizardIsForward(UINT code);

// Shows or hides the page's error icon and line (controls 500 and 60).
void wizardShowError(HWND page, const char* text);
void wizardHideError(HWND page);

// What every page answers alike: headings drawn blue (WM_CTLCOLORSTATIC),
// page help (PSN_HELP) and control help (WM_HELP) at the page's base
// context. Returns true when the message was answered (result in *result).
bool wizardCommonMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, DWORD helpBase, INT_PTR* result);

// The text of a control, at most max characters.
std::string wizardText(HWND page, int id, int max = 1023);

// Starts the server as the pages do (status "Starting...", priority above
// normal) and waits up to 3000 ms until it listens or its thread has ended.
// True when it runs.
bool wizardStartServer();
// True while a listener thread runs or is starting.
bool wizardServerAlive();
