// Helpers of the logbook tests: records laid out as the log client sends
// them, a temporary directory, and reading a whole log file back.
#ifndef TESTS_LOGBOOK_RECORDS_H
#define TESTS_LOGBOOK_RECORDS_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "logfollow.h"
#include "logframe.h"
#include "zellog.h"

namespace logtest {

inline std::vector<unsigned char> record(int level, const std::string &source, const std::string &text,
                                         const std::string &stamp = "07/12/2026 10:00:00.00") {
    std::vector<unsigned char> bytes(ZELLOG_MIN_RECORD + text.size(), 0);
    int32_t stored = level;
    std::memcpy(bytes.data(), &stored, sizeof stored);
    std::memcpy(bytes.data() + ZELLOG_STAMP_OFFSET, stamp.data(), std::min<std::size_t>(stamp.size(), 23));
    std::memcpy(bytes.data() + ZELLOG_SOURCE_OFFSET, source.data(), std::min<std::size_t>(source.size(), 15));
    std::memcpy(bytes.data() + ZELLOG_TEXT_OFFSET, text.data(), text.size());
    return bytes;
}

struct Read {
    std::string source;
    std::string text;
    int level;
};

inline bool collect(const unsigned char *record, std::size_t, void *context) {
    static_cast<std::vector<Read> *>(context)->push_back(
        {logframeSource(record), logframeText(record), logframeLevel(record)});
    return true;
}

// Every record of a log file and its older generation, in stored order.
inline std::vector<Read> readLog(const std::string &path, int *rc = nullptr) {
    std::vector<Read> out;
    int result = logfollowRun(path.c_str(), false, -1, collect, &out);
    if (rc) *rc = result;
    return out;
}

inline std::vector<std::string> textsOf(const std::vector<Read> &reads) {
    std::vector<std::string> out;
    for (const Read &r : reads) out.push_back(r.text);
    return out;
}

}  // namespace logtest

#endif
