// The settings window: dialog 10 of the program, a tree of categories and
// pages on the left, the selected page (or a category's list) on the right.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "lvsort.h"

#define SETTINGS_TEXT_SIZE 64

// One tree entry (kept in a list of the list module; the tree item's
// parameter is the record's item id).
struct PageRecord {
    char text[SETTINGS_TEXT_SIZE];
    HTREEITEM parent;
    HTREEITEM item;
    HWND window;  // the page, null until first selected
    int tab;      // master item number, -1 for a category entry
    int image;
};

struct SettingsWindow {
    HWND window = nullptr;
    HWND tree = nullptr;
    HWND frame = nullptr;
    HWND list = nullptr;
    HFONT titleFont = nullptr;
    HFONT sloganFont = nullptr;
    HIMAGELIST images = nullptr;
    int records = -1;  // list of PageRecord
    int menu = -1;     // menuhost menu id
    bool menuHost = false;
    int requestedPage = 0;
    int selected = -1;  // record id of the selected entry
    WNDPROC frameProc = nullptr;
    LvSortContext listSort{};
};

SettingsWindow &settingsWindow();

// Shows the window modally; n >= 1 selects the page with global page number
// n - 1. 1 when closed with OK, else 0.
INT_PTR settingsRunWindow(HWND owner, int requestedPage);

// Page protocol. Sends PSN_APPLY (value ok) to every created page in list
// order: true when none refused.
bool settingsApplyPages(bool ok);
// Selects the entry of a record (tree selection, showing its page).
void settingsSelectRecord(int record);
// Shows the entry's page or category list (TVN_SELCHANGED).
void settingsShowRecord(int record);
// Presses a button of the window as the page messages ask.
void settingsPressButton(int id);
// Subclasses the page frame so that it handles the PSM_* messages.
void settingsSubclassFrame(HWND frame);
// Reads a record; false when it is gone.
bool settingsGetRecord(int id, PageRecord &record);

// The host's two pages.
INT_PTR CALLBACK hostSettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
