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

// The user-interface layer's calls. They resolve once that layer is in the
// process; before then no window can exist and the mirror is kept here only.
extern "C" LRESULT WINAPI SendMessageA(HWND, UINT, WPARAM, LPARAM) __attribute__((weak));
extern "C" BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) __attribute__((weak));
extern "C" LONG_PTR WINAPI GetWindowLongA(HWND, int) __attribute__((weak));
extern "C" LONG_PTR WINAPI SetWindowLongA(HWND, int, LONG_PTR) __attribute__((weak));
extern "C" LRESULT WINAPI CallWindowProcA(WNDPROC, HWND, UINT, WPARAM, LPARAM) __attribute__((weak));
extern "C" DWORD WINAPI GetWindowThreadProcessId(HWND, LPDWORD) __attribute__((weak));

namespace {

constexpr int kRecordSize = 1024;
constexpr int kFileLineSize = 5120;
constexpr UINT kLbAddString = 0x0180;
constexpr UINT kLbDeleteString = 0x0182;
constexpr UINT kLbResetContent = 0x0184;
constexpr UINT kLbSetCurSel = 0x0186;
constexpr UINT kLbGetCount = 0x018B;
constexpr UINT kNcDestroy = 0x0082;
constexpr int kWndProc = -4;
// Posted to the attached list box (whose procedure this module replaces):
// bring it up to date with the mirror.
constexpr UINT kSyncMessage = 0x8000 + 0x4C0;  // WM_APP + n

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::mutex g_mutex;
bool g_initialised = false;
char g_path[256];

// The mirror: what the list box shows, newest last, and how many lines were
// ever added to it, so the box can tell which of them it still lacks.
std::deque<std::string> g_shown;
unsigned long long g_shownSerial = 0;

// The attached list box. Only its own thread touches it: writers on other
// threads (the connections) post kSyncMessage and never wait for that
// thread, which may itself be waiting for them (a server being stopped) or
// for this module's lock.
HWND g_window = nullptr;
DWORD g_windowThread = 0;
unsigned long long g_boxSerial = 0;  // serial of the newest line the box shows
bool g_boxReset = true;              // the box must be emptied and filled again
bool g_syncPosted = false;
// The list box whose procedure this module replaced, and that procedure.
// It stays replaced (passing everything on) in the rare case that someone
// else replaced it again on top, since the chain cannot be undone then.
HWND g_subclassed = nullptr;
WNDPROC g_boxProc = nullptr;

LRESULT CALLBACK listBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

bool uiPresent() {
  return SendMessageA && PostMessageA && GetWindowLongA && SetWindowLongA && CallWindowProcA && GetWindowThreadProcessId;
}

// A message to the attached box, on its thread: straight to the list box's
// own procedure, past this module's.
LRESULT boxSend(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_subclassed == g_window && g_boxProc) return CallWindowProcA(g_boxProc, g_window, msg, wParam, lParam);
  return SendMessageA(g_window, msg, wParam, lParam);
}

// Brings the list box up to date; on its own thread, under the lock.
void syncWindowLocked() {
  if (!g_window || !uiPresent()) return;
  unsigned long long missing = g_shownSerial - g_boxSerial;
  if (g_boxReset || missing > g_shown.size()) {
    boxSend(kLbResetContent, 0, 0);
    missing = g_shown.size();
    g_boxReset = false;
  }
  for (size_t i = g_shown.size() - static_cast<size_t>(missing); i < g_shown.size(); i++)
    boxSend(kLbAddString, 0, reinterpret_cast<LPARAM>(g_shown[i].c_str()));
  g_boxSerial = g_shownSerial;
  LRESULT count = boxSend(kLbGetCount, 0, 0);
  for (; count > LOGMOD_WINDOW_LINES; count--) boxSend(kLbDeleteString, 0, 0);
  if (count > 0) boxSend(kLbSetCurSel, static_cast<WPARAM>(count - 1), 0);
}

// The mirror changed: the box follows now on its own thread, else soon.
void windowChangedLocked() {
  if (!g_window || !uiPresent()) return;
  if (GetCurrentThreadId() == g_windowThread) {
    syncWindowLocked();
  } else if (!g_syncPosted) {
    g_syncPosted = PostMessageA(g_window, kSyncMessage, 0, 0) != FALSE;
  }
}

void unsubclassLocked() {
  if (!g_subclassed || !uiPresent()) return;
  if (reinterpret_cast<WNDPROC>(GetWindowLongA(g_subclassed, kWndProc)) == listBoxProc) {
    SetWindowLongA(g_subclassed, kWndProc, reinterpret_cast<LONG_PTR>(g_boxProc));
    g_subclassed = nullptr;
    g_boxProc = nullptr;
  }
}

// Nothing is written into the box from now on.
void releaseWindowLocked() {
  if (g_window && g_window == g_subclassed) unsubclassLocked();
  g_window = nullptr;
  g_windowThread = 0;
  g_syncPosted = false;
}

LRESULT CALLBACK listBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    previous = g_boxProc;
    if (hwnd == g_window && msg == kSyncMessage) {
      g_syncPosted = false;
      syncWindowLocked();
      return 0;
    }
    if (hwnd == g_subclassed && msg == kNcDestroy) {
      // The box goes: it is forgotten, and its procedure no longer leads here.
      if (hwnd == g_window) {
        releaseWindowLocked();
        g_shown.clear();
      }
      g_subclassed = nullptr;
      g_boxProc = nullptr;
    }
  }
  return previous ? CallWindowProcA(previous, hwnd, msg, wParam, lParam) : 0;
}

// Attaches a window: from now on the box mirrors the log (on its own thread).
void takeWindowLocked(HWND window) {
  if (window != g_window) releaseWindowLocked();
  g_window = window;
  g_boxReset = true;
  if (!uiPresent()) return;
  g_windowThread = GetWindowThreadProcessId(window, nullptr);
  if (g_subclassed && g_subclassed != window) unsubclassLocked();
  if (!g_subclassed) {
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongA(window, kWndProc));
    if (current && current != listBoxProc) {
      g_subclassed = window;
      g_boxProc = current;
      SetWindowLongA(window, kWndProc, reinterpret_cast<LONG_PTR>(listBoxProc));
    }
  }
}

void showLine(const char* line) {
  g_shown.emplace_back(line);
  if (g_shown.size() > static_cast<size_t>(LOGMOD_WINDOW_LINES)) g_shown.pop_front();
  g_shownSerial++;
}

// Fills the mirror with the last lines of the log file.
void loadShownLines() {
  g_shown.clear();
  g_boxReset = true;
  FILE* f = fopen(g_path, "r");
  if (f) {
    char line[kFileLineSize];
    while (fgets(line, sizeof line, f)) {
      size_t n = strlen(line);
      bool whole = n > 0 && line[n - 1] == '\n';
      while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = 0;
      showLine(line);
      if (!whole) {  // the rest of an over-long line is not a line of its own
        int c;
        while ((c = fgetc(f)) != EOF && c != '\n') {
        }
      }
    }
    fclose(f);
  }
  windowChangedLocked();
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
  g_initialised = true;
  if (window) {
    takeWindowLocked(window);
    loadShownLines();
  }
  return 0;
}

int logmodAttachWindow(HWND window) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  if (!window) return -2;
  takeWindowLocked(window);
  loadShownLines();
  return 0;
}

int logmodDetachWindow() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  releaseWindowLocked();
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
  windowChangedLocked();
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
  g_boxReset = true;
  windowChangedLocked();
  return 0;
}

int logmodShutdown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return -1;
  g_initialised = false;
  releaseWindowLocked();
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
