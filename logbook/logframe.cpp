#include "logframe.h"

#include <zlib.h>

#include <cstring>

#include "zellog.h"

namespace {

uint32_t readU32(const unsigned char *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void writeU32(unsigned char *p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

uint32_t checksum(const unsigned char *record, std::size_t size) {
    return static_cast<uint32_t>(crc32(0L, record, static_cast<uInt>(size)));
}

}  // namespace

bool logframeRecordSound(const unsigned char *record, std::size_t size) {
    if (!record || size < ZELLOG_MIN_RECORD || size > LOGFRAME_MAX_RECORD) return false;
    if (record[size - 1] != 0) return false;
    if (std::memchr(record + ZELLOG_TEXT_OFFSET, 0, size - 1 - ZELLOG_TEXT_OFFSET)) return false;
    int level = logframeLevel(record);
    return level >= 0 && level <= 6;
}

void logframeHeader(const unsigned char *record, std::size_t size, unsigned char *header) {
    writeU32(header, static_cast<uint32_t>(size));
    writeU32(header + 4, checksum(record, size));
}

LogframeStatus logframeParse(const unsigned char *bytes, std::size_t available, std::size_t *recordSize) {
    if (available < LOGFRAME_HEADER_SIZE) return LOGFRAME_INCOMPLETE;
    uint32_t size = readU32(bytes);
    if (size < ZELLOG_MIN_RECORD || size > LOGFRAME_MAX_RECORD) return LOGFRAME_DAMAGED;
    if (available - LOGFRAME_HEADER_SIZE < size) return LOGFRAME_INCOMPLETE;
    const unsigned char *record = bytes + LOGFRAME_HEADER_SIZE;
    if (readU32(bytes + 4) != checksum(record, size) || !logframeRecordSound(record, size)) return LOGFRAME_DAMAGED;
    *recordSize = size;
    return LOGFRAME_OK;
}

std::size_t logframeResync(const unsigned char *bytes, std::size_t available, std::size_t from) {
    std::size_t size = 0;
    for (std::size_t at = from; at + LOGFRAME_HEADER_SIZE + ZELLOG_MIN_RECORD <= available; ++at) {
        // Cheap tests first: a plausible size whose last record byte is a NUL.
        uint32_t candidate = readU32(bytes + at);
        if (candidate < ZELLOG_MIN_RECORD || candidate > LOGFRAME_MAX_RECORD) continue;
        if (available - at - LOGFRAME_HEADER_SIZE < candidate) continue;
        if (bytes[at + LOGFRAME_HEADER_SIZE + candidate - 1] != 0) continue;
        if (logframeParse(bytes + at, available - at, &size) == LOGFRAME_OK) return at;
    }
    return available;
}

int logframeLevel(const unsigned char *record) {
    int32_t level;
    std::memcpy(&level, record, sizeof level);  // little-endian, as on the wire
    return level;
}

std::string logframeStamp(const unsigned char *record) {
    const char *field = reinterpret_cast<const char *>(record + ZELLOG_STAMP_OFFSET);
    return std::string(field, strnlen(field, ZELLOG_STAMP_SIZE));
}

std::string logframeSource(const unsigned char *record) {
    const char *field = reinterpret_cast<const char *>(record + ZELLOG_SOURCE_OFFSET);
    return std::string(field, strnlen(field, ZELLOG_SOURCE_SIZE));
}

const char *logframeText(const unsigned char *record) {
    return reinterpret_cast<const char *>(record + ZELLOG_TEXT_OFFSET);
}
