// Description downloads: a few fetcher threads take the search answers from a
// bounded queue, at most one per device address at a time, so neither a flood
// of answers nor a device that never answers can hold up the others.
#pragma once
#include <string>

#include "upnpclock.h"
#include "upnpdesc.h"
#include "upnpurl.h"

struct DescfetchJob {
    std::string deviceId;
    UpnpUrl location;  // checked: on the address the answer came from
    int expires = 0;
};

// Called on a fetcher thread: description is the parsed document (the
// callee takes it) or null, and then reason says why there is none.
using DescfetchDone = void (*)(const DescfetchJob &job, UpnpDescription *description, const char *reason);

void descfetchStart(DescfetchDone done);
// Cancels the exchanges in flight, ends the fetchers and drops the queue.
void descfetchStop();
// False when the answer is dropped: not running, the queue is full, or the
// address already has a download waiting or running.
bool descfetchQueue(const DescfetchJob &job);
// Waits until no download is waiting or running; false at the deadline.
bool descfetchWaitIdle(UpnpClock::time_point deadline);
