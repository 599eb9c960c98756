// logbook_bench DLL WORKDIR RECORDS QUERYRECORDS
//
// 1. Loads the real plug-in (DLL) with its log file in WORKDIR and has 4
//    writer threads send RECORDS records each, through the log client and
//    as raw records on a mailslot handle each; the time runs until the
//    plug-in has stored the last one (its shut-down stores what waits).
//    Peer: the same records from 4 threads appended to a plain file, one
//    write each. Every record is then read back and checked: none lost, each
//    writer's records in order.
// 2. Stores QUERYRECORDS records of one source among as many of others and
//    times the per-source query (newest first) against a scan of the whole
//    file that picks the source's records.
#include <windows.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "logfollow.h"
#include "logframe.h"
#include "logrows.h"
#include "logstore.h"
#include "zelext.h"
#include "zellog.h"

namespace {

constexpr int WRITERS = 4;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<unsigned char> makeRecord(int level, const std::string &source, const std::string &text) {
    std::vector<unsigned char> bytes(ZELLOG_MIN_RECORD + text.size(), 0);
    int32_t stored = level;
    std::memcpy(bytes.data(), &stored, sizeof stored);
    std::memcpy(bytes.data() + ZELLOG_STAMP_OFFSET, "07/12/2026 10:00:00.00", 22);
    std::memcpy(bytes.data() + ZELLOG_SOURCE_OFFSET, source.data(), std::min<std::size_t>(source.size(), 15));
    std::memcpy(bytes.data() + ZELLOG_TEXT_OFFSET, text.data(), text.size());
    return bytes;
}

std::string messageText(int writer, int i) {
    char text[128];
    std::snprintf(text, sizeof text, "writer %d record %d: Device at address 192.168.1.%d configured", writer, i,
                  i % 250);
    return text;
}

struct Check {
    std::vector<int> next = std::vector<int>(WRITERS, 0);
    long outOfOrder = 0;
};

bool checkRecord(const unsigned char *record, std::size_t, void *context) {
    auto *check = static_cast<Check *>(context);
    int writer = -1, i = -1;
    if (std::sscanf(logframeText(record), "writer %d record %d", &writer, &i) != 2 || writer < 0 ||
        writer >= WRITERS)
        return true;
    if (i != check->next[writer]) check->outOfOrder++;
    check->next[writer] = i + 1;
    return true;
}

// Runs the plug-in on a fresh log file, lets the writers send, and reports
// records per second and how many were lost.
bool runPlugin(const std::string &dll, const std::string &dir, int records, bool raw, double *rate, long *lost) {
    std::string logName = "logbench-" + std::to_string(getpid()) + (raw ? "-raw" : "-client");
    std::string config = dir + "/cradle.ini";
    unlink((dir + "/logbook.log").c_str());
    unlink((dir + "/logbook.log.1").c_str());
    FILE *ini = std::fopen(config.c_str(), "w");
    if (!ini) return false;
    std::fprintf(ini, "[logbook]\nMaxLogSize=1048576\n");
    std::fclose(ini);

    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) return false;
    auto init = zelextProc<PFN_zelextInitEx>(GetProcAddress(module, "zelextInitEx"));
    auto shutdown = zelextProc<PFN_zelextShutdown>(GetProcAddress(module, "zelextShutdown"));
    ExtInitInfo info{};
    info.size = EXT_INIT_INFO_SIZE;
    std::snprintf(info.logName, sizeof info.logName, "%s", logName.c_str());
    std::snprintf(info.configPath, sizeof info.configPath, "%s", config.c_str());
    if (!init || !shutdown || init(&info) != 0) return false;
    zelextLogSetSlot(logName.c_str());
    char path[300];
    zelextLogSlotPath(logName.c_str(), path, sizeof path);

    auto start = Clock::now();
    std::vector<std::thread> writers;
    for (int w = 0; w < WRITERS; ++w) {
        writers.emplace_back([&, w] {
            std::string source = "writer" + std::to_string(w);
            if (!raw) {
                for (int i = 0; i < records; ++i) zelextLog(source.c_str(), ZELLOG_INFO, "%s", messageText(w, i).c_str());
                return;
            }
            HANDLE slot = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            for (int i = 0; i < records; ++i) {
                auto bytes = makeRecord(ZELLOG_INFO, source, messageText(w, i));
                DWORD written = 0;
                WriteFile(slot, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            }
            CloseHandle(slot);
        });
    }
    for (auto &t : writers) t.join();
    shutdown();  // stores everything still waiting in the mailslot
    double seconds = secondsSince(start);
    zelextLogShutdown();
    FreeLibrary(module);

    Check check;
    logfollowRun((dir + "/logbook.log").c_str(), false, -1, checkRecord, &check);
    long stored = 0;
    for (int n : check.next) stored += n;
    *lost = static_cast<long>(WRITERS) * records - stored + check.outOfOrder;
    *rate = WRITERS * static_cast<double>(records) / seconds;
    return true;
}

// The peer: 4 threads appending the same frames to a plain file, one write each.
double runAppendLoop(const std::string &dir, int records) {
    std::string file = dir + "/append.log";
    int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    auto start = Clock::now();
    std::vector<std::thread> writers;
    for (int w = 0; w < WRITERS; ++w) {
        writers.emplace_back([&, w] {
            std::string source = "writer" + std::to_string(w);
            for (int i = 0; i < records; ++i) {
                auto bytes = makeRecord(ZELLOG_INFO, source, messageText(w, i));
                unsigned char header[LOGFRAME_HEADER_SIZE];
                logframeHeader(bytes.data(), bytes.size(), header);
                bytes.insert(bytes.begin(), header, header + sizeof header);
                if (write(fd, bytes.data(), bytes.size()) < 0) return;
            }
        });
    }
    for (auto &t : writers) t.join();
    double seconds = secondsSince(start);
    close(fd);
    unlink(file.c_str());
    return WRITERS * static_cast<double>(records) / seconds;
}

struct Scan {
    std::string source;
    long found = 0;
};

bool scanRecord(const unsigned char *record, std::size_t, void *context) {
    auto *scan = static_cast<Scan *>(context);
    if (logframeSource(record) == scan->source) scan->found++;
    return true;
}

void runQuery(const std::string &dir, int records) {
    std::string file = dir + "/query.log";
    unlink(file.c_str());
    unlink((file + ".1").c_str());
    logstoreOpen(file.c_str(), 256u * 1024 * 1024);
    const char *others[] = {"cradle", "upnp", "upnpmod"};
    for (int i = 0; i < records; ++i) {
        auto mine = makeRecord(i % 7 == 0 ? 5 : 6, "photo", "photo record " + std::to_string(i) + " started on port 8888");
        logstoreAppend(mine.data(), mine.size());
        auto other = makeRecord(6, others[i % 3], "other record " + std::to_string(i));
        logstoreAppend(other.data(), other.size());
    }
    logstoreClose();

    auto start = Clock::now();
    logstoreOpen(file.c_str(), 256u * 1024 * 1024);
    double indexing = secondsSince(start);
    std::vector<LogstoreEntry> entries;
    start = Clock::now();
    int count = logstoreQuery("photo", 6, 0, &entries);
    double query = secondsSince(start);
    std::vector<LogRow> rows;
    start = Clock::now();
    logrowsBuild("photo", 6, &rows);
    double rowsTime = secondsSince(start);
    logstoreClose();

    Scan scan{"photo"};
    start = Clock::now();
    logfollowRun(file.c_str(), false, -1, scanRecord, &scan);
    double scanTime = secondsSince(start);
    std::printf("query: %d of %d records for one source, newest first: %.1f ms (page rows %.1f ms); "
                "index built on opening in %.1f ms\n",
                count, 2 * records, query * 1000, rowsTime * 1000, indexing * 1000);
    std::printf("peer:  scan of the whole file picking the source (%ld found): %.1f ms; query/scan %.2f\n",
                scan.found, scanTime * 1000, query / scanTime);
    unlink(file.c_str());
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: logbook_bench DLL WORKDIR RECORDS QUERYRECORDS\n");
        return 2;
    }
    std::string dll = argv[1], dir = argv[2];
    int records = std::atoi(argv[3]), queryRecords = std::atoi(argv[4]);
    double clientRate = 0, rawRate = 0;
    long clientLost = 0, rawLost = 0;
    if (!runPlugin(dll, dir, records, false, &clientRate, &clientLost) ||
        !runPlugin(dll, dir, records, true, &rawRate, &rawLost)) {
        std::fprintf(stderr, "logbook_bench: cannot run %s\n", dll.c_str());
        return 1;
    }
    double appendRate = runAppendLoop(dir, records);
    std::printf("4 writers x %d records into the log file:\n", records);
    std::printf("  logbook, writers using the log client:  %9.0f records/s, %ld lost or out of order\n", clientRate,
                clientLost);
    std::printf("  logbook, writers sending raw records:   %9.0f records/s, %ld lost or out of order\n", rawRate,
                rawLost);
    std::printf("  peer: plain append loop, one write each: %9.0f records/s\n", appendRate);
    std::printf("  ratios to the peer: client %.2f, raw %.2f\n", clientRate / appendRate, rawRate / appendRate);
    runQuery(dir, queryRecords);
    return clientLost || rawLost ? 1 : 0;
}
