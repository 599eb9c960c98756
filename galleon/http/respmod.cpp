// Status lines, common headers and error pages.
#include "respmod.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>

#include "bufmod.h"

namespace {

struct StatusEntry {
  int code;
  const char* reason;
  const char* message;
};

const StatusEntry kStatuses[] = {
    {200, "OK", ""},
    {204, "No Content", ""},
    {301, "Moved Permanently", ""},
    {302, "Moved Temporarily", ""},
    {304, "Not Modified", ""},
    {400, "Bad Request", "Your browser sent a request that this server could not understand."},
    {401, "Authorization Required",
     "This server could not verify that you are authorized to access the document requested."},
    {403, "Forbidden", "You are not authorized to access this resource."},
    {404, "Not Found", "The resource you were attempting to access does not currently reside on this server."},
    {414, "Request-URI Too Long", "The address you requested is longer than this server accepts."},
    {431, "Request Header Fields Too Large", "Your browser sent more header data than this server accepts."},
    {500, "Internal Server Error", "There was an internal server error in processing your request."},
    {501, "Not Implemented", "The method that you are requesting is not supported by this server."},
};

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr int kAreaSize = 2048;

// Settings are written at start and read by every answer: readers share the lock.
std::shared_mutex g_mutex;
char g_serverVersion[256] = "";
char g_realm[256] = "";
char g_host[256] = "";
// The pending cookie belongs to the request being answered on one slot; each
// connection has its own, so concurrent answers never carry another's cookie.
char g_cookie[BUFMOD_SLOTS][2048];
bool g_cookiePending[BUFMOD_SLOTS];
std::mutex g_cookieLock[BUFMOD_SLOTS];

const StatusEntry* findStatus(int status) {
  for (const StatusEntry& e : kStatuses)
    if (e.code == status) return &e;
  return nullptr;
}

int setText(char* dest, int size, const char* text) {
  if (!text || static_cast<int>(strlen(text)) >= size) return -1;
  std::unique_lock<std::shared_mutex> lock(g_mutex);
  strcpy(dest, text);
  return 0;
}

int getText(const char* src, char* buffer, int size) {
  std::shared_lock<std::shared_mutex> lock(g_mutex);
  snprintf(buffer, size, "%s", src);
  return static_cast<int>(strlen(buffer));
}

// Appends formatted text to the area; the area keeps its NUL and is cut when full.
void append(char* area, int& len, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void append(char* area, int& len, const char* fmt, ...) {
  if (len >= kAreaSize - 1) return;
  va_list args;
  va_start(args, fmt);
  int n = vsnprintf(area + len, kAreaSize - len, fmt, args);
  va_end(args);
  if (n > 0) len = len + n < kAreaSize - 1 ? len + n : kAreaSize - 1;
}

// Takes the slot's pending cookie into the area and clears it.
void appendCookie(char* area, int& len, int slot) {
  if (slot < 0 || slot >= BUFMOD_SLOTS) return;
  std::lock_guard<std::mutex> lock(g_cookieLock[slot]);
  if (!g_cookiePending[slot]) return;
  append(area, len, "Set-Cookie: %s\r\n", g_cookie[slot]);
  g_cookiePending[slot] = false;
}

void appendConnection(char* area, int& len, int flags, int timeout, int max) {
  if (flags & REQ_KEEPALIVE)
    append(area, len, "Keep-Alive: timeout=%d, max=%d\r\nConnection: Keep-Alive\r\n", timeout, max);
  else
    append(area, len, "Connection: close\r\n");
}

}  // namespace

int respmodSetServerVersion(const char* text) { return setText(g_serverVersion, sizeof g_serverVersion, text); }
int respmodSetRealm(const char* text) { return setText(g_realm, sizeof g_realm, text); }
int respmodSetHost(const char* text) { return setText(g_host, sizeof g_host, text); }
int respmodGetHost(char* buffer, int size) { return getText(g_host, buffer, size); }
int respmodGetServerVersion(char* buffer, int size) { return getText(g_serverVersion, buffer, size); }

int respmodSetCookie(int slot, const char* text) {
  if (slot < 0 || slot >= BUFMOD_SLOTS) return -2;
  std::lock_guard<std::mutex> lock(g_cookieLock[slot]);
  if (!text) {
    g_cookiePending[slot] = false;
    return 0;
  }
  if (strlen(text) >= sizeof g_cookie[slot]) return -1;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++)
    if (*p < 0x20 || *p == 0x7f) return -2;  // would split or corrupt the header
  strcpy(g_cookie[slot], text);
  g_cookiePending[slot] = true;
  return 0;
}

const char* respmodReason(int status) {
  const StatusEntry* e = findStatus(status);
  return e ? e->reason : nullptr;
}

int respmodFormatDate(char* text, const time_t* when, long offset) {
  if (!text) return -2;
  time_t t = when ? *when : time(nullptr);
  t += offset;
  struct tm tm{};
  gmtime_r(&t, &tm);
  return snprintf(text, 64, "%s, %.2d %s %d %.2d:%.2d:%.2d GMT", kWeekdays[tm.tm_wday], tm.tm_mday,
                  kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

int respmodSendHeader(int slot, int status, int flags, int timeout, int max) {
  char area[kAreaSize];
  int len = respmodFormatHeader(slot, status, flags, timeout, max, area);
  if (len < 0) return len;
  return bufmodWrite(slot, area, len) == 0 ? 0 : -2;
}

int respmodFormatHeader(int slot, int status, int flags, int timeout, int max, char* area) {
  const StatusEntry* e = findStatus(status);
  if (!e) return -1;
  int len = 0;
  char date[64];
  respmodFormatDate(date, nullptr, 0);
  append(area, len, "HTTP/1.0 %d %s\r\n", e->code, e->reason);
  {
    std::shared_lock<std::shared_mutex> lock(g_mutex);
    append(area, len, "Server: %s\r\n", g_serverVersion);
  }
  append(area, len, "Date: %s\r\n", date);
  appendCookie(area, len, slot);
  appendConnection(area, len, flags, timeout, max);
  return len;
}

int respmodSendError(int slot, int status, int flags, int timeout, int max, const char* extraHeader) {
  const StatusEntry* e = findStatus(status);
  if (!e) return -1;
  char date[64];
  respmodFormatDate(date, nullptr, 0);
  char version[256], host[256], realm[256];
  {
    std::shared_lock<std::shared_mutex> lock(g_mutex);
    strcpy(version, g_serverVersion);
    strcpy(host, g_host);
    strcpy(realm, g_realm);
  }
  char body[kAreaSize];
  int bodyLen = 0;
  body[0] = 0;
  if (status != 304) {
    append(body, bodyLen, "<html>\r\n<head><title>%d %s</title></head>\r\n", e->code, e->reason);
    append(body, bodyLen,
           "<body><font face=\"arial\" size=\"-1\"><h2>%d %s</h2>%s\r\n<br><hr><i>%s (http://%s) on %s</i><br>",
           e->code, e->reason, e->message, version, host, date);
    append(body, bodyLen, "</body>\r\n</html>\r\n");
  }
  char head[kAreaSize];
  int len = 0;
  append(head, len, "HTTP/1.0 %d %s\r\n", e->code, e->reason);
  append(head, len, "Server: %s\r\n", version);
  if (status == 401) append(head, len, "WWW-Authenticate: Basic realm=\"%s\"\r\n", realm);
  append(head, len, "Date: %s\r\n", date);
  appendCookie(head, len, slot);
  append(head, len, "Content-Type: text/html\r\n");
  appendConnection(head, len, flags, timeout, max);
  append(head, len, "Content-Length: %d\r\n", bodyLen);
  if (extraHeader) append(head, len, "%s\r\n", extraHeader);
  append(head, len, "\r\n");
  if (bufmodWrite(slot, head, len) != 0) return -2;
  if (!(flags & REQ_HEAD) && bodyLen > 0 && bufmodWrite(slot, body, bodyLen) != 0) return -2;
  return bodyLen;
}
