// The Edit Collection sheet: pages Name, Password, Type and Files on a
// collection record filled from an existing collection.
#pragma once

#include <windows.h>

#include <string>

#include "pages.h"

// Fills the record from the collection name: type from its key (File 2,
// Photo 8, else Mixed 1), reduce quality on, the password of user "system"
// (public when there is none), and the collection's files as publish items
// appended to the record's file list.
void editFillRecord(CollectionRecord* record, const char* name);

// Runs the sheet captioned "Edit Collection..."; true when changes were
// applied (OK, or Apply before closing).
bool editSheetRun(HWND owner, CollectionRecord* record);

// The pages' procedures (their parameter is the record).
INT_PTR CALLBACK editNameProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK editPasswordProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK editTypeProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK editFilesProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);

// The "Size" cell of the Files page: "1.5 KB", "2 KB", "1024  B" and so on
// (the low 32 bits of the size).
std::string editSizeText(unsigned long size);

// Appends every file of Collections/<name> to the list as a publish item.
void editCollectFiles(const char* name, int list);
