// What the photo plug-in's pages, sheets and wizard offer one another and the
// entry points. Each group is defined in its own files of this folder:
// the Settings page and the Edit Collection sheet (settings*.cpp, edit*.cpp),
// the Options, Security and Log pages with the transaction log window
// (options*.cpp, security*.cpp, logpage*.cpp, translog*.cpp, modwin*.cpp),
// and the Add Collection wizard with the photo editor (wizard*.cpp).
#pragma once

#include <windows.h>

#include "zelext.h"

// The collection being created or edited: shared by the pages of the wizard
// and of the Edit Collection sheet; the caller owns it and its file list.
struct CollectionRecord {
    char name[64];
    char password[32];
    int fileList;     // list-module list of PublishItem records
    int pageCounter;  // + 1 when a page is left forward, - 1 backward
    int type;         // STORE_TYPE_PHOTO 8, STORE_TYPE_FILE 2, STORE_TYPE_MIXED 1
    int reduceQuality;
    int isPublic;     // no password is required
};

// ---- Settings page and Edit Collection sheet ----

ZELEXT_EXPORT INT_PTR CALLBACK zelextSettingsProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
// The Settings page's window while it exists, else null.
HWND settingsPageWindow();
// The Finish page started the server: the page shows the Start radio.
void settingsPageServerStarted();

// ---- Options, Security and Log pages, the Advanced sheet ----

ZELEXT_EXPORT INT_PTR CALLBACK zelextOptionsProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
ZELEXT_EXPORT INT_PTR CALLBACK zelextSecurityProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
ZELEXT_EXPORT INT_PTR CALLBACK zelextLogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
// The modal "Advanced..." sheet with the Options, Security and Log pages.
INT_PTR advancedSheetRun(HWND owner);
// Window layout module of the transaction log window; started and stopped
// by the plug-in's initialisation and shutdown.
int modwinInit();
int modwinShutdown();
// Destroys the transaction log window if it is open and forgets it
// (initialisation, and shutdown, before the plug-in's code goes).
void transactionLogClose();

// ---- Add Collection wizard and the photo editor ----

// The seven-page wizard on an empty record; 1 when it ended with Finish.
INT_PTR wizardRunNew(HWND owner, CollectionRecord* record);
// The four last pages on an existing collection (the Files page's
// "A&dd..."); 1 when it ended with Finish.
INT_PTR wizardRunAddFiles(HWND owner, CollectionRecord* record);
// The photo editor (the Preview page as a dialog) on a list of publish
// items; 1 after OK.
INT_PTR wizardPhotoEditor(HWND owner, int itemList);
