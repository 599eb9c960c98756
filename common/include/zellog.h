/* Log client: turns printf-style messages into fixed-layout records and sends
 * them, one record per datagram, to the log mailslot that a separate reader
 * owns. The caller never waits for the reader: while no reader exists, records
 * wait in a queue of at most 128 (the oldest is dropped first) and a writer
 * thread retries every 100 ms. Every deliverable has its own copy.
 *
 * Record on the wire (little-endian), exactly 45 + n bytes:
 *   0  level, int32, 0..6 (anything else is sent as 0)
 *   4  time stamp "dd/mm/yyyy hh:mm:ss.cc", NUL-padded to 24 bytes
 *   28 source name, at most 15 characters, NUL-padded to 16 bytes
 *   44 text of n characters and its NUL */
#ifndef COMMON_ZELLOG_H
#define COMMON_ZELLOG_H

#include <stdint.h>

#define ZELLOG_DEFAULT_SLOT "zellog"
#define ZELLOG_HEADER_SIZE 44
#define ZELLOG_STAMP_OFFSET 4
#define ZELLOG_STAMP_SIZE 24
#define ZELLOG_SOURCE_OFFSET 28
#define ZELLOG_SOURCE_SIZE 16
#define ZELLOG_TEXT_OFFSET 44
#define ZELLOG_MIN_RECORD 45
#define ZELLOG_TEXT_BUFFER 5120
#define MAX_PENDING_RECORDS 128

/* Levels used by the suite's callers. */
#define ZELLOG_FAILURE 2 /* a failure that stops a function */
#define ZELLOG_ERROR 5   /* a failed call reported with its error code */
#define ZELLOG_INFO 6    /* information */

/* Points the client at the mailslot NAME; null: the default "zellog". */
void zelextLogSetSlot(const char *name);

/* Formats and sends one record. 0 (and nothing sent) without a source, else 1,
 * also when the record had to be queued. */
int zelextLog(const char *source, int level, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

/* Stops the writer thread, discards what is still queued and returns to the
 * default mailslot. Returns 1. */
int zelextLogShutdown(void);

/* Writes the time stamp of a record for a local time into field (ZELLOG_STAMP_SIZE
 * bytes, zero-filled by the caller): "dd/mm/yyyy hh:mm:ss.cc", the last two
 * digits hundredths of a second, at most 23 characters. */
void zellogFormatStamp(int year, int month, int day, int hour, int minute, int second, int millisecond,
                       char *field);

/* The mailslot path for a name: "//./mailslot/NAME". */
void zelextLogSlotPath(const char *name, char *path, int size);

#endif
