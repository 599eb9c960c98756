// Request lines and headers through the connection code: the input is what a
// client sends on one connection (any number of requests), the server's
// answers are read and dropped.
#include <windows.h>

#include <cstdint>

#include "galleon_env.h"
#include "server.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::galleonStart();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ClientFeed feed(data, size);
  serverConnectionThread(reinterpret_cast<LPVOID>(static_cast<intptr_t>(feed.serverSocket())));
  fuzz::galleonTrimLog();
  return 0;
}
