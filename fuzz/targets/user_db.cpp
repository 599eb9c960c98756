// The user database "galleon.dbu" (a record size, then records) loaded from
// arbitrary bytes. A sound file is questioned for every collection it names,
// saved and loaded again: the second load must know the same protected
// collections. A damaged one must leave every collection closed and the file
// as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "pwdmod.h"

namespace {
// Collection names found in the file at the offsets of the saved layout.
std::vector<std::string> namesIn(const uint8_t* data, size_t size) {
  std::vector<std::string> names;
  for (size_t at = 4 + 48; at < size && names.size() < 16; at += sizeof(PwdRecord)) {
    size_t len = strnlen(reinterpret_cast<const char*>(data + at), size - at);
    if (len > 511) len = 511;
    names.emplace_back(reinterpret_cast<const char*>(data + at), len);
  }
  names.push_back("Private");
  return names;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::writeFile("galleon.dbu", data, size);
  int rc = pwdmodInit(path.c_str());
  if (rc == PWDMOD_ERR_DAMAGED) {
    if (!pwdmodIsLocked() || pwdmodResourceHasPassword("Private") != 1 || pwdmodResourceHasPassword("Any") != 1 ||
        pwdmodCheckPassword("system", "", "Any") == 1 || pwdmodAddUser("system", "x", "New") == 0)
      std::abort();
    pwdmodShutdown();
    std::ifstream in(path, std::ios::binary);
    std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (after != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
    return 0;
  }
  if (rc != 0) return 0;
  std::vector<std::string> names = namesIn(data, size);
  std::vector<int> protectedBefore;
  char password[64];
  for (const std::string& name : names) {
    protectedBefore.push_back(pwdmodResourceHasPassword(name.c_str()));
    pwdmodResourceExists(name.c_str());
    pwdmodGetPassword(name.c_str(), "system", password, sizeof password);
    pwdmodCheckPassword("system", "guess", name.c_str());
    pwdmodCheckPassword("system", "", name.c_str());
  }
  pwdmodAddUser("system", "secret", "Added");
  if (pwdmodShutdown() != 0) return 0;

  if (pwdmodInit(path.c_str()) != 0) std::abort();
  for (size_t i = 0; i < names.size(); i++)
    if (pwdmodResourceHasPassword(names[i].c_str()) != protectedBefore[i]) std::abort();
  if (pwdmodCheckPassword("system", "secret", "Added") != 1) std::abort();
  pwdmodShutdown();
  return 0;
}
