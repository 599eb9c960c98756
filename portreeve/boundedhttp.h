// One HTTP exchange with a device, bounded in every way a device could
// stretch it: one address and port only, no redirects, no proxy, plain
// "http" only, capped headers and body, and a deadline.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "upnpurl.h"

struct HttpRequest {
    UpnpUrl url;                      // the only address and port a connection may go to
    const std::string *body = nullptr;  // POST this body when set, else GET
    std::vector<std::string> headers;
    size_t maxBody = 0;
    std::chrono::steady_clock::time_point deadline;
    const std::atomic<bool> *cancel = nullptr;  // ends the exchange when it becomes true
};

struct HttpAnswer {
    long status = 0;
    std::string body;
};

enum HttpResult {
    HTTP_DONE = 0,            // an answer arrived whole (any status)
    HTTP_UNREACHABLE = -1,    // no connection, or the device closed it early
    HTTP_TIMED_OUT = -2,      // the deadline passed
    HTTP_TOO_LARGE = -3,      // the body is over its limit
    HTTP_HEADERS_TOO_LARGE = -4,
    HTTP_REFUSED = -5,        // a connection to another address was refused
    HTTP_CANCELLED = -6,
    HTTP_BROKEN = -7,         // not HTTP, bad chunking and the like
};

int httpExchange(const HttpRequest &request, HttpAnswer *answer);

// Words for the log ("no answer in time").
const char *httpReason(int result);
