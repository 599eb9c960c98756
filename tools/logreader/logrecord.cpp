#include "logrecord.h"

#include <cstdint>
#include <cstring>

#include "zellog.h"

namespace {

int32_t recordLevel(const unsigned char *bytes) {
    int32_t level;
    std::memcpy(&level, bytes, sizeof level);  // little-endian, as on the wire
    return level;
}

std::string boundedField(const unsigned char *bytes, std::size_t offset, std::size_t size) {
    const char *field = reinterpret_cast<const char *>(bytes + offset);
    return std::string(field, strnlen(field, size));
}

}  // namespace

std::string logRecordProblem(const unsigned char *bytes, std::size_t size) {
    if (size < ZELLOG_MIN_RECORD)
        return "shorter than " + std::to_string(ZELLOG_MIN_RECORD) + " bytes";
    const void *nul = std::memchr(bytes + ZELLOG_TEXT_OFFSET, 0, size - ZELLOG_TEXT_OFFSET);
    if (!nul) return "text without its terminating NUL";
    if (static_cast<const unsigned char *>(nul) != bytes + size - 1) return "bytes after the text's NUL";
    int32_t level = recordLevel(bytes);
    if (level < 0 || level > 6) return "level " + std::to_string(level) + " outside 0 to 6";
    return {};
}

std::string logRecordLine(const unsigned char *bytes, std::size_t size) {
    std::string line = boundedField(bytes, ZELLOG_STAMP_OFFSET, ZELLOG_STAMP_SIZE);
    line += " [" + std::to_string(recordLevel(bytes)) + "] ";
    line += boundedField(bytes, ZELLOG_SOURCE_OFFSET, ZELLOG_SOURCE_SIZE);
    line += ": ";
    line += boundedField(bytes, ZELLOG_TEXT_OFFSET, size - ZELLOG_TEXT_OFFSET);
    return line;
}
