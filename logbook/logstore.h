// The log file store: keeps every record received in an append-only log file
// (layout in logframe.h), rotates it when it would pass its size limit (one
// older generation, "<path>.1", is kept), and answers per-source queries from
// an index of frame offsets per source, built when the store opens and
// extended with every record appended.
#ifndef LOGBOOK_LOGSTORE_H
#define LOGBOOK_LOGSTORE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Size limit of one log file generation, in bytes.
#define LOGSTORE_DEFAULT_MAX_SIZE (8u * 1024 * 1024)
#define LOGSTORE_MIN_MAX_SIZE (16u * 1024)

struct LogstoreEntry {
    int level;
    std::string stamp;
    std::string source;
    std::string text;
};

// Opens (or creates) the log file at path, indexes it and its older
// generation, and cuts off a damaged tail so that appends follow the last
// sound record. A file that is not a log file is moved aside to "<path>.bad".
// maxSize below the minimum is raised to it. 0; -1 already open; -2 bad
// argument; -3 the file cannot be opened or created.
int logstoreOpen(const char *path, uint64_t maxSize);

// Appends one record as received from the mailslot, rotating first when the
// file would pass its limit. 0; -1 not open; -2 not a sound record; -3 the
// write failed (nothing of the record stays in the file).
int logstoreAppend(const unsigned char *record, std::size_t size);

// Changes the size limit (from the next append on). 0 or -1.
int logstoreSetMaxSize(uint64_t maxSize);

// The records of one source (exact name) whose level is at most maxLevel,
// newest first, at most limit of them (0: all). Count, or -1 not open,
// -2 bad argument.
int logstoreQuery(const char *source, int maxLevel, std::size_t limit, std::vector<LogstoreEntry> *out);

// The records of one source that arrived after the first *seen of them (its
// records counted since the store opened), newest first, level at most
// maxLevel; *seen becomes the source's count. With *seen 0, every record
// kept. Count, or -1 not open, -2 bad argument.
int logstoreQuerySince(const char *source, int maxLevel, uint64_t *seen, std::vector<LogstoreEntry> *out);

// Records indexed in both generations; damaged regions skipped while opening.
uint64_t logstoreCount();
uint64_t logstoreSkipped();

// Closes the files and forgets the index. 0 or -1.
int logstoreClose();

// Is the store open?
bool logstoreIsOpen();

#endif
