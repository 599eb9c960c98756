// Host access: policy, target list and password-failure counting.
#include "fwmod.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>
#include <windows.h>

#include "listmod.h"

namespace {

struct Target {
  char text[32];
};
struct FailureRecord {
  char address[32];
  int32_t count;
  uint32_t lastEvent;
};

constexpr int kSectionSize = 16384;

std::mutex g_mutex;  // makes each read-modify-write of a failure record atomic
bool g_initialised = false;
bool g_ownsListmod = false;
int g_targets = -1;
int g_failures = -1;
int g_policy = FWMOD_ALLOW_ALL_EXCEPT;
int g_targetCount = 0;  // targets in the list, so an empty list costs no walk
// An index of the failure list: the addresses it holds and how many of its
// records count failures. A success of a known host while no record counts
// anything changes nothing, and is answered without walking the list.
std::unordered_set<std::string> g_knownAddresses;
int g_counting = 0;
char g_file[256];
char g_section[256];
std::atomic<FwmodClock> g_clock{nullptr};
thread_local int g_lastError = 0;

int fail(int code) {
  g_lastError = code;
  return code;
}

// Dotted IPv4 address into four octets; false when the text is not one.
bool parseAddress(const char* text, int octets[4]) {
  const char* p = text;
  for (int i = 0; i < 4; i++) {
    if (*p < '0' || *p > '9') return false;
    int v = 0, digits = 0;
    while (*p >= '0' && *p <= '9') {
      v = v * 10 + (*p++ - '0');
      if (++digits > 3 || v > 255) return false;
    }
    octets[i] = v;
    if (i < 3 && *p++ != '.') return false;
  }
  return *p == 0;
}

bool matches(const int address[4], const char* target) {
  int t[4];
  if (!parseAddress(target, t)) return false;
  for (int i = 0; i < 4; i++)
    if (address[i] != t[i] && t[i] != 0) return false;
  return true;
}

// Finds the failure record of an address: its item id and a copy, or -1.
int findFailure(const char* address, FailureRecord& out) {
  for (int pos = 0;; pos++) {
    int id = listGetItemId(g_failures, pos);
    if (id < 0) return -1;
    if (listGetItem(g_failures, id, &out, sizeof out) == sizeof out && strcmp(out.address, address) == 0) return id;
  }
}

}  // namespace

int fwmodGetLastError() { return g_lastError; }

int fwmodInit(const char* configFile, const char* section) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  if (!configFile || !section || strlen(configFile) > 255 || strlen(section) > 255) return fail(FWMOD_ERR_ARG);
  int rc = listInit();
  if (rc != 0 && rc != -1) return fail(FWMOD_ERR_LIST);
  g_ownsListmod = rc == 0;
  g_targets = listCreate();
  g_failures = listCreate();
  if (g_targets < 0 || g_failures < 0) {
    if (g_targets >= 0) listDestroy(g_targets);
    if (g_failures >= 0) listDestroy(g_failures);
    if (g_ownsListmod) listShutdown();
    return fail(FWMOD_ERR_LIST);
  }
  strcpy(g_file, configFile);
  strcpy(g_section, section);
  g_policy = static_cast<int>(GetPrivateProfileIntA(section, "host-access-policy", 1, configFile));
  char name[300];
  snprintf(name, sizeof name, "%s-host-access", section);
  char* lines = static_cast<char*>(calloc(kSectionSize, 1));
  if (lines) {
    DWORD n = GetPrivateProfileSectionA(name, lines, kSectionSize, configFile);
    for (const char* p = lines; p < lines + n && *p; p += strlen(p) + 1) {
      Target t{};
      snprintf(t.text, sizeof t.text, "%s", p);
      if (listAddItem(g_targets, &t, sizeof t) >= 0) g_targetCount++;
    }
    free(lines);
  }
  g_initialised = true;
  return 0;
}

int fwmodShutdown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  char value[16];
  snprintf(value, sizeof value, "%d", g_policy);
  WritePrivateProfileStringA(g_section, "host-access-policy", value, g_file);
  char name[300];
  snprintf(name, sizeof name, "%s-host-access", g_section);
  WritePrivateProfileStringA(name, nullptr, nullptr, g_file);
  // One line per target, each NUL-terminated, the block ending in a second NUL.
  char* block = static_cast<char*>(calloc(kSectionSize, 1));
  if (block) {
    int len = 0;
    Target t;
    for (int pos = 0;; pos++) {
      int id = listGetItemId(g_targets, pos);
      if (id < 0) break;
      if (listGetItem(g_targets, id, &t, sizeof t) != sizeof t) continue;
      int n = static_cast<int>(strlen(t.text));
      if (len + n + 2 > kSectionSize) break;
      memcpy(block + len, t.text, n + 1);
      len += n + 1;
    }
    if (len > 0) WritePrivateProfileSectionA(name, block, g_file);
    free(block);
  }
  int rc = 0;
  if (listDestroy(g_targets) != 0) rc = FWMOD_ERR_LIST;
  if (listDestroy(g_failures) != 0) rc = FWMOD_ERR_LIST;
  g_targets = g_failures = -1;
  g_targetCount = 0;
  g_knownAddresses.clear();
  g_counting = 0;
  if (g_ownsListmod) listShutdown();
  g_initialised = false;
  return rc ? fail(rc) : 0;
}

int fwmodIsHostAllowed(const char* address) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised || !address) return 1;
  if (g_policy != FWMOD_ALLOW_ALL_EXCEPT && g_policy != FWMOD_DENY_ALL_EXCEPT) return 1;
  int octets[4];
  if (!parseAddress(address, octets)) return 0;
  if (g_targetCount == 0) return g_policy == FWMOD_ALLOW_ALL_EXCEPT ? 1 : 0;
  Target t;
  for (int pos = 0;; pos++) {
    int id = listGetItemId(g_targets, pos);
    if (id < 0) break;
    if (listGetItem(g_targets, id, &t, sizeof t) != sizeof t) continue;
    if (matches(octets, t.text)) return g_policy == FWMOD_ALLOW_ALL_EXCEPT ? 0 : 1;
  }
  return g_policy == FWMOD_ALLOW_ALL_EXCEPT ? 1 : 0;
}

int fwmodHostAccess(const char* address, int outcome) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  if (!address) return fail(FWMOD_ERR_ARG);
  char key[32];
  snprintf(key, sizeof key, "%s", address);
  if (outcome && g_counting == 0 && g_knownAddresses.count(key)) return 0;
  FwmodClock clock = g_clock;
  uint32_t now = clock ? clock() : GetTickCount();
  // One walk: counts that went stale are reset, records that count nothing
  // and went stale are dropped (unsigned differences stay right across the
  // wrap of the tick count), and the address's record is found.
  FailureRecord r, mine{};
  int mineId = -1;
  for (int pos = 0;;) {
    int id = listGetItemId(g_failures, pos);
    if (id < 0) break;
    if (listGetItem(g_failures, id, &r, sizeof r) != sizeof r) {
      pos++;
      continue;
    }
    bool stale = now - r.lastEvent >= FWMOD_FAILURE_WINDOW_MS;
    bool own = strcmp(r.address, address) == 0;
    if (stale && r.count == 0 && !own) {
      if (listDeleteItem(g_failures, id) != 0) return fail(FWMOD_ERR_UPDATE);
      g_knownAddresses.erase(r.address);
      continue;  // the next record moved to this position
    }
    if (stale) {
      r.count = 0;
      r.lastEvent = now;
      if (listUpdateItem(g_failures, id, &r, sizeof r) != 0) return fail(FWMOD_ERR_UPDATE);
      g_counting--;
    }
    if (mineId < 0 && own) {
      mineId = id;
      mine = r;
    }
    pos++;
  }
  if (mineId >= 0) {
    // A success for a record without failures changes nothing that is ever
    // read: its time only matters while it counts failures. A request that
    // needed no password never changes a count.
    if (outcome == FWMOD_OUTCOME_SEEN || (outcome && mine.count == 0)) return 0;
    int before = mine.count;
    mine.lastEvent = now;
    if (outcome) {
      if (mine.count > 0) mine.count = 0;
    } else {
      mine.count++;
    }
    if (listUpdateItem(g_failures, mineId, &mine, sizeof mine) != 0) return fail(FWMOD_ERR_UPDATE);
    g_counting += (mine.count != 0) - (before != 0);
    return 0;
  }
  FailureRecord fresh{};
  snprintf(fresh.address, sizeof fresh.address, "%s", address);
  fresh.count = 0;
  fresh.lastEvent = now;
  if (listAddItem(g_failures, &fresh, sizeof fresh) < 0) return fail(FWMOD_ERR_LIST);
  g_knownAddresses.insert(fresh.address);
  return 0;
}

int fwmodGetFailureRecordCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  int n = 0;
  while (listGetItemId(g_failures, n) >= 0) n++;
  return n;
}

int fwmodGetFailureCount(const char* address) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  if (!address) return fail(FWMOD_ERR_ARG);
  FailureRecord r;
  if (findFailure(address, r) < 0) return fail(FWMOD_ERR_ARG);
  return r.count;
}

int fwmodAddTarget(const char* target) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  if (!target || !*target) return fail(FWMOD_ERR_ARG);
  Target t{};
  snprintf(t.text, sizeof t.text, "%s", target);
  Target existing;
  for (int pos = 0;; pos++) {
    int id = listGetItemId(g_targets, pos);
    if (id < 0) break;
    if (listGetItem(g_targets, id, &existing, sizeof existing) == sizeof existing && strcmp(existing.text, t.text) == 0)
      return fail(FWMOD_ERR_DUPLICATE);
  }
  if (listAddItem(g_targets, &t, sizeof t) < 0) return fail(FWMOD_ERR_LIST);
  g_targetCount++;
  return 0;
}

int fwmodSetPolicy(int policy) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  if (policy != FWMOD_ALLOW_ALL_EXCEPT && policy != FWMOD_DENY_ALL_EXCEPT) return fail(FWMOD_ERR_ARG);
  g_policy = policy;
  return 0;
}

int fwmodGetPolicy() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  return g_policy;
}

int fwmodClearAllTargets() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  Target t;
  while (listTakeItem(g_targets, -1, &t, sizeof t) > 0) {
  }
  g_targetCount = 0;
  return 0;
}

int fwmodGetTarget(int position, char* buffer, int size) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(FWMOD_ERR_NOT_INIT);
  if (!buffer || size < 1) return fail(FWMOD_ERR_ARG);
  int id = listGetItemId(g_targets, position);
  Target t;
  if (id < 0 || listGetItem(g_targets, id, &t, sizeof t) != sizeof t) return fail(FWMOD_ERR_ARG);
  snprintf(buffer, size, "%s", t.text);
  return static_cast<int>(strlen(buffer));
}

int fwmodGetTargetKind(const char* target) {
  if (!target) return fail(FWMOD_ERR_ARG);
  const char* dot = strrchr(target, '.');
  return (dot && strcmp(dot + 1, "0") == 0) ? 2 : 1;
}

void fwmodSetClock(FwmodClock clock) { g_clock = clock; }
