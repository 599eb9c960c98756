// Request variable lists.
#include "varmod.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <new>
#include <string>
#include <vector>

namespace {

struct Variable {
  std::string name;
  bool hasValue = false;
  std::string value;
};
struct VarList {
  std::mutex lock;  // guards the variables of this list
  std::vector<Variable> vars;
};

// The table lock guards the set of lists: shared while a list is used,
// exclusive while one is made or destroyed. Each list has its own lock, so
// connections working on their own lists do not wait for each other.
std::shared_mutex g_mutex;
bool g_initialised = false;
int g_nextId = 1;
std::map<int, std::unique_ptr<VarList>>* g_lists = nullptr;
thread_local int g_lastError = 0;

int fail(int code) {
  g_lastError = code;
  return code;
}

// Looks the list up under the lock; sets rc on failure.
VarList* findList(int id, int& rc) {
  if (!g_initialised) {
    rc = VARMOD_ERR_NOT_INIT;
    return nullptr;
  }
  auto it = g_lists->find(id);
  if (it == g_lists->end()) {
    rc = VARMOD_ERR_NO_LIST;
    return nullptr;
  }
  rc = 0;
  return it->second.get();
}

Variable* findVariable(VarList& list, const char* name) {
  for (Variable& v : list.vars)
    if (v.name == name) return &v;
  return nullptr;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int copyValue(const Variable& v, char* buffer, int size) {
  memset(buffer, 0, size);
  if (!v.hasValue) return 0;
  int n = static_cast<int>(v.value.size()) < size ? static_cast<int>(v.value.size()) : size;
  memcpy(buffer, v.value.data(), n);
  return n;
}

}  // namespace

int urlDecode(char* text) {
  if (!text) return 0;
  char* out = text;
  for (const char* in = text; *in; in++) {
    if (*in == '+') {
      *out++ = ' ';
    } else if (*in == '%' && hexValue(in[1]) >= 0 && hexValue(in[2]) >= 0) {
      *out++ = static_cast<char>(hexValue(in[1]) * 16 + hexValue(in[2]));
      in += 2;
    } else {
      *out++ = *in;
    }
  }
  *out = 0;
  return static_cast<int>(out - text);
}

int varmodGetLastError() { return g_lastError; }

int varmodInit() {
  std::unique_lock<std::shared_mutex> lock(g_mutex);
  if (g_initialised) return fail(VARMOD_ERR_NOT_INIT);
  g_lists = new (std::nothrow) std::map<int, std::unique_ptr<VarList>>;
  if (!g_lists) return fail(VARMOD_ERR_MEMORY);
  g_nextId = 1;
  g_initialised = true;
  return 0;
}

int varmodShutdown() {
  std::unique_lock<std::shared_mutex> lock(g_mutex);
  if (!g_initialised) return fail(VARMOD_ERR_NOT_INIT);
  delete g_lists;
  g_lists = nullptr;
  g_initialised = false;
  return 0;
}

int varmodCreateList() {
  std::unique_lock<std::shared_mutex> lock(g_mutex);
  if (!g_initialised) return fail(VARMOD_ERR_NOT_INIT);
  auto list = std::unique_ptr<VarList>(new (std::nothrow) VarList);
  if (!list) return fail(VARMOD_ERR_MEMORY);
  int id = g_nextId++;
  (*g_lists)[id] = std::move(list);
  return id;
}

int varmodDestroyList(int id) {
  std::unique_lock<std::shared_mutex> lock(g_mutex);
  int rc;
  if (!findList(id, rc)) return fail(rc);
  g_lists->erase(id);
  return 0;
}

int varmodClearList(int id) {
  std::shared_lock<std::shared_mutex> lock(g_mutex);
  int rc;
  VarList* list = findList(id, rc);
  if (!list) return fail(rc);
  std::lock_guard<std::mutex> listLock(list->lock);
  list->vars.clear();
  return 0;
}

int varmodAddVariable(int id, const char* name, const char* value, int length) {
  std::shared_lock<std::shared_mutex> lock(g_mutex);
  int rc;
  VarList* list = findList(id, rc);
  if (!list) return fail(rc);
  std::lock_guard<std::mutex> listLock(list->lock);
  if (!name) return fail(VARMOD_ERR_ARG);
  Variable* v = findVariable(*list, name);
  if (!v) {
    list->vars.push_back(Variable{name, false, {}});
    v = &list->vars.back();
  }
  v->hasValue = value != nullptr;
  if (value) v->value.assign(value, length > 0 ? length : strlen(value));
  else v->value.clear();
  return 0;
}

int varmodAppendVariable(int id, const char* name, const char* text, int length) {
  {
    std::shared_lock<std::shared_mutex> lock(g_mutex);
    int rc;
    VarList* list = findList(id, rc);
    if (!list) return fail(rc);
    std::lock_guard<std::mutex> listLock(list->lock);
    if (!name) return fail(VARMOD_ERR_ARG);
    Variable* v = findVariable(*list, name);
    if (v && v->hasValue) {
      if (text) v->value.append(text, length > 0 ? length : strlen(text));
      return 0;
    }
  }
  return varmodAddVariable(id, name, text, length);
}

int varmodGetVariable(int id, const char* name, char* buffer, int size) {
  std::shared_lock<std::shared_mutex> lock(g_mutex);
  int rc;
  VarList* list = findList(id, rc);
  if (!list) return fail(rc);
  std::lock_guard<std::mutex> listLock(list->lock);
  if (!name || !buffer || size < 1) return fail(VARMOD_ERR_ARG);
  Variable* v = findVariable(*list, name);
  if (!v) return fail(VARMOD_ERR_NO_VAR);
  return copyValue(*v, buffer, size);
}

int varmodHasVariable(int id, const char* name) {
  std::shared_lock<std::shared_mutex> lock(g_mutex);
  int rc;
  VarList* list = findList(id, rc);
  if (!list || !name) return 0;
  std::lock_guard<std::mutex> listLock(list->lock);
  return findVariable(*list, name) ? 1 : 0;
}

int varmodEnumVariable(int id, int index, char* name, int nameSize, char* value, int valueSize) {
  std::shared_lock<std::shared_mutex> lock(g_mutex);
  int rc;
  VarList* list = findList(id, rc);
  if (!list) return fail(rc);
  std::lock_guard<std::mutex> listLock(list->lock);
  if (!name || nameSize < 1 || !value || valueSize < 1) return fail(VARMOD_ERR_ARG);
  if (index < 0 || index >= static_cast<int>(list->vars.size())) return fail(VARMOD_ERR_NO_VAR);
  const Variable& v = list->vars[index];
  int n = static_cast<int>(v.name.size()) < nameSize - 1 ? static_cast<int>(v.name.size()) : nameSize - 1;
  memcpy(name, v.name.data(), n);
  name[n] = 0;
  return copyValue(v, value, valueSize);
}

int varmodParseQuery(char* text) {
  if (!text) return fail(VARMOD_ERR_ARG);
  int id = varmodCreateList();
  if (id < 0) return id;
  char* piece = text;
  for (;;) {
    char* amp = strchr(piece, '&');
    if (amp) *amp = 0;
    if (*piece) {
      char* eq = strchr(piece, '=');
      int rc;
      if (eq) {
        *eq = 0;
        int len = urlDecode(eq + 1);
        // An empty value is stored as an empty value, not as a missing one.
        rc = varmodAddVariable(id, piece, len > 0 ? eq + 1 : "", len);
      } else {
        rc = varmodAddVariable(id, piece, nullptr, 0);
      }
      if (rc < 0) {
        varmodDestroyList(id);
        return fail(rc);
      }
    }
    if (!amp) break;
    piece = amp + 1;
  }
  return id;
}
