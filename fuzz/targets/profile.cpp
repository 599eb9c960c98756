// Private profile files: arbitrary text read through every reading call, then
// written to and read back, which must give the value written.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::writeFile("profile.ini", data, size);
  const char* file = path.c_str();
  std::vector<char> names(4096), section(4096);
  char value[256];
  DWORD got = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), file);
  if (got >= names.size()) std::abort();
  // Every section and every key of the first sections.
  int sections = 0;
  for (const char* name = names.data(); *name && sections < 8; name += strlen(name) + 1, sections++) {
    got = GetPrivateProfileSectionA(name, section.data(), static_cast<DWORD>(section.size()), file);
    if (got >= section.size()) std::abort();
    std::vector<char> keys(1024);
    GetPrivateProfileStringA(name, nullptr, "", keys.data(), static_cast<DWORD>(keys.size()), file);
    int count = 0;
    for (const char* key = keys.data(); *key && count < 16; key += strlen(key) + 1, count++) {
      GetPrivateProfileStringA(name, key, "dflt", value, sizeof value, file);
      GetPrivateProfileStringA(name, key, "dflt", value, 3, file);
      GetPrivateProfileIntA(name, key, -7, file);
    }
  }
  GetPrivateProfileStringA("photo", "Port", "", value, 1, file);
  GetPrivateProfileStringA(nullptr, nullptr, "", value, 2, file);

  // A write changes only its own key; reading it back gives what was written.
  if (!WritePrivateProfileStringA("fuzz", "Key", "written value", file)) return 0;
  GetPrivateProfileStringA("fuzz", "Key", "", value, sizeof value, file);
  if (strcmp(value, "written value") != 0) std::abort();
  return 0;
}
