// cradle: the host program. Its arguments are joined with single blanks into
// the one command-line string that a running copy and the plug-ins receive.
#include "shell/startup.h"

#include <string>

int main(int argc, char **argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    shellRun(GetModuleHandleA(nullptr), commandLine.c_str());
    return 0;
}
