#include "photolog.h"

#include <cstdarg>
#include <cstdio>

#include "zellog.h"

void photoLog(int level, const char* format, ...) {
  char text[ZELLOG_TEXT_BUFFER];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  zelextLog("photo", level, "%s", text);
}
