// The request target onto the collections: the path mapping, the collection
// a mapped path names, and the kernel-checked open, which must never give a
// descriptor of anything outside the collections directory.
#include <windows.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config.h"
#include "galleon_env.h"
#include "request.h"
#include "server.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::galleonStart();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string target(reinterpret_cast<const char*>(data), size);
  target = target.c_str();
  for (int mappedSize : {16, 64, MAX_PATH}) {
    std::string decoded = target;
    std::string mapped(mappedSize, 'x');
    int n = serverMapPath(decoded.data(), mapped.data(), mappedSize);
    if (n < 0 || n >= mappedSize || mapped[n] != 0) std::abort();
    if (mappedSize != MAX_PATH) continue;
    char collection[256];
    serverCollectionOfPath(mapped.c_str(), collection, sizeof collection);
    int fd = httpOpenInsideCollections(mapped.c_str());
    if (fd >= 0) {
      if (!httpDescriptorInsideCollections(fd)) std::abort();
      close(fd);
    }
  }
  return 0;
}
