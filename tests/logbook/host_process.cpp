// logbook_test_host DLL CONFIG LOGNAME: loads the logging plug-in as the host
// does and keeps it loaded until the process is killed; prints "ready" once
// the plug-in is initialised.
#include <windows.h>

#include <unistd.h>

#include <cstdio>

#include "zelext.h"

int main(int argc, char **argv) {
    if (argc != 4) return 2;
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) return 1;
    auto init = zelextProc<PFN_zelextInitEx>(GetProcAddress(module, "zelextInitEx"));
    ExtInitInfo info{};
    info.size = EXT_INIT_INFO_SIZE;
    std::snprintf(info.logName, sizeof info.logName, "%s", argv[3]);
    std::snprintf(info.configPath, sizeof info.configPath, "%s", argv[2]);
    if (!init || init(&info) != 0) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
}
