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
#include "object.h"
#include "photolog.h"
#include "pwdmod.h"
#include "request.h"
#include "respmod.h"
#include "server.h"
#include "target.h"
#include "varmod.h"

void serverUnregisterSocket(int sock);
void serverConnectionEnded();
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
  char otherMethod[32];  // the method of a request line this server does not know
  bool targetTooLong;    // the request line did not fit its buffer
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

// The first line of a request: true for a method this server knows. For any
// other the method's name is kept for the log.
bool takeRequestLine(int vars, const char* line, RequestState& rq) {
  for (const RequestMethod& method : kMethods) {
    if (!startsWith(line, method.prefix)) continue;
    varmodAddVariable(vars, "REQUEST_METHOD", method.name, 0);
    rq.flags |= method.flag;
    snprintf(rq.target, sizeof rq.target, "%s", line + strlen(method.prefix));
    rq.haveRequestLine = true;
    return true;
  }
  size_t len = strcspn(line, " \t\r\n");
  snprintf(rq.otherMethod, sizeof rq.otherMethod, "%.*s", static_cast<int>(len), line);
  snprintf(rq.target, sizeof rq.target, "%s", line + len + (line[len] == ' ' ? 1 : 0));
  return false;
}

void classifyHeader(int vars, const char* line, RequestState& rq) {
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

// Authentication check of one collection: 1 when the request may proceed
// (checked is set when a right password was given), 0 when it must be
// answered 401.
int passwordAllows(const char* collection, int vars, int flags, bool* checked) {
  if (!collection[0] || !pwdmodResourceHasPassword(collection)) return 1;
  if (!(flags & REQ_BASIC_AUTH)) return 0;
  char password[32] = "";
  if (varmodGetVariable(vars, "AUTH_PASSWORD", password, 31) <= 0 || !password[0]) {
    memset(password, 0, sizeof password);
    if (varmodGetVariable(vars, "AUTH_USER", password, 31) <= 0 || !password[0]) return 0;
  }
  if (pwdmodCheckPassword("system", password, collection) != 1) return 0;
  *checked = true;
  return 1;
}

// Fields of a log record are cut (and marked) so that the record always fits
// whole, ending with status and byte count.
constexpr int kLogUser = 64;
constexpr int kLogRequest = 480;
constexpr int kLogHeader = 150;
constexpr int kLogMethod = 16;

void writeLogRecord(const char* format, const char* peer, const RequestState& rq, int status,
                    unsigned long bytes) {
  if (!g_config.accessLogging) return;
  char user[kLogUser + 1], text[kLogRequest + 1], referer[kLogHeader + 1], agent[kLogHeader + 1];
  char method[kLogMethod + 1];
  if ((rq.flags & REQ_BASIC_AUTH) && rq.user[0]) logmodEscape(rq.user, user, sizeof user);
  else strcpy(user, "-");
  char raw[kLine];
  copyToLineEnd(rq.logTarget, raw, sizeof raw);
  logmodEscape(raw, text, sizeof text);
  if (rq.flags & REQ_GET) strcpy(method, "GET");
  else if (rq.flags & REQ_POST) strcpy(method, "POST");
  else if (rq.flags & REQ_HEAD || !rq.otherMethod[0]) strcpy(method, "HEAD");
  else logmodEscape(rq.otherMethod, method, sizeof method);
  if (format == nullptr) {
    logmodWrite(LOGMOD_FORMAT_SHORT, peer, user, method, text, status, bytes);
  } else {
    logmodEscape(rq.referer, referer, sizeof referer);
    logmodEscape(rq.agent, agent, sizeof agent);
    logmodWrite(LOGMOD_FORMAT_LONG, peer, user, method, text, status, bytes, referer, agent);
  }
}

// Sends an error page; the page bytes count as content sent (none for HEAD).
int sendError(HttpRequest& req, int status) {
  int body = respmodSendError(req.slot, status, req.flags, req.timeout, req.max, nullptr);
  req.bytesOut = body > 0 && !(req.flags & REQ_HEAD) ? static_cast<unsigned long>(body) : 0;
  return status;
}

// Answers one resolved request; returns its status. The password checks sit
// on the resolved target: the collection the path names, and the collection
// that holds the object once links are followed.
int answer(HttpRequest& req, RequestState& rq, const ResolvedTarget& rt, TargetObject& object) {
  bool namesFile = rt.kind != TARGET_CII && rt.kind != TARGET_CIP;
  bool checked = false;
  if (namesFile) {
    if (!httpPasswordGate(&req, rt.collection, &checked)) return 401;
    if (object.fd >= 0 && strcasecmp(object.realCollection, rt.collection) != 0 &&
        !httpPasswordGate(&req, object.realCollection, &checked))
      return 401;
  }
  // Only a right password clears a host's failures.
  fwmodHostAccessReport(req.peer, checked ? FWMOD_OUTCOME_SUCCESS : FWMOD_OUTCOME_SEEN);
  if (rt.kind != TARGET_PLAIN) {
    int status = imageAnswer ? imageAnswer(&req) : 500;
    return status == 500 ? sendError(req, 500) : status;
  }
  if (object.file) {
    if (!(req.flags & REQ_IF_MODIFIED) || strstr(rt.fsPath, "::") ||
        respmodIfModifiedSinceTime(object.st.st_mtime, rq.ifModified))
      // The content type follows the name that was asked for.
      return sendFileOpen(req.slot, object.release(), rt.fsPath, req.flags, req.timeout, req.max, &req.bytesOut);
    return sendError(req, 304);
  }
  if (object.directory) {
    if (!listingAnswer || listingAnswer(&req) < 0) return sendError(req, 500);
    return 200;
  }
  return sendError(req, 404);
}

// The "list" cookie: only a view name, on the request's own path made safe.
void setViewCookie(int slot, int queryList, const ResolvedTarget& rt) {
  if (queryList < 0 || rt.kind != TARGET_PLAIN || !varmodHasVariable(queryList, "set") ||
      !varmodHasVariable(queryList, "list"))
    return;
  char list[256];
  varmodGetVariable(queryList, "list", list, sizeof list - 1);
  list[sizeof list - 1] = 0;
  char path[3 * TARGET_MAX];
  if (!targetIsViewName(list) || targetEscapePath(rt.urlPath, path, sizeof path) < 0) return;
  char cookie[3 * TARGET_MAX + 128];
  snprintf(cookie, sizeof cookie, "list=%s; path=%s; expires=Monday, 31-Dec-2029 23:59:59 GMT;", list, path);
  int set = respmodSetCookie(slot, cookie);
  if (set != 0) photoLog(LOG_CALL_FAILED, "respmodSetCookie() failed with error code %d", set);
}

// The view a folder of a collection opens with when the request names none:
// by the collection's type.
void defaultView(HttpRequest& req, const ResolvedTarget& rt, const TargetObject& object) {
  if (req.queryList >= 0 && varmodHasVariable(req.queryList, "list")) return;
  size_t len = strlen(rt.urlPath);
  if (rt.kind != TARGET_PLAIN || !object.directory || !rt.collection[0] || rt.urlPath[len - 1] != '/') return;
  char type[32];
  if (!configGetCollectionType(rt.collection, type, sizeof type)) return;
  const char* view = strcmp(type, "Photo") == 0 ? "filmstrip" : strcmp(type, "File") == 0 ? "details" : "icons";
  if (req.queryList < 0) req.queryList = varmodCreateList();
  if (req.queryList >= 0) varmodAddVariable(req.queryList, "list", view, 0);
}

// How reading a request head ended.
enum class Head { Complete, Ended, UnknownMethod, TooLarge };

// Reads one request head (request line and header lines) within the time,
// line and size limits.
Head readHead(int slot, int vars, RequestState& rq) {
  char line[kLine];
  bool continuation = false;
  int lines = 0;
  int bytes = 0;
  while (!serverStopRequested()) {
    int n = bufmodReadLine(slot, line, sizeof line);
    if (n < 1) return Head::Ended;
    bytes += n;
    if (bytes > SERVER_MAX_HEAD_BYTES) return Head::TooLarge;
    bool complete = line[n - 1] == '\n' || line[n - 1] == '\r';
    if (continuation) {  // the rest of an over-long line: its start was kept, this is cut
      continuation = !complete;
      if (lines == 0) rq.targetTooLong = true;
      continue;
    }
    continuation = !complete && n == kLine - 1;
    if (strcmp(line, "\r\n") == 0 || strcmp(line, "\n") == 0) {
      if (rq.haveRequestLine) return Head::Complete;
      continue;
    }
    if (!rq.haveRequestLine) {
      if (!takeRequestLine(vars, line, rq)) return Head::UnknownMethod;
      if (continuation) rq.targetTooLong = true;
      continue;
    }
    if (++lines > SERVER_MAX_HEADER_LINES) return Head::TooLarge;
    classifyHeader(vars, line, rq);
  }
  return Head::Complete;  // the stop came first; without a request line this is a 400
}

}  // namespace

void fwmodHostAccessReport(const char* peer, int outcome) {
  int rc = fwmodHostAccess(peer, outcome);
  if (rc != 0) photoLog(LOG_CALL_FAILED, "fwmodHostAccess() returned error code %d", rc);
}

int httpPasswordGate(HttpRequest* req, const char* collection, bool* checked) {
  bool ok = false;
  if (passwordAllows(collection, req->varList, req->flags, &ok)) {
    if (ok && checked) *checked = true;
    return 1;
  }
  fwmodHostAccessReport(req->peer, FWMOD_OUTCOME_FAILURE);
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
    serverConnectionEnded();
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
    serverConnectionEnded();
    return 0;
  }
  int counter = SERVER_MAX_REQUESTS;
  RequestState rq;
  for (;;) {
    // The variables start empty for every request: no header of an earlier
    // request on the same connection can stand in for one this request did not send.
    varmodClearList(vars);
    memset(&rq, 0, sizeof rq);
    // The whole head must arrive within the time-out, and until it has the
    // slot may go to a new client when every slot is taken.
    bufmodAwaitRequest(slot, g_config.timeout);
    Head head = readHead(slot, vars, rq);
    bufmodRequestRead(slot);
    if (head == Head::Ended) break;
    if (g_config.accessLogging) snprintf(rq.logTarget, sizeof rq.logTarget, "%s", rq.target);

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
    if (head != Head::Complete) {
      // A head this server will not read on: answered, then the connection
      // ends (what the client still sends is drained so the answer arrives).
      req.flags &= ~REQ_KEEPALIVE;
      status = sendError(req, head == Head::UnknownMethod ? 501 : 431);
      writeLogRecord("", peer, rq, status, req.bytesOut);
      bufmodDrain(slot, SERVER_DRAIN_BYTES, SERVER_DRAIN_MS);
      break;
    }
    if (!rq.haveRequestLine) {
      status = sendError(req, 400);
      writeLogRecord("", peer, rq, status, req.bytesOut);
    } else if (!fwmodIsHostAllowed(peer)) {
      req.flags = 0;  // the page goes out whole, with "Connection: close"
      sendError(req, 403);
      writeLogRecord(nullptr, peer, rq, 403, req.bytesOut);
      break;
    } else {
      // The request target is the first blank-delimited token; it is read
      // once, here, and every later step uses that one reading.
      char target[kLine];
      const char* t = rq.target;
      while (*t == ' ') t++;
      int n = 0;
      while (t[n] && !strchr(" \t\r\n", t[n]) && n < kLine - 1) {
        target[n] = t[n];
        n++;
      }
      target[n] = 0;
      ResolvedTarget rt;
      int refused = rq.targetTooLong ? 414 : targetResolve(target, g_config.collectionsDir, &rt);
      if (refused) {
        // Nothing was checked, so nothing is counted for the host.
        if (refused == 414) req.flags &= ~REQ_KEEPALIVE;
        status = sendError(req, refused);
        rq.flags = req.flags;
      } else {
        req.queryList = buildQueryList(vars, rq, target);
        req.target = target;
        req.resolved = &rt;
        setViewCookie(slot, req.queryList, rt);
        TargetObject object;
        objectOpen(rt, &object);
        req.object = &object;
        defaultView(req, rt, object);
        status = answer(req, rq, rt, object);
      }
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
  serverConnectionEnded();
  return 0;
}
