// Reading a log file as a reader outside the plug-in: every stored record in
// order (the older generation "<path>.1" first), and, when following, each
// record appended later, across rotations. Waits on inotify, never polls.
#ifndef LOGBOOK_LOGFOLLOW_H
#define LOGBOOK_LOGFOLLOW_H

#include <cstddef>

// Receives each record; answers false to stop reading.
typedef bool (*LogfollowSink)(const unsigned char *record, std::size_t size, void *context);

// Reads the log file at path. Without follow it ends at the end of the file;
// with follow it waits for new records and ends when the sink says so or
// when timeoutMs (negative: never) pass without a record. 0 when it ended as
// asked; -2 bad argument or not a log file; -3 the file (without follow) or
// the directory watch cannot be had.
int logfollowRun(const char *path, bool follow, long timeoutMs, LogfollowSink sink, void *context);

#endif
