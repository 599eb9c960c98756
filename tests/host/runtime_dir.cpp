// Each test process gets a runtime directory of its own ($XDG_RUNTIME_DIR:
// window sockets, atoms, mailslots), so that windows of other tests running
// at the same time are never found. Children inherit it.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace {

struct RuntimeDir {
    RuntimeDir() {
        char pattern[] = "/tmp/hostrt-XXXXXX";
        if (mkdtemp(pattern)) {
            chmod(pattern, 0700);
            setenv("XDG_RUNTIME_DIR", pattern, 1);
        }
    }
} runtimeDir;

}  // namespace
