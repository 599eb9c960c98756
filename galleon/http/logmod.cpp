// Access log: one record per answered request, appended whole under a lock,
// and mirrored into the log page's list box.
#include "logmod.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <unistd.h>

// List-box messages of the user-interface layer. They resolve once that layer
// is in the process; before then no window can exist and the mirror is kept here only.
extern "C" LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM) __attribute__((weak));

namespace {

constexpr int kRecordSize = 1024;
constexpr int kFileLineSize = 5120;
constexpr UINT kLbAddString = 0x0180;
constexpr UINT kLbDeleteString = 0x0182;
constexpr UINT kLbResetContent = 0x0184;
constexpr UINT kLbSetCurSel = 0x0186;
constexpr UINT kLbGetCurSel = 0x0188;
constexpr UINT kLbGetCount = 0x018B;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::mutex g_mutex;
bool g_initialised = false;
char g_path[256];
HWND g_window = nullptr;
std::deque<std::string> g_shown;  // what the list box shows, newest last

void sendToWindow(UINT msg, WPARAM w, LPARAM l) {
  if (g_window && SendMessageA) SendMessageA(g_window, msg, w, l);
}

void showLine(const char* line) {
  if (g_shown.size() >= static_cast<size_t>(LOGMOD_WINDOW_LINES)) {
    g_shown.pop_front();
    if (g_window && SendMessageA) {
      LRESULT sel = SendMessageA(g_window, kLbGetCurSel, 0, 0);
      SendMessageA(g_window, kLbDeleteString, 0, 0);
      if (sel > 0) SendMessageA(g_window, kLbSetCurSel, static_cast<WPARAM>(sel - 1), 0);
    }
  }
  g_shown.emplace_back(line);
  sendToWindow(kLbAddString, 0, reinterpret_cast<LPARAM>(line));
  if (g_window && SendMessageA) {
    LRESULT count = SendMessageA(g_window, kLbGetCount, 0, 0);
    if (count > 0) SendMessageA(g_window, kLbSetCurSel, static_cast<WPARAM>(count - 1), 0);
  }
}

// Fills the mirror with the last lines of the log file.
void loadShownLines() {
  g_shown.clear();
  sendToWindow(kLbResetContent, 0, 0);
  FILE* f = fopen(g_path, "r");
  if (!f) return;
  std::deque<std::string> last;
  char line[kFileLineSize];
  while (fgets(line, sizeof line, f)) {
    size_t n = strlen(line);
    bool whole = n > 0 && line[n - 1] == '\n';
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = 0;
    last.emplace_back(line);
    if (last.size() > static_cast<size_t>(LOGMOD_WINDOW_LINES)) last.pop_front();
    if (!whole) {  // the rest of an over-long line is not a line of its own
      int c;
      while ((c = fgetc(f)) != EOF && c != '\n') {
      }
    }
  }
  fclose(f);
  for (const std::string& l : last) showLine(l.c_str());
}

}  // namespace

int logmodFormatDate(char* buffer, int size, time_t when) {
  struct tm local{};
  localtime_r(&when, &local);
  long offset = local.tm_gmtoff / 60;  // minutes east of UTC, summer time included
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  return snprintf(buffer, size, "[%.2d/%s/%d:%.2d:%.2d:%.2d %c%.2ld%.2ld]", local.tm_mday, kMonths[local.tm_mon],
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, sign, offset / 60, offset % 60);
}

void logmodEscape(const char* in, char* out, int size) {
  if (!out || size < 1) return;
  int n = 0;
  int keep = 0;  // end of the last piece that leaves room for the cut mark
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(in ? in : ""); *p; p++) {
    char piece[5];
    int len;
    if (*p == '"' || *p == '\\' || *p < 0x20 || *p >= 0x7f) {
      len = snprintf(piece, sizeof piece, "\\x%02x", *p);
    } else {
      piece[0] = static_cast<char>(*p);
      len = 1;
    }
    if (n + len > size - 1) {
      // Cut between two pieces, never inside an escape, and say so.
      n = keep;
      int mark = size - 1 - n < 3 ? size - 1 - n : 3;
      memcpy(out + n, "...", mark);
      n += mark;
      break;
    }
    memcpy(out + n, piece, len);
    n += len;
    if (n <= size - 1 - 3) keep = n;
  }
  out[n] = 0;
}

int logmodInit(const char* path, HWND window) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_initialised) return -1;
  if (!path && !window) return -2;
  snprintf(g_path, sizeof g_path, "%s", path ? path : "");
  g_window = window;
  g_initialised = true;
  if (window) loadShownLines();
  return 0;
}

int logmodAttachWindow(HWND window) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  if (!window) return -2;
  g_window = window;
  loadShownLines();
  return 0;
}

int logmodDetachWindow() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  g_window = nullptr;
  g_shown.clear();
  return 0;
}

int logmodWrite(const char* format, ...) {
  if (!format) return -2;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_initialised) return -1;
  }
  char date[64];
  logmodFormatDate(date, sizeof date, time(nullptr));
  std::string fmt;
  if (const char* z = strstr(format, "%z")) {
    fmt.assign(format, z - format);
    for (const char* d = date; *d; d++) {
      if (*d == '%') fmt += '%';
      fmt += *d;
    }
    fmt += z + 2;
  } else {
    fmt = std::string(date) + " " + format;
  }
  char record[kRecordSize + 1];
  va_list args;
  va_start(args, format);
  vsnprintf(record, sizeof record, fmt.c_str(), args);
  va_end(args);

  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  showLine(record);
  FILE* f = fopen(g_path, "a");
  if (!f) return -3;
  size_t n = strlen(record);
  record[n] = '\n';
  fwrite(record, 1, n + 1, f);  // one write per record: records never interleave
  fclose(f);
  return 0;
}

int logmodClearLog() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  unlink(g_path);
  g_shown.clear();
  sendToWindow(kLbResetContent, 0, 0);
  return 0;
}

int logmodShutdown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  g_initialised = false;
  g_window = nullptr;
  g_shown.clear();
  return 0;
}

int logmodGetShownCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return static_cast<int>(g_shown.size());
}

int logmodGetShownLine(int position, char* buffer, int size) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (position < 0 || position >= static_cast<int>(g_shown.size()) || !buffer || size < 1) return -2;
  snprintf(buffer, size, "%s", g_shown[position].c_str());
  return static_cast<int>(strlen(buffer));
}
