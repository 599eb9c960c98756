// The connection thread: reads requests from one client (with keep-alive),
// checks host and password, and hands each request to its answer.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bufmod.h"
#include "config.h"
#include "fwmod.h"
#include "logmod.h"
#include "photolog.h"
#include "pwdmod.h"
#include "request.h"
#include "respmod.h"
#include "server.h"
#include "varmod.h"

void serverUnregisterSocket(int sock);
void fwmodHostAccessReport(const char* peer, int outcome);

namespace {

constexpr int kLine = SERVER_LINE_SIZE;

// Per-request state; it lives on the connection thread's stack.
struct RequestState {
  int flags;
  bool haveRequestLine;
  char target[kLine];     // text after the method: target and protocol version
  char logTarget[kLine];  // copy for the access log, kept only when logging
  char host[256];
  char ifModified[256];
  char referer[1024];
  char agent[1024];
  char credentials[256];
  char user[256];  // user part of the credentials, for the log
};

bool startsWith(const char* line, const char* prefix) { return strncmp(line, prefix, strlen(prefix)) == 0; }
bool startsWithNoCase(const char* line, const char* prefix) {
  return strncasecmp(line, prefix, strlen(prefix)) == 0;
}

// Copies the text up to CR or LF.
void copyToLineEnd(const char* in, char* out, int size) {
  int n = 0;
  while (in[n] && in[n] != '\r' && in[n] != '\n' && n < size - 1) {
    out[n] = in[n];
    n++;
  }
  out[n] = 0;
}

// First token after the colon (blanks skipped; ends at blank, tab, CR or LF).
void tokenAfterColon(const char* line, char* out, int size) {
  const char* p = strchr(line, ':');
  int n = 0;
  if (p) {
    p++;
    while (*p == ' ' || *p == '\t') p++;
    while (*p && !strchr(" \t\r\n", *p) && n < size - 1) out[n++] = *p++;
  }
  out[n] = 0;
}

// Header variables: ALL_RAW, HTTP_<NAME> and ALL_HTTP.
void storeHeaderVariables(int vars, const char* line) {
  varmodAppendVariable(vars, "ALL_RAW", line, 0);
  const char* colon = strchr(line, ':');
  if (!colon || colon == line) return;
  char name[256] = "HTTP_";
  int n = 5;
  for (const char* p = line; p < colon && n < 255; p++)
    name[n++] = *p == '-' ? '_' : static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  name[n] = 0;
  const char* value = colon + 1;
  if (*value == ' ') value++;
  char text[kLine];
  copyToLineEnd(value, text, sizeof text);
  varmodAddVariable(vars, name, text, 0);
  char all[kLine + 300];
  snprintf(all, sizeof all, "%s:%s \n", name, text);
  varmodAppendVariable(vars, "ALL_HTTP", all, 0);
}

// Request lines by method: the prefix that starts the line, the method's name
// and its flag.
struct RequestMethod {
  const char* prefix;
  const char* name;
  int flag;
};
const RequestMethod kMethods[] = {{"GET ", "GET", REQ_GET}, {"HEAD ", "HEAD", REQ_HEAD}, {"POST", "POST", REQ_POST}};

void classifyLine(int vars, const char* line, RequestState& rq) {
  for (const RequestMethod& method : kMethods) {
    if (!startsWith(line, method.prefix)) continue;
    varmodAddVariable(vars, "REQUEST_METHOD", method.name, 0);
    rq.flags |= method.flag;
    snprintf(rq.target, sizeof rq.target, "%s", line + strlen(method.prefix));
    rq.haveRequestLine = true;
    return;
  }
  storeHeaderVariables(vars, line);
  char token[256];
  if (startsWithNoCase(line, "Connection:")) {
    tokenAfterColon(line, token, sizeof token);
    if (strcasecmp(token, "Keep-Alive") == 0) rq.flags |= REQ_KEEPALIVE;
    else if (strcasecmp(token, "Close") == 0) rq.flags &= ~REQ_KEEPALIVE;
  } else if (startsWithNoCase(line, "Content-type: ")) {
    tokenAfterColon(line, token, sizeof token);
    varmodAddVariable(vars, "CONTENT_TYPE", token, 0);
  } else if (startsWithNoCase(line, "Content-length:")) {
    tokenAfterColon(line, token, sizeof token);
    varmodAddVariable(vars, "CONTENT_LENGTH", token, 0);
  } else if (startsWithNoCase(line, "If-Modified-Since:")) {
    rq.flags |= REQ_IF_MODIFIED;
    copyToLineEnd(line, rq.ifModified, sizeof rq.ifModified);
  } else if (startsWithNoCase(line, "Host:")) {
    tokenAfterColon(line, rq.host, sizeof rq.host);
  } else if (startsWithNoCase(line, "Referer:") || startsWithNoCase(line, "User-Agent:")) {
    char* dest = startsWithNoCase(line, "Referer:") ? rq.referer : rq.agent;
    const char* p = strchr(line, ':') + 1;
    if (*p) p++;
    int n = 0;
    while (p[n] && !strchr("\t\r\n", p[n]) && n < 1023) {
      dest[n] = p[n];
      n++;
    }
    dest[n] = 0;
  } else if (startsWithNoCase(line, "WWW-Authenticate:")) {
    tokenAfterColon(line, token, sizeof token);
    varmodAddVariable(vars, "AUTH_TYPE", token, 0);
  } else if (startsWithNoCase(line, "Authorization:")) {
    const char* p = line + 14;
    while (*p == ' ' || *p == '\t') p++;
    if (strncasecmp(p, "basic", 5) != 0 || (p[5] != ' ' && p[5] != '\t')) return;
    p += 5;
    while (*p == ' ' || *p == '\t') p++;
    char encoded[kLine];
    int n = 0;
    while (*p && !strchr(" \t\r\n", *p) && n < kLine - 1) encoded[n++] = *p++;
    encoded[n] = 0;
    if (n == 0) return;
    rq.flags |= REQ_BASIC_AUTH;
    serverDecodeBase64(encoded, rq.credentials, sizeof rq.credentials);
    size_t userLen = strcspn(rq.credentials, ": ");
    snprintf(rq.user, sizeof rq.user, "%.*s", static_cast<int>(userLen), rq.credentials);
    varmodAddVariable(vars, "AUTH_USER", rq.user, 0);
    char password[256] = "";
    if (rq.credentials[userLen]) copyToLineEnd(rq.credentials + userLen + 1, password, sizeof password);
    varmodAddVariable(vars, "AUTH_PASSWORD", password, 0);
  } else if (startsWithNoCase(line, "Cookie:")) {
    rq.flags |= REQ_COOKIE;
  }
}

// The query list from the cookie and the query string; the target is cut at '?'.
int buildQueryList(int vars, const RequestState& rq, char* target) {
  int query = -1;
  if (rq.flags & REQ_COOKIE) {
    char cookie[1024];
    if (varmodGetVariable(vars, "HTTP_COOKIE", cookie, sizeof cookie - 1) > 0) {
      cookie[sizeof cookie - 1] = 0;
      char form[1024];
      serverCookieToQuery(cookie, form, sizeof form);
      query = varmodParseQuery(form);
      if (query < 0) photoLog(LOG_CALL_FAILED, "varmodParseQuery() returned error code %d", query);
    }
  }
  char* mark = strchr(target, '?');
  if (!mark) return query;
  *mark = 0;
  int fromUrl = varmodParseQuery(mark + 1);
  if (fromUrl < 0) {
    photoLog(LOG_CALL_FAILED, "varmodParseQuery() returned error code %d", fromUrl);
    return query;
  }
  if (query < 0) return fromUrl;
  char name[256], value[1024];
  for (int i = 0;; i++) {
    int len = varmodEnumVariable(fromUrl, i, name, sizeof name, value, sizeof value);
    if (len < 0) break;
    if (len > 0) varmodAddVariable(query, name, value, len);
  }
  varmodDestroyList(fromUrl);
  return query;
}

bool hasControlCharacter(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++)
    if (*p < 0x20 || *p == 0x7f) return true;
  return false;
}

// Authentication check: 1 when the request may proceed, 0 when it must be answered 401.
int passwordAllows(const char* decodedPath, int vars, int flags) {
  const char* p = decodedPath;
  while (*p == '/') p++;
  char collection[512];
  size_t len = strcspn(p, "/");
  if (len == 0) return 1;
  snprintf(collection, sizeof collection, "%.*s", static_cast<int>(len), p);
  if (!pwdmodResourceHasPassword(collection)) return 1;
  if (!(flags & REQ_BASIC_AUTH)) return 0;
  char password[32] = "";
  if (varmodGetVariable(vars, "AUTH_PASSWORD", password, 31) <= 0 || !password[0]) {
    memset(password, 0, sizeof password);
    if (varmodGetVariable(vars, "AUTH_USER", password, 31) <= 0 || !password[0]) return 0;
  }
  return pwdmodCheckPassword("system", password, collection) == 1;
}

void writeLogRecord(const char* format, const char* peer, const RequestState& rq, int status,
                    unsigned long bytes) {
  if (!g_config.accessLogging) return;
  char user[512], text[3 * kLine], referer[3 * 1024], agent[3 * 1024];
  logmodEscape((rq.flags & REQ_BASIC_AUTH) && rq.user[0] ? rq.user : "-", user, sizeof user);
  if (!(rq.flags & REQ_BASIC_AUTH)) strcpy(user, "-");
  char raw[kLine];
  copyToLineEnd(rq.logTarget, raw, sizeof raw);
  logmodEscape(raw, text, sizeof text);
  const char* method = (rq.flags & REQ_GET) ? "GET" : (rq.flags & REQ_POST) ? "POST" : "HEAD";
  if (format == nullptr) {
    logmodWrite(LOGMOD_FORMAT_SHORT, peer, user, method, text, status, bytes);
  } else {
    logmodEscape(rq.referer, referer, sizeof referer);
    logmodEscape(rq.agent, agent, sizeof agent);
    logmodWrite(LOGMOD_FORMAT_LONG, peer, user, method, text, status, bytes, referer, agent);
  }
}

// What a mapped path names, opened once: the descriptor serves the file, its
// status answers If-Modified-Since, and its resolved location must lie
// inside the collections (a symbolic link may point anywhere).
enum class Kind { Missing, File, Directory };
struct Target {
  Kind kind = Kind::Missing;
  int fd = -1;
  struct stat st{};
  ~Target() {
    if (fd >= 0) close(fd);
  }
};
void openTarget(const char* path, Target& t) {
  t.fd = httpOpenInsideCollections(path);
  if (t.fd < 0 || fstat(t.fd, &t.st) != 0) return;
  if (S_ISDIR(t.st.st_mode)) t.kind = Kind::Directory;
  else if (S_ISREG(t.st.st_mode)) t.kind = Kind::File;
}

bool isImageTarget(const char* target) {
  static const char* const kPrefixes[] = {"cip:", "cip%3A", "cid:", "cid%3A", "cib:",
                                          "cib%3A", "cif:", "cif%3A", "cii:", "cii%3A"};
  for (const char* prefix : kPrefixes)
    if (strstr(target, prefix)) return true;
  return false;
}

// Sends an error page; the page bytes count as content sent (none for HEAD).
int sendError(HttpRequest& req, int status) {
  int body = respmodSendError(req.slot, status, req.flags, req.timeout, req.max, nullptr);
  req.bytesOut = body > 0 && !(req.flags & REQ_HEAD) ? static_cast<unsigned long>(body) : 0;
  return status;
}

// Answers one request; returns its status.
int answer(HttpRequest& req, RequestState& rq, const char* decodedPath, const char* mappedPath) {
  if (!httpPasswordGate(&req, decodedPath)) return 401;
  // An image request is checked again by the image handler against the
  // collection of its image path, which reports the outcome.
  if (!isImageTarget(req.target)) fwmodHostAccessReport(req.peer, 1);
  if (strstr(mappedPath, "..")) return sendError(req, 400);
  Target target;
  openTarget(mappedPath, target);
  Kind kind = target.kind;
  if (kind == Kind::File) {
    if (!(req.flags & REQ_IF_MODIFIED) || strstr(mappedPath, "::") ||
        respmodIfModifiedSinceTime(target.st.st_mtime, rq.ifModified)) {
      int fd = target.fd;
      target.fd = -1;  // sendFileOpen closes it
      return sendFileOpen(req.slot, fd, mappedPath, req.flags, req.timeout, req.max, &req.bytesOut);
    }
    return sendError(req, 304);
  }
  if (isImageTarget(req.target)) {
    int status = imageAnswer ? imageAnswer(&req) : 500;
    return status == 500 ? sendError(req, 500) : status;
  }
  if (kind == Kind::Directory) {
    if (!listingAnswer || listingAnswer(&req) < 0) return sendError(req, 500);
    return 200;
  }
  return sendError(req, 404);
}

}  // namespace

void fwmodHostAccessReport(const char* peer, int outcome) {
  int rc = fwmodHostAccess(peer, outcome);
  if (rc != 0) photoLog(LOG_CALL_FAILED, "fwmodHostAccess() returned error code %d", rc);
}

int httpPasswordGate(HttpRequest* req, const char* decodedPath) {
  if (passwordAllows(decodedPath, req->varList, req->flags)) return 1;
  fwmodHostAccessReport(req->peer, 0);
  sendError(*req, 401);
  if (g_config.autoReject && fwmodGetPolicy() == FWMOD_ALLOW_ALL_EXCEPT &&
      fwmodGetFailureCount(req->peer) >= FWMOD_LOCKOUT_THRESHOLD) {
    int rc = fwmodAddTarget(req->peer);
    if (rc == 0)
      photoLog(LOG_CALL_FAILED, "Host %s has been blocked due to excessive password failures", req->peer);
    else
      photoLog(LOG_CALL_FAILED, "fwmodAddTarget() returned error code %d", rc);
  }
  return 0;
}

DWORD WINAPI serverConnectionThread(LPVOID param) {
  int sock = static_cast<int>(reinterpret_cast<intptr_t>(param));
  char peer[32] = "0.0.0.0";
  sockaddr_in addr{};
  socklen_t addrLen = sizeof addr;
  if (getpeername(sock, reinterpret_cast<sockaddr*>(&addr), &addrLen) == 0)
    inet_ntop(AF_INET, &addr.sin_addr, peer, sizeof peer);

  int slot = bufmodOpen(sock);
  if (slot < 0) {
    serverUnregisterSocket(sock);
    closesocket(sock);
    photoLog(LOG_CALL_FAILED, "bufmodOpen() returned error code %d", slot);
    return 0;
  }
  char value[32];
  snprintf(value, sizeof value, "%d", g_config.timeout);
  int rc;
  if ((rc = bufmodSetOption(slot, BUFMOD_OPT_LINGER, value)) < 0 ||
      (rc = bufmodSetOption(slot, BUFMOD_OPT_READ_TIMEOUT, value)) < 0 ||
      (rc = bufmodSetOption(slot, BUFMOD_OPT_SOCKET_BUFFERS, "131072")) < 0)
    photoLog(LOG_CALL_FAILED, "bufmodSetOption() returned error code %d", rc);

  auto closeConnection = [&]() {
    serverUnregisterSocket(sock);
    int closed = bufmodClose(slot);
    if (closed < 0) photoLog(LOG_CALL_FAILED, "bufmodClose() returned error code %d", closed);
  };

  int vars = varmodCreateList();
  if (vars < 0) {
    photoLog(LOG_CALL_FAILED, "varmodCreateList() returned error code %d", vars);
    closeConnection();
    return 0;
  }
  int counter = SERVER_MAX_REQUESTS;
  RequestState rq;
  char line[kLine];
  for (;;) {
    // The variables start empty for every request: no header of an earlier
    // request on the same connection can stand in for one this request did not send.
    varmodClearList(vars);
    memset(&rq, 0, sizeof rq);
    bool continuation = false;
    bool ended = false;
    while (!serverStopRequested()) {
      int n = bufmodReadLine(slot, line, sizeof line);
      if (n < 1) {
        ended = true;
        break;
      }
      bool complete = line[n - 1] == '\n' || line[n - 1] == '\r';
      if (continuation) {  // the rest of an over-long line: its start was kept, this is cut
        continuation = !complete;
        continue;
      }
      continuation = !complete && n == kLine - 1;
      if (strcmp(line, "\r\n") == 0 || strcmp(line, "\n") == 0) {
        if (rq.haveRequestLine) break;
        continue;
      }
      classifyLine(vars, line, rq);
    }
    if (ended) break;
    if (rq.haveRequestLine && g_config.accessLogging) snprintf(rq.logTarget, sizeof rq.logTarget, "%s", rq.target);

    if (counter == 1) rq.flags &= ~REQ_KEEPALIVE;
    // A POST body is not read: on a kept-alive connection its bytes would be
    // taken for the next request, so such a connection ends with this answer.
    if (rq.flags & REQ_POST) {
      char length[32] = "";
      varmodGetVariable(vars, "CONTENT_LENGTH", length, sizeof length - 1);
      if (strcmp(length, "0") != 0) rq.flags &= ~REQ_KEEPALIVE;
    }
    HttpRequest req{};
    req.slot = slot;
    req.flags = rq.flags;
    req.timeout = g_config.timeout;
    req.max = counter - 1;
    req.varList = vars;
    req.queryList = -1;
    req.module = g_galleonModule;
    req.hostName = rq.host;
    req.ifModifiedSince = rq.ifModified;
    req.peer = peer;
    req.authUser = rq.user;
    int status;
    if (!rq.haveRequestLine) {
      status = sendError(req, 400);
      writeLogRecord("", peer, rq, status, req.bytesOut);
    } else if (!fwmodIsHostAllowed(peer)) {
      req.flags = 0;  // the page goes out whole, with "Connection: close"
      sendError(req, 403);
      writeLogRecord(nullptr, peer, rq, 403, req.bytesOut);
      break;
    } else {
      // The request target is the first blank-delimited token.
      char target[kLine];
      const char* t = rq.target;
      while (*t == ' ') t++;
      int n = 0;
      while (t[n] && !strchr(" \t\r\n", t[n]) && n < kLine - 1) {
        target[n] = t[n];
        n++;
      }
      target[n] = 0;
      req.queryList = buildQueryList(vars, rq, target);
      req.target = target;
      if (req.queryList >= 0 && varmodHasVariable(req.queryList, "set") && varmodHasVariable(req.queryList, "list")) {
        char list[256];
        varmodGetVariable(req.queryList, "list", list, sizeof list - 1);
        list[sizeof list - 1] = 0;
        // A value that could break the header line sets no cookie.
        if (!hasControlCharacter(list) && !hasControlCharacter(target)) {
          char cookie[2400];
          snprintf(cookie, sizeof cookie, "list=%s; path=%s; expires=Monday, 31-Dec-2029 23:59:59 GMT;", list,
                   target);
          int set = respmodSetCookie(slot, cookie);
          if (set != 0) photoLog(LOG_CALL_FAILED, "respmodSetCookie() failed with error code %d", set);
        }
      }
      char decoded[kLine];
      snprintf(decoded, sizeof decoded, "%s", target);
      char mapped[MAX_PATH];
      serverMapPath(decoded, mapped, sizeof mapped);
      if (req.queryList < 0 || !varmodHasVariable(req.queryList, "list")) {
        char collection[256], type[32];
        if (serverCollectionOfPath(mapped, collection, sizeof collection) &&
            configGetCollectionType(collection, type, sizeof type)) {
          const char* view = strcmp(type, "Photo") == 0 ? "filmstrip" : strcmp(type, "File") == 0 ? "details" : "icons";
          if (req.queryList < 0) req.queryList = varmodCreateList();
          if (req.queryList >= 0) varmodAddVariable(req.queryList, "list", view, 0);
        }
      }
      status = answer(req, rq, decoded, mapped);
      writeLogRecord("", peer, rq, status, req.bytesOut);
      if (req.queryList >= 0) {
        int destroyed = varmodDestroyList(req.queryList);
        if (destroyed != 0) photoLog(LOG_CALL_FAILED, "varmodDestroyList() returned error code %d", destroyed);
      }
    }
    respmodSetCookie(slot, nullptr);
    if (status != 401 && status != 400) counter--;
    if (!(rq.flags & REQ_KEEPALIVE)) break;
  }
  varmodDestroyList(vars);
  closeConnection();
  return 0;
}
