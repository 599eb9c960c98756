// Records of the log mailslot as the reader checks and prints them, and the
// escaping of access-log fields.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "logmod.h"
#include "logrecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string problem = logRecordProblem(data, size);
  if (problem.empty()) {
    std::string line = logRecordLine(data, size);
    if (line.empty()) std::abort();
  }
  // Access-log fields: escaped text always fits and ends in the buffer.
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();
  for (int bufferSize : {1, 2, 5, 64, 3 * 1024}) {
    std::vector<char> out(bufferSize, 'x');
    logmodEscape(text.c_str(), out.data(), bufferSize);
    if (!std::memchr(out.data(), 0, out.size())) std::abort();
  }
  return 0;
}
