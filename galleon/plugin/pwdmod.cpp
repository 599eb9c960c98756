// User database: records in a list of the list module, saved as a list file
// (a 4-byte record size followed by the records) readable by its owner only.
#include "pwdmod.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "listmod.h"

namespace {

std::mutex g_mutex;
bool g_open = false;
bool g_ownsListmod = false;
int g_list = -1;
char g_path[513];
// Records that hold a password: with none, no resource is protected and the
// question is answered without walking the list.
int g_withPassword = 0;

// Loads the list file into the list; false when the list could not take a record.
bool loadFile(const char* path, int list) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;  // no file yet: an empty database
  int32_t recordSize = 0;
  bool ok = true;
  if (read(fd, &recordSize, sizeof recordSize) == sizeof recordSize && recordSize > 0) {
    PwdRecord r;
    char* buffer = new char[recordSize];
    while (read(fd, buffer, recordSize) == recordSize) {
      memset(&r, 0, sizeof r);
      memcpy(&r, buffer, recordSize < static_cast<int32_t>(sizeof r) ? recordSize : sizeof r);
      r.user[sizeof r.user - 1] = 0;
      r.password[sizeof r.password - 1] = 0;
      r.resource[sizeof r.resource - 1] = 0;
      if (listAddItem(list, &r, sizeof r) < 0) {
        ok = false;
        break;
      }
      if (r.password[0]) g_withPassword++;
    }
    delete[] buffer;
  }
  close(fd);
  return ok;
}

bool saveFile(const char* path, int list) {
  // Passwords are kept as typed: the file is readable by its owner only.
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  fchmod(fd, 0600);
  bool ok = true;
  PwdRecord r;
  for (int pos = 0;; pos++) {
    int id = listGetItemId(list, pos);
    if (id < 0) break;
    if (listGetItem(list, id, &r, sizeof r) != sizeof r) continue;
    if (pos == 0) {
      int32_t size = sizeof r;
      ok = ok && write(fd, &size, sizeof size) == sizeof size;
    }
    ok = ok && write(fd, &r, sizeof r) == sizeof r;
  }
  ok = close(fd) == 0 && ok;
  return ok;
}

// Id of the first record of user and resource (case-insensitive), with a copy; -1 when none.
int findRecord(const char* user, const char* resource, PwdRecord& out) {
  for (int pos = 0;; pos++) {
    int id = listGetItemId(g_list, pos);
    if (id < 0) return -1;
    if (listGetItem(g_list, id, &out, sizeof out) != sizeof out) continue;
    if ((!user || strcasecmp(out.user, user) == 0) && strcasecmp(out.resource, resource) == 0) return id;
  }
}

}  // namespace

int pwdmodInit(const char* path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_open) return PWDMOD_ERR_NOT_OPEN;
  if (!path || strlen(path) > 512) return PWDMOD_ERR_ARG;
  int rc = listInit();
  g_ownsListmod = rc == 0;
  g_withPassword = 0;
  g_list = listCreate();
  if (g_list < 0 || !loadFile(path, g_list)) {
    if (g_list >= 0) listDestroy(g_list);
    g_list = -1;
    if (g_ownsListmod) listShutdown();
    g_ownsListmod = false;
    return PWDMOD_ERR_LIST;
  }
  strcpy(g_path, path);
  g_open = true;
  return 0;
}

int pwdmodShutdown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_open) return PWDMOD_ERR_NOT_OPEN;
  bool saved = saveFile(g_path, g_list);
  listDestroy(g_list);
  g_list = -1;
  if (g_ownsListmod) listShutdown();
  g_ownsListmod = false;
  g_open = false;
  return saved ? 0 : PWDMOD_ERR_LIST;
}

int pwdmodAddUser(const char* user, const char* password, const char* resource) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_open) return PWDMOD_ERR_NOT_OPEN;
  if (!user || !resource) return PWDMOD_ERR_ARG;
  PwdRecord r;
  int id = findRecord(user, resource, r);
  if (id >= 0) {
    char stored[sizeof r.password] = "";
    if (password) snprintf(stored, sizeof stored, "%s", password);
    if (strcmp(stored, r.password) == 0) return 0;
    int had = r.password[0] != 0;
    memcpy(r.password, stored, sizeof r.password);
    if (listUpdateItem(g_list, id, &r, sizeof r) != 0) return PWDMOD_ERR_LIST;
    g_withPassword += (stored[0] != 0) - had;
    return 0;
  }
  memset(&r, 0, sizeof r);
  snprintf(r.user, sizeof r.user, "%s", user);
  if (password) snprintf(r.password, sizeof r.password, "%s", password);
  snprintf(r.resource, sizeof r.resource, "%s", resource);
  if (listAddItem(g_list, &r, sizeof r) < 0) return PWDMOD_ERR_LIST;
  if (r.password[0]) g_withPassword++;
  return 0;
}

int pwdmodDeleteUserResource(const char* user, const char* resource) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_open) return PWDMOD_ERR_NOT_OPEN;
  if (!user || !resource) return PWDMOD_ERR_ARG;
  int deleted = 0;
  PwdRecord r;
  for (int id; (id = findRecord(user, resource, r)) >= 0;) {
    if (listDeleteItem(g_list, id) != 0) return PWDMOD_ERR_LIST;
    if (r.password[0]) g_withPassword--;
    deleted++;
  }
  return deleted ? 0 : PWDMOD_ERR_ARG;
}

int pwdmodResourceHasPassword(const char* resource) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_open || !resource || g_withPassword == 0) return 0;
  PwdRecord r;
  for (int pos = 0;; pos++) {
    int id = listGetItemId(g_list, pos);
    if (id < 0) return 0;
    if (listGetItem(g_list, id, &r, sizeof r) == sizeof r && strcasecmp(r.resource, resource) == 0 && r.password[0])
      return 1;
  }
}

int pwdmodGetPassword(const char* resource, const char* user, char* buffer, int size) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_open) return PWDMOD_ERR_NOT_OPEN;
  if (!resource || !user || !buffer || size < 1) return PWDMOD_ERR_ARG;
  PwdRecord r;
  if (findRecord(user, resource, r) < 0) return PWDMOD_ERR_ARG;
  snprintf(buffer, size, "%s", r.password);
  return static_cast<int>(strlen(buffer));
}

int pwdmodCheckPassword(const char* user, const char* password, const char* resource) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_open || !user || !password || !resource) return 0;
  PwdRecord r;
  for (int pos = 0;; pos++) {
    int id = listGetItemId(g_list, pos);
    if (id < 0) return 0;
    if (listGetItem(g_list, id, &r, sizeof r) != sizeof r) continue;
    if (strcasecmp(r.user, user) == 0 && strcasecmp(r.resource, resource) == 0 && r.password[0] &&
        strcmp(r.password, password) == 0)
      return 1;
  }
}

int pwdmodResourceExists(const char* resource) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_open || !resource) return 0;
  PwdRecord r;
  return findRecord(nullptr, resource, r) >= 0 ? 1 : 0;
}
