// The request being answered, as the connection thread hands it to the
// modules that answer it (files, listings, images).
#pragma once
#include <windows.h>

struct ResolvedTarget;
struct TargetObject;

struct HttpRequest {
  int slot;                    // bufmod slot of the connection
  int flags;                   // REQ_* flags of respmod.h
  int timeout;                 // the Timeout setting (Keep-Alive timeout=)
  int max;                     // requests the connection may still carry (Keep-Alive max=)
  int varList;                 // the connection's request variables (varmod)
  int queryList;               // cookie and query-string variables, or -1
  HMODULE module;              // galleon's own module (built-in resources)
  const char* target;          // request target before '?', as received
  const ResolvedTarget* resolved;  // the one reading of the target (target.h)
  const TargetObject* object;      // what it names, opened once (object.h); never null when answering
  const char* hostName;        // value of the Host header, or ""
  const char* ifModifiedSince; // whole If-Modified-Since line, or ""
  const char* peer;            // client address, dotted
  const char* authUser;        // user part of the Basic credentials, or ""
  unsigned long bytesOut;      // content bytes sent, for the access log
};

// Answers of the listing pages and the image handler. They are defined by the
// modules that build them; while such a module is absent from the build, the
// pointer is null and the request gets the failure answer (500).
int listingAnswer(HttpRequest* req) __attribute__((weak));  // 0, or negative on failure
int imageAnswer(HttpRequest* req) __attribute__((weak));    // status sent, 500 when nothing was written

// Password gate for one collection (a name, "" for the root): 1 when the
// request may proceed, with *checked set when a password was given and
// right; 0 when it was refused, in which case the 401 answer has been sent,
// the failure counted against the host and the host blocked if due. The
// caller then reports status 401 and logs the request as usual.
int httpPasswordGate(HttpRequest* req, const char* collection, bool* checked);

// The collections directory with every link resolved; 1, or 0 when it cannot be.
int httpCollectionsRealPath(char* out, int size);

// 1 when the file-system path, after following symbolic links, lies inside the
// collections directory (or is it); 0 otherwise, also when it does not exist.
int httpPathInsideCollections(const char* path);
// The same for an open file or directory.
int httpDescriptorInsideCollections(int fd);
// Opens a file or directory for reading (non-blocking, close-on-exec) when it
// lies inside the collections directory after following links; -1 otherwise.
int httpOpenInsideCollections(const char* path);
// Forgets the collections directory opened by the function above.
void httpCloseCollectionsRoot();
