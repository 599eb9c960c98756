// One deadline for every network wait of the gateway control module.
#include "upnpclock.h"

#include <atomic>
#include <cstdint>

namespace {

constexpr int64_t NONE = INT64_MAX;
std::atomic<int64_t> g_limit{NONE};  // steady-clock nanoseconds

int64_t nowNs() { return UpnpClock::now().time_since_epoch() / std::chrono::nanoseconds(1); }

}  // namespace

void upnpclockLimit(int milliseconds) {
    int64_t limit = nowNs() + (int64_t)milliseconds * 1000000;
    int64_t current = g_limit.load();
    while (limit < current && !g_limit.compare_exchange_weak(current, limit)) {
    }
}

void upnpclockReset() { g_limit = NONE; }

UpnpClock::time_point upnpclockDeadline(int milliseconds) {
    int64_t wanted = nowNs() + (int64_t)milliseconds * 1000000;
    int64_t limit = g_limit.load();
    return UpnpClock::time_point(std::chrono::nanoseconds(wanted < limit ? wanted : limit));
}

bool upnpclockLimited() { return g_limit.load() != NONE; }

bool upnpclockTimeIsUp() { return nowNs() >= g_limit.load(); }
