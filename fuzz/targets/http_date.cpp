// If-Modified-Since lines: any header line is judged without fault, and the
// server's own date of a time reads back as that time.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "respmod.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint32_t seconds;
  std::memcpy(&seconds, data, 4);
  std::string line(reinterpret_cast<const char*>(data + 4), size - 4);
  line = line.c_str();
  time_t mtime = static_cast<time_t>(seconds);
  int rc = respmodIfModifiedSinceTime(mtime, line.c_str());
  if (rc != 0 && rc != 1) std::abort();
  rc = respmodIfModifiedSinceTime(mtime, ("If-Modified-Since: " + line).c_str());
  if (rc != 0 && rc != 1) std::abort();

  char date[64];
  respmodFormatDate(date, &mtime, 0);
  std::string header = std::string("If-Modified-Since: ") + date;
  if (respmodIfModifiedSinceTime(mtime, header.c_str()) != 0) std::abort();
  if (respmodIfModifiedSinceTime(mtime + 1, header.c_str()) != 1) std::abort();
  return 0;
}
