// Description downloads on a small pool of fetcher threads.
#include "descfetch.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "boundedhttp.h"
#include "upnplimits.h"

namespace {

std::mutex g_lock;
std::condition_variable g_work;  // a job or the stop
std::condition_variable g_idle;  // a job finished
std::deque<DescfetchJob> g_queue;
std::set<uint32_t> g_busy;  // addresses with a job waiting or running
std::vector<std::thread> g_fetchers;
std::atomic<bool> g_stop{true};
DescfetchDone g_done = nullptr;

void fetch(const DescfetchJob &job) {
    HttpRequest request;
    request.url = job.location;
    request.maxBody = UPNP_DESCRIPTION_MAX_BYTES;
    request.deadline = upnpclockDeadline(UPNP_DESCRIPTION_TIMEOUT_MS);
    request.cancel = &g_stop;
    HttpAnswer answer;
    int rc = httpExchange(request, &answer);
    // Cut short by our own shut-down: nothing to say about the device.
    if (rc == HTTP_CANCELLED || (rc == HTTP_TIMED_OUT && upnpclockTimeIsUp())) return;
    if (rc != HTTP_DONE) return g_done(job, nullptr, httpReason(rc));
    if (answer.status != 200) return g_done(job, nullptr, "answered with an HTTP status other than 200");
    auto *description = new UpnpDescription;
    rc = upnpdescParse(answer.body.data(), answer.body.size(), description);
    if (rc != UPNPDESC_OK) {
        delete description;
        return g_done(job, nullptr, upnpdescReason(rc));
    }
    g_done(job, description, nullptr);
}

void fetcherMain() {
    for (;;) {
        DescfetchJob job;
        {
            std::unique_lock<std::mutex> lock(g_lock);
            g_work.wait(lock, [] { return g_stop || !g_queue.empty(); });
            if (g_stop) return;
            job = std::move(g_queue.front());
            g_queue.pop_front();
        }
        fetch(job);
        std::lock_guard<std::mutex> lock(g_lock);
        g_busy.erase(job.location.address);
        g_idle.notify_all();
    }
}

}  // namespace

void descfetchStart(DescfetchDone done) {
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_stop) return;
    g_done = done;
    g_stop = false;
    for (int i = 0; i < UPNP_DESCRIPTION_FETCHERS; ++i) g_fetchers.emplace_back(fetcherMain);
}

void descfetchStop() {
    std::vector<std::thread> fetchers;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_stop = true;
        g_queue.clear();
        fetchers.swap(g_fetchers);
        g_work.notify_all();
    }
    for (std::thread &t : fetchers) t.join();
    std::lock_guard<std::mutex> lock(g_lock);
    g_busy.clear();
    g_idle.notify_all();
}

bool descfetchQueue(const DescfetchJob &job) {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_stop || g_queue.size() >= UPNP_DESCRIPTION_QUEUE || g_busy.count(job.location.address)) return false;
    g_busy.insert(job.location.address);
    g_queue.push_back(job);
    g_work.notify_one();
    return true;
}

bool descfetchWaitIdle(UpnpClock::time_point deadline) {
    std::unique_lock<std::mutex> lock(g_lock);
    // In slices: a shut-down that begins meanwhile ends the wait.
    while (!g_busy.empty() && !upnpclockLimited()) {
        auto slice = UpnpClock::now() + std::chrono::milliseconds(100);
        if (slice >= deadline) return g_idle.wait_until(lock, deadline, [] { return g_busy.empty(); });
        g_idle.wait_until(lock, slice);
    }
    return g_busy.empty();
}
