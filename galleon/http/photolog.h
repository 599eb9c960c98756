// Diagnostic messages of the photo plug-in, sent through the log client with
// the source name "photo".
#pragma once

enum { LOG_FAILURE = 2, LOG_CALL_FAILED = 5, LOG_INFO = 6 };

void photoLog(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
