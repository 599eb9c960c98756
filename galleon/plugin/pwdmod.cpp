// User database: records in a list of the list module, saved as a list file
// (a 4-byte record size followed by the records) readable by its owner only.
#include "pwdmod.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
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
// The database could not be read whole (or not opened at all): which
// collections are protected is unknown, so every one counts as protected, no
// password opens it, and the file is left as it is for repair.
bool g_locked = false;

// How loading the list file went.
enum class Load { Ok, Damaged, ListFailed };

constexpr int32_t kMaxRecordSize = 1 << 20;

// Reads exactly n bytes; false on a short read or an error.
bool readAll(int fd, void* data, size_t n) {
  char* p = static_cast<char*>(data);
  while (n > 0) {
    ssize_t got = read(fd, p, n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

// Loads the list file into the list. A missing or empty file is an empty
// database; a file that cannot be read whole (short, a record cut, a
// nonsensical record size, unreadable) is damaged.
Load loadFile(const char* path, int list) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? Load::Ok : Load::Damaged;
  struct stat st{};
  int32_t recordSize = 0;
  Load result = Load::Ok;
  if (fstat(fd, &st) != 0) {
    result = Load::Damaged;
  } else if (st.st_size > 0) {
    if (!readAll(fd, &recordSize, sizeof recordSize) || recordSize <= 0 || recordSize > kMaxRecordSize ||
        (st.st_size - static_cast<off_t>(sizeof recordSize)) % recordSize != 0)
      result = Load::Damaged;
  }
  if (result == Load::Ok && st.st_size > 0) {
    off_t records = (st.st_size - static_cast<off_t>(sizeof recordSize)) / recordSize;
    char* buffer = new char[recordSize];
    for (off_t i = 0; i < records; i++) {
      if (!readAll(fd, buffer, recordSize)) {
        result = Load::Damaged;
        break;
      }
      PwdRecord r;
      memset(&r, 0, sizeof r);
      memcpy(&r, buffer, recordSize < static_cast<int32_t>(sizeof r) ? recordSize : sizeof r);
      r.user[sizeof r.user - 1] = 0;
      r.password[sizeof r.password - 1] = 0;
      r.resource[sizeof r.resource - 1] = 0;
      if (listAddItem(list, &r, sizeof r) < 0) {
        result = Load::ListFailed;
        break;
      }
      if (r.password[0]) g_withPassword++;
    }
    delete[] buffer;
  }
  close(fd);
  return result;
}

// Writes the list to a new file beside path, flushes it and renames it over
// path, so a crash or a full disk leaves the old file or the new one whole.
bool saveFile(const char* path, int list) {
  // One temporary name: a save cut short leaves at most this one file behind,
  // and the next save replaces it.
  std::string temp = std::string(path) + ".tmp";
  // Passwords are kept as typed: the file is readable by its owner only.
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  bool ok = fchmod(fd, 0600) == 0;
  std::string bytes;
  PwdRecord r;
  for (int pos = 0;; pos++) {
    int id = listGetItemId(list, pos);
    if (id < 0) break;
    if (listGetItem(list, id, &r, sizeof r) != sizeof r) continue;
    if (bytes.empty()) {
      int32_t size = sizeof r;
      bytes.append(reinterpret_cast<const char*>(&size), sizeof size);
    }
    bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
  }
  for (size_t done = 0; ok && done < bytes.size();) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok) ok = rename(temp.c_str(), path) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  std::string dir(path);
  size_t slash = dir.rfind('/');
  dir = slash == std::string::npos ? "." : slash == 0 ? "/" : dir.substr(0, slash);
  int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
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
  g_locked = true;  // until the file has been read whole
  if (!path || strlen(path) > 512) return PWDMOD_ERR_ARG;
  int rc = listInit();
  g_ownsListmod = rc == 0;
  g_withPassword = 0;
  g_list = listCreate();
  Load loaded = g_list < 0 ? Load::ListFailed : loadFile(path, g_list);
  if (loaded == Load::ListFailed) {
    if (g_list >= 0) listDestroy(g_list);
    g_list = -1;
    if (g_ownsListmod) listShutdown();
    g_ownsListmod = false;
    return PWDMOD_ERR_LIST;
  }
  strcpy(g_path, path);
  g_open = true;
  if (loaded == Load::Damaged) {
    // Open, so that the server asks and gets "protected", but with no records.
    PwdRecord r;
    while (listTakeItem(g_list, -1, &r, sizeof r) > 0) {
    }
    g_withPassword = 0;
    return PWDMOD_ERR_DAMAGED;
  }
  g_locked = false;
  return 0;
}

int pwdmodIsLocked() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_locked ? 1 : 0;
}

int pwdmodShutdown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  bool locked = g_locked;
  g_locked = false;
  if (!g_open) return PWDMOD_ERR_NOT_OPEN;
  bool saved = locked || saveFile(g_path, g_list);  // a damaged file is kept for repair
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
  if (g_locked) return PWDMOD_ERR_DAMAGED;
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
  if (g_locked) return PWDMOD_ERR_DAMAGED;
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
  if (g_locked) return resource && resource[0] ? 1 : 0;
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
  if (g_locked || !g_open || !user || !password || !resource) return 0;
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
