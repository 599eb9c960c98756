// galleon_serve PLUGIN CONFIG: loads the photo plug-in, initialises it with
// the configuration file and serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <windows.h>

#include "zelext.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s PLUGIN CONFIG\n", argv[0]);
    return 2;
  }
  // Blocked before the plug-in starts its threads, which inherit the mask,
  // so the signal is taken here only.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigprocmask(SIG_BLOCK, &set, nullptr);
  HMODULE plugin = LoadLibraryA(argv[1]);
  if (!plugin) {
    fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  auto init = reinterpret_cast<PFN_zelextInit>(reinterpret_cast<void (*)()>(GetProcAddress(plugin, "zelextInit")));
  auto shutdown =
      reinterpret_cast<PFN_zelextShutdown>(reinterpret_cast<void (*)()>(GetProcAddress(plugin, "zelextShutdown")));
  if (!init || !shutdown || init(argv[2]) != 0) {
    fprintf(stderr, "cannot initialise %s\n", argv[1]);
    return 1;
  }
  int sig;
  sigwait(&set, &sig);
  shutdown();
  FreeLibrary(plugin);
  return 0;
}
