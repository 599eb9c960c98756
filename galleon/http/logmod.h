// logmod: the access log "galleon.log" in the common and combined formats,
// mirrored into the list box of the log page when one is attached.
#pragma once
#include <windows.h>

// Formats of the connection thread; "%z" is replaced by the date text.
#define LOGMOD_FORMAT_SHORT "%s - %s %z \"%s %s\" %d %lu"
#define LOGMOD_FORMAT_LONG "%s - %s %z \"%s %s\" %d %lu \"%s\" \"%s\""
constexpr int LOGMOD_WINDOW_LINES = 250;

int logmodInit(const char* path, HWND window);
// Shows the last lines of the log in a list box and the new records as they
// are written. The box is only ever changed on its own thread: a record
// written on another thread reaches it through a message posted to it, so a
// writer never waits for the user-interface thread. The box is detached by
// logmodDetachWindow, by the next attachment, and when it is destroyed.
int logmodAttachWindow(HWND window);
int logmodDetachWindow();
// printf rules, after the first "%z" has been replaced by the date text.
int logmodWrite(const char* format, ...);
int logmodClearLog();
int logmodShutdown();
// Date text of a record: "[dd/Mon/yyyy:hh:mm:ss +hhmm]" in local time.
int logmodFormatDate(char* buffer, int size, time_t when);
// Copies text for a quoted log field: '"', '\' and bytes outside printable
// ASCII become "\xhh", so a field can neither end its quotes nor split a record.
// A text that does not fit is cut between two escapes and ends in "...".
void logmodEscape(const char* in, char* out, int size);
// The lines the list box shows (newest last): count, and the line at a position.
int logmodGetShownCount();
int logmodGetShownLine(int position, char* buffer, int size);
