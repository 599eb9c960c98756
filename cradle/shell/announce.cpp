// Printing the address of the photo share server once it listens.
#include "shell/announce.h"

#include "extmod/extmod.h"
#include "shell/shell.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>

namespace {

bool serverLoaded() {
    for (int i = 0; i < EXTMOD_MAX_ENTRIES; ++i) {
        ExtmodEntryInfo entry;
        if (extmodGetEntry(i, &entry) == 0 && entry.module && std::strcmp(entry.name, "galleon") == 0) return true;
    }
    return false;
}

bool answers(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

}  // namespace

void shellAnnounceAddress() {
    const ShellState &s = shellState();
    if (!serverLoaded() || GetPrivateProfileIntA("photo", "Enable", 1, s.paths.config) == 0) return;
    int port = static_cast<int>(GetPrivateProfileIntA("photo", "Port", 8888, s.paths.config));
    if (port <= 0 || port > 65535) return;
    HANDLE closing = s.closingEvent;
    std::thread([port, closing] {
        // The listener starts on its own thread; look every 20 ms.
        for (int tries = 0; tries < 750; ++tries) {
            if (answers(port)) {
                std::printf("http://localhost:%d/\n", port);
                std::fflush(stdout);
                return;
            }
            if (WaitForSingleObject(closing, 20) == WAIT_OBJECT_0) return;
        }
    }).detach();
}
