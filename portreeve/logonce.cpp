// Once-per-device log causes.
#include "logonce.h"

#include <mutex>
#include <set>
#include <string>

namespace {

constexpr size_t MAX_REMEMBERED = 256;
std::mutex g_lock;
std::set<std::pair<uint32_t, std::string>> g_logged;

}  // namespace

bool logonceClaim(uint32_t address, const char *cause) {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_logged.size() >= MAX_REMEMBERED) return false;
    return g_logged.emplace(address, cause).second;
}

void logonceReset() {
    std::lock_guard<std::mutex> lock(g_lock);
    g_logged.clear();
}
