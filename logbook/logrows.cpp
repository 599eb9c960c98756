#include "logrows.h"

#include "logstore.h"

namespace {

// Icon ids in the order the pages load them (image indexes 3 to 9).
constexpr int ICONS[LOGROWS_KINDS] = {106, 111, 108, 110, 109, 112, 107};

}  // namespace

std::string logrowsOneLine(std::string text) {
    for (char &c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return text;
}

int logrowsImage(int level) {
    return LOGROWS_FIRST_IMAGE + (level >= 0 && level < LOGROWS_KINDS ? level : 0);
}

int logrowsIcon(int level) { return ICONS[logrowsImage(level) - LOGROWS_FIRST_IMAGE]; }

int logrowsBuild(const char *source, int number, std::vector<LogRow> *rows) {
    if (!source || !rows || number < 0) return -2;
    std::vector<LogstoreEntry> entries;
    int rc = logstoreQuery(source, number, 0, &entries);
    if (rc < 0) return rc;
    rows->clear();
    rows->reserve(entries.size());
    for (LogstoreEntry &entry : entries)
        rows->push_back({std::move(entry.stamp), logrowsOneLine(std::move(entry.text)), logrowsImage(entry.level)});
    return static_cast<int>(rows->size());
}
