// logreader [NAME] [--count N] [--timeout S] [--follow] [--file PATH]: owns
// the log mailslot NAME (default "zellog") and prints every record it receives
// as one line. When the logging plug-in owns the mailslot, it prints the
// records of its log file instead ("logbook.log" beside this program, or
// PATH), and with --follow keeps printing the records stored after them.
#include <windows.h>

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "logfollow.h"
#include "logrecord.h"
#include "zellog.h"

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: logreader [NAME] [--count N] [--timeout S] [--follow] [--file PATH]\n"
                 "  NAME         mailslot to create (default \"%s\")\n"
                 "  --count N    exit after N records\n"
                 "  --timeout S  exit after S seconds without a record\n"
                 "  --follow     with a log file: print new records as they are stored\n"
                 "  --file PATH  read this log file instead of the mailslot\n"
                 "When the logging plug-in owns the mailslot, the records of its log file\n"
                 "(logbook.log beside this program) are printed.\n",
                 ZELLOG_DEFAULT_SLOT);
}

// The log file the logging plug-in keeps beside the configuration file,
// which lies in the program's directory.
std::string defaultLogFile() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "logbook.log";
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + "logbook.log";
}

struct Printing {
    long count;
    long printed = 0;
};

bool printRecord(const unsigned char *record, std::size_t size, void *context) {
    auto *printing = static_cast<Printing *>(context);
    std::printf("%s\n", logRecordLine(record, size).c_str());
    ++printing->printed;
    return printing->count < 0 || printing->printed < printing->count;
}

int printLogFile(const std::string &path, bool follow, long count, long timeout) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Printing printing{count};
    int rc = logfollowRun(path.c_str(), follow, timeout > 0 ? timeout * 1000 : -1, printRecord, &printing);
    if (rc == -2) std::fprintf(stderr, "logreader: %s is not a log file\n", path.c_str());
    if (rc == -3) std::fprintf(stderr, "logreader: cannot read the log file %s\n", path.c_str());
    return rc == 0 ? 0 : 1;
}

bool parseNumber(const char *text, long max, long *out) {
    if (!text || !*text) return false;
    errno = 0;
    char *end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (errno || *end || value < 0 || value > max) return false;
    *out = value;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    const char *name = ZELLOG_DEFAULT_SLOT;
    long count = -1, timeout = -1;
    bool named = false, follow = false;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--count") && i + 1 < argc) {
            if (!parseNumber(argv[++i], LONG_MAX, &count) || count < 1) {
                std::fprintf(stderr, "logreader: --count needs a number of records above 0\n");
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--timeout") && i + 1 < argc) {
            if (!parseNumber(argv[++i], 4000000, &timeout) || timeout < 1) {
                std::fprintf(stderr, "logreader: --timeout needs a number of seconds above 0\n");
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--follow")) {
            follow = true;
        } else if (!std::strcmp(argv[i], "--file") && i + 1 < argc && *argv[i + 1]) {
            file = argv[++i];
        } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            usage();
            return 0;
        } else if (argv[i][0] != '-' && !named) {
            name = argv[i];
            named = true;
        } else {
            usage();
            return 2;
        }
    }
    if (!*name || std::strchr(name, '/') || std::strchr(name, '\\')) {
        std::fprintf(stderr, "logreader: the mailslot name must be a plain name\n");
        return 2;
    }

    if (!file.empty()) return printLogFile(file, follow, count, timeout);

    char path[300];
    zelextLogSlotPath(name, path, sizeof path);
    DWORD readTimeout = timeout > 0 ? static_cast<DWORD>(timeout * 1000) : MAILSLOT_WAIT_FOREVER;
    HANDLE slot = CreateMailslotA(path, 0, readTimeout, nullptr);
    if (slot == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ALREADY_EXISTS &&
        access(defaultLogFile().c_str(), F_OK) == 0) {
        // Another reader owns the mailslot: the logging plug-in, whose file we read.
        return printLogFile(defaultLogFile(), follow, count, timeout);
    }
    if (slot == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "logreader: cannot create the mailslot %s (error %u)\n", name,
                     static_cast<unsigned>(GetLastError()));
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    std::vector<unsigned char> buffer(65536);
    long received = 0;
    while (count < 0 || received < count) {
        DWORD size = 0;
        if (!ReadFile(slot, buffer.data(), static_cast<DWORD>(buffer.size()), &size, nullptr)) {
            DWORD error = GetLastError();
            if (error == ERROR_SEM_TIMEOUT) break;
            DWORD next = 0;
            if (error == ERROR_INSUFFICIENT_BUFFER && GetMailslotInfo(slot, nullptr, &next, nullptr, nullptr) &&
                next != MAILSLOT_NO_MESSAGE && next > buffer.size()) {
                buffer.resize(next);
                continue;
            }
            std::fprintf(stderr, "logreader: reading the mailslot failed (error %u)\n",
                         static_cast<unsigned>(error));
            CloseHandle(slot);
            return 1;
        }
        std::string problem = logRecordProblem(buffer.data(), size);
        if (!problem.empty()) {
            std::fprintf(stderr, "logreader: refused a malformed record of %u bytes: %s\n",
                         static_cast<unsigned>(size), problem.c_str());
            continue;
        }
        std::printf("%s\n", logRecordLine(buffer.data(), size).c_str());
        ++received;
    }
    CloseHandle(slot);
    return 0;
}
