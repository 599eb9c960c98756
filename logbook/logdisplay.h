// The log pages' lists: logdisplayFill puts one source's records into a list
// view (newest first: date text, message, the image of the record's kind)
// and keeps the list current while its window lives; a timer on the
// user-interface thread adds the records that arrive meanwhile at the top.
#ifndef LOGBOOK_LOGDISPLAY_H
#define LOGBOOK_LOGDISPLAY_H

#include <windows.h>

// How often a shown list looks for new records.
#define LOGDISPLAY_INTERVAL_MS 250

// Fills list with the records of source whose level is at most number.
// Row count; -1 when the store is not open; -2 for a list that is not a
// list view, a null source or a negative number.
int logdisplayFill(HWND list, const char *source, int number);

// Looks for new records now (the timer does this by itself).
void logdisplayRefresh();

// Forgets every list and stops the timer (on the thread that filled them).
void logdisplayShutdown();

// Lists being kept current.
int logdisplayCount();

#endif
