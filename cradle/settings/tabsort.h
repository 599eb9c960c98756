/* tabsort: the tab list of the settings window. The master list holds one
 * record per settings page (plug-in pages in page-number order, then the
 * host's own pages); sections of the configuration file name tabs by their
 * key ("<owner>-<title>") to group and order them. Main thread only.
 *
 * Results: -1 not initialised (tabsortInit: already initialised), -2 bad
 * argument or not found, -4 storage failure, -5 past the end. */
#ifndef CRADLE_TABSORT_H
#define CRADLE_TABSORT_H

#include <windows.h>
#include <prsht.h>

#define TABSORT_KEY_SIZE 64
#define TABSORT_TITLE_SIZE 128
#define TABSORT_MASTER (-1)       /* list argument of tabsortAdd: the master list */
#define TABSORT_SECTION_SIZE 8192 /* bytes read of a section by tabsortLoad */

/* Builds the master list from the loaded plug-ins' pages. */
int tabsortInit(LPCSTR configPath);
/* Adds a record (title from the description, page number -1) to a list made
 * by this module or, with TABSORT_MASTER, to the master list: its item number. */
int tabsortAdd(int list, LPCSTR key, const PROPSHEETPAGEA *page);
/* A new list of the section's lines in file order, up to the first empty one. */
int tabsortLoad(LPCSTR section);
/* The ordered tab list for a list of lines: every master record whose key
 * equals a line (case ignored), line by line, each record once; with flag 0
 * the remaining master records follow in master order. Returns the master
 * item number at position and copies its key (TABSORT_KEY_SIZE bytes) when
 * key is not null; -5 past the end. */
int tabsortGetOrdered(int lines, int position, LPSTR key, int flag);
/* A new list of the keys of master records that no category names, in
 * master order. */
int tabsortGetUncategorised(void);
/* Item number of the master record with this page number; -2 if none. */
int tabsortFindPage(int pageNumber);

int tabsortGetPage(int item, PROPSHEETPAGEA *page);
int tabsortGetTitle(int item, LPSTR buffer, int size);
int tabsortGetKey(int item, LPSTR buffer, int size);
/* Page number (-1 for a host page), or -2 when there is no such item. */
int tabsortGetPageNumber(int item, int *pageNumber);
/* Module of the plug-in that owns the page; null for the host's pages and
 * unknown items. */
HMODULE tabsortGetModule(int item);

/* Frees a list made by this module. */
int tabsortDestroy(int list);
/* Frees the master list and every list still held. */
int tabsortShutdown(void);

/* Lines of a list made by tabsortLoad or tabsortGetUncategorised: the text at
 * position (TABSORT_KEY_SIZE bytes), -5 past the end. */
int tabsortGetLine(int list, int position, LPSTR buffer, int size);

#endif
