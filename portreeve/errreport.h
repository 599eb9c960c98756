// Error reports of the plug-in: "file(line): ERROR call() returned error code n"
// at level 5, with the reporting source file's name without its directory.
#pragma once
#include <cstring>

#include "zellog.h"

constexpr int LOG_LEVEL_FAILURE = ZELLOG_FAILURE;
constexpr int LOG_LEVEL_ERROR = ZELLOG_ERROR;
constexpr int LOG_LEVEL_INFO = ZELLOG_INFO;

constexpr const char *reportFileName(const char *path) {
    const char *name = path;
    for (const char *p = path; *p; ++p)
        if (*p == '/') name = p + 1;
    return name;
}

#define REPORT_ERROR(source, call, code)                                                       \
    zelextLog(source, LOG_LEVEL_ERROR, "%s(%d): ERROR %s() returned error code %d",            \
              reportFileName(__FILE__), __LINE__, call, (int)(code))
