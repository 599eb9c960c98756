// The time the gateway control module may still spend on the network. At
// shut-down every wait is cut at one deadline, so that a slow or silent
// device cannot hold the host's closing up.
#pragma once
#include <chrono>

using UpnpClock = std::chrono::steady_clock;

// From now on, no network wait lasts past now + milliseconds.
void upnpclockLimit(int milliseconds);
// Lifts the limit (a new activation).
void upnpclockReset();
// The earlier of now + milliseconds and the limit.
UpnpClock::time_point upnpclockDeadline(int milliseconds);
bool upnpclockLimited();
bool upnpclockTimeIsUp();
