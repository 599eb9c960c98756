// Answers for ordinary files and the If-Modified-Since test.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bufmod.h"
#include "photolog.h"
#include "respmod.h"

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kPiece = 32768;  // on the connection thread's stack

// Copies the text up to one of the stop characters into a field; returns the
// position after it.
const char* field(const char* p, const char* stops, char* out, int size) {
  int n = 0;
  while (*p && !strchr(stops, *p)) {
    if (n < size - 1) out[n++] = *p;
    p++;
  }
  out[n] = 0;
  return *p ? p + 1 : p;
}

}  // namespace

int respmodIfModifiedSince(const char* path, const char* headerLine) {
  if (!headerLine || !*headerLine || !path) return 1;
  struct stat st{};
  if (stat(path, &st) != 0) return 1;
  return respmodIfModifiedSinceTime(st.st_mtime, headerLine);
}

// The leading decimal digits of a date field, at most four of them (a
// longer number matches no date); -1 without digits or when too long.
static int dateNumber(const char* text) {
  int v = 0, digits = 0;
  for (; *text >= '0' && *text <= '9'; text++) {
    if (++digits > 4) return -1;
    v = v * 10 + (*text - '0');
  }
  return digits ? v : -1;
}

int respmodIfModifiedSinceTime(time_t mtime, const char* headerLine) {
  if (!headerLine || !*headerLine) return 1;
  struct tm file{};
  gmtime_r(&mtime, &file);

  const char* p = strchr(headerLine, ',');
  if (!p) return 1;
  p++;
  while (*p == ' ' || *p == ',') p++;
  char day[16], month[16], year[16], hours[16], minutes[16], seconds[16];
  p = field(p, "/ -", day, sizeof day);
  p = field(p, "-/ ", month, sizeof month);
  p = field(p, "-/ ", year, sizeof year);
  p = field(p, ":- ", hours, sizeof hours);
  p = field(p, ":- ", minutes, sizeof minutes);
  field(p, ":-", seconds, sizeof seconds);
  int mon = -1;
  for (int i = 0; i < 12; i++)
    if (strcasecmp(month, kMonths[i]) == 0) mon = i;
  int y = dateNumber(year);
  if (y >= 0 && y < 100) y += 1900;
  bool same = mon == file.tm_mon && dateNumber(day) == file.tm_mday && y == file.tm_year + 1900 &&
              dateNumber(hours) == file.tm_hour && dateNumber(minutes) == file.tm_min &&
              dateNumber(seconds) == file.tm_sec;
  return same ? 0 : 1;
}

int sendFile(int slot, const char* path, int flags, int timeout, int max, unsigned long* bytesOut) {
  if (bytesOut) *bytesOut = 0;
  if (!path) {
    photoLog(LOG_FAILURE, "sendFile() had NULL pFile parameter");
    respmodSendError(slot, 500, flags, timeout, max, nullptr);
    return 500;
  }
  return sendFileOpen(slot, open(path, O_RDONLY | O_CLOEXEC), path, flags, timeout, max, bytesOut);
}

int sendFileOpen(int slot, int fd, const char* path, int flags, int timeout, int max, unsigned long* bytesOut) {
  if (bytesOut) *bytesOut = 0;
  if (fd < 0) {
    photoLog(LOG_CALL_FAILED, "File %s does not exist.", path);
    respmodSendError(slot, 500, flags, timeout, max, nullptr);
    return 500;
  }
  char type[256];
  if (respmodContentType(path, type, sizeof type) < 1) strcpy(type, "application/octet-stream");
  struct stat st{};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    respmodSendError(slot, 500, flags, timeout, max, nullptr);
    return 500;
  }
  unsigned long size = static_cast<unsigned long>(st.st_size);
  if (bytesOut) *bytesOut = size;
  char date[64];
  time_t mtime = st.st_mtime;
  respmodFormatDate(date, &mtime, 0);
  // Status line, headers and the first piece of the file leave in one write.
  char buffer[kPiece];
  int n = respmodFormatHeader(slot, 200, flags, timeout, max, buffer);
  n += snprintf(buffer + n, kPiece - n, "Last-modified: %s\r\nContent-Type: %s\r\nContent-Length: %lu\r\n\r\n",
                date, type, size);
  bool body = flags & (REQ_GET | REQ_POST);
  unsigned long left = body ? size : 0;
  for (;;) {
    while (left > 0 && n < kPiece) {
      ssize_t got = read(fd, buffer + n, static_cast<size_t>(kPiece - n) < left ? kPiece - n : left);
      if (got <= 0) {
        // The file shrank while being sent: the answer cannot be completed,
        // so the connection ends rather than carry a short body.
        left = 0;
        bufmodAbort(slot);
        break;
      }
      n += static_cast<int>(got);
      left -= static_cast<unsigned long>(got);
    }
    if (bufmodWrite(slot, buffer, n) != 0 || left == 0) break;
    n = 0;
  }
  close(fd);
  return 200;
}
