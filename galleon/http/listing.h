// The listing answer: a request that maps onto a directory gets its page.
#pragma once

#include "request.h"

// 0 when the page was sent, negative when no page could be made (the caller
// then sends the 500 error page). req->bytesOut gets the page size.
int listingAnswer(HttpRequest* req);
