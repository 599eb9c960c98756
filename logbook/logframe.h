// The log file's layout, shared by the plug-in that writes it and by the
// readers (logreader, the queries of the log pages).
//
// A log file starts with the 8 bytes "ZLOGBK1\n" and holds one frame per
// record, in the order the records arrived:
//   0  size of the record, uint32 little-endian
//   4  CRC-32 of the record bytes, uint32 little-endian
//   8  the record exactly as it came off the log mailslot (45 + n bytes)
// A frame cut short or one whose size or checksum does not hold marks damage;
// readers skip to the next sound frame.
#ifndef LOGBOOK_LOGFRAME_H
#define LOGBOOK_LOGFRAME_H

#include <cstddef>
#include <cstdint>
#include <string>

#define LOGFRAME_MAGIC "ZLOGBK1\n"
#define LOGFRAME_MAGIC_SIZE 8
#define LOGFRAME_HEADER_SIZE 8
// Records larger than this are refused: the log client sends at most 5164.
#define LOGFRAME_MAX_RECORD 65536

enum LogframeStatus {
    LOGFRAME_OK = 0,
    LOGFRAME_INCOMPLETE = 1,  // the bytes end inside the frame
    LOGFRAME_DAMAGED = 2,     // the frame cannot be sound
};

// A record as the log client sends it: at least 45 bytes, level 0 to 6,
// the text's NUL as its last byte and nowhere before.
bool logframeRecordSound(const unsigned char *record, std::size_t size);

// Writes the frame header of a record into header[LOGFRAME_HEADER_SIZE].
void logframeHeader(const unsigned char *record, std::size_t size, unsigned char *header);

// Examines the frame at bytes[0..available). On LOGFRAME_OK, *recordSize is
// the record's size (the frame is LOGFRAME_HEADER_SIZE + *recordSize bytes).
LogframeStatus logframeParse(const unsigned char *bytes, std::size_t available, std::size_t *recordSize);

// The offset of the first sound frame at or after `from`, or `available`
// when there is none among the bytes at hand.
std::size_t logframeResync(const unsigned char *bytes, std::size_t available, std::size_t from);

// Fields of a sound record.
int logframeLevel(const unsigned char *record);
std::string logframeStamp(const unsigned char *record);
std::string logframeSource(const unsigned char *record);
const char *logframeText(const unsigned char *record);  // NUL-terminated inside the record

#endif
