// The rows the log pages show: one per record of a source, newest first, with
// the date text for column 0, the message for column 1 and the image of the
// record's kind.
//
// The pages' image list holds the three sort marks at indexes 0 to 2 and this
// plug-in's icons 106, 111, 108, 110, 109, 112, 107 at indexes 3 to 9, one per
// record level:
//   level 0 (no level given)               index 3, icon 106, grey dot
//   level 1 (critical)                     index 4, icon 111, dark red octagon
//   level 2 (failure that stops a function) index 5, icon 108, red circle, cross
//   level 3 (error)                        index 6, icon 110, red circle, bar
//   level 4 (warning)                      index 7, icon 109, yellow triangle
//   level 5 (failed call with error code)  index 8, icon 112, orange triangle
//   level 6 (information)                  index 9, icon 107, blue circle, "i"
#ifndef LOGBOOK_LOGROWS_H
#define LOGBOOK_LOGROWS_H

#include <string>
#include <vector>

#define LOGROWS_FIRST_IMAGE 3
#define LOGROWS_KINDS 7

struct LogRow {
    std::string date;
    std::string message;
    int image;
};

// A list-view cell shows one line: line breaks and tabs become blanks.
std::string logrowsOneLine(std::string text);

// The image index of a record level.
int logrowsImage(int level);

// The icon resource id drawn for a record level.
int logrowsIcon(int level);

// The rows of source's records, newest first. number is the most detailed
// level shown (6 shows every record; 2 only levels 0 to 2). Row count, or -1
// when the store is not open, -2 for a null source or rows or a negative
// number.
int logrowsBuild(const char *source, int number, std::vector<LogRow> *rows);

#endif
