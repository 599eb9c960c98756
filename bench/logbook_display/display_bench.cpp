// Fills a log page's list view through the logging plug-in's
// zelextLogDisplay from a log of RECORDS records of one source (beside as
// many of other sources), and puts the same rows into a Qt view directly as
// the peer. Prints both times and their ratio.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "logstore.h"
#include "peer.h"
#include "zelext.h"
#include "zellog.h"

namespace {

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// CPU time of this thread: on a busy machine the wall time also counts
// other programs' turns.
double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
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

void writeLog(const std::string &file, int records) {
    unlink(file.c_str());
    unlink((file + ".1").c_str());
    logstoreOpen(file.c_str(), 1024u * 1024 * 1024);
    for (int i = 0; i < records; ++i) {
        auto mine = makeRecord(i % 7 == 0 ? 5 : 6, "upnp",
                               "Device InternetGatewayDevice at address 192.168.1." + std::to_string(i % 250) +
                                   " configured for service " + std::to_string(i));
        logstoreAppend(mine.data(), mine.size());
        auto other = makeRecord(6, "photo", "other record " + std::to_string(i));
        logstoreAppend(other.data(), other.size());
    }
    logstoreClose();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: logdisplay_bench DLL WORKDIR RECORDS\n");
        return 2;
    }
    std::string dll = argv[1], dir = argv[2];
    int records = std::atoi(argv[3]);
    writeLog(dir + "/logbook.log", records);
    std::string config = dir + "/cradle.ini";
    if (FILE *ini = std::fopen(config.c_str(), "w")) {
        std::fprintf(ini, "[logbook]\nMaxLogSize=1048576\n");
        std::fclose(ini);
    }

    // The peer first: the store's query, then the rows into Qt directly.
    logstoreOpen((dir + "/logbook.log").c_str(), 1024u * 1024 * 1024);
    auto start = Clock::now();
    std::vector<LogstoreEntry> entries;
    logstoreQuery("upnp", 6, 0, &entries);
    std::vector<PeerRow> rows;
    rows.reserve(entries.size());
    for (auto &e : entries) rows.push_back({std::move(e.stamp), std::move(e.text)});
    double query = secondsSince(start);
    logstoreClose();
    double peerPaint = 0;
    double cpu = cpuNow();
    double peerFill = fillWithQt(rows, &peerPaint);
    double peerCpu = cpuNow() - cpu;

    HMODULE module = LoadLibraryA(dll.c_str());
    auto init = zelextProc<PFN_zelextInitEx>(GetProcAddress(module, "zelextInitEx"));
    auto shutdown = zelextProc<PFN_zelextShutdown>(GetProcAddress(module, "zelextShutdown"));
    using Display = int (*)(HWND, LPCSTR, int);
    auto display = zelextProc<Display>(GetProcAddress(module, "zelextLogDisplay"));
    ExtInitInfo info{};
    info.size = EXT_INIT_INFO_SIZE;
    std::snprintf(info.logName, sizeof info.logName, "logdisplay-bench-%d", static_cast<int>(getpid()));
    std::snprintf(info.configPath, sizeof info.configPath, "%s", config.c_str());
    if (!init || !shutdown || !display || init(&info) != 0) {
        std::fprintf(stderr, "logdisplay_bench: cannot run %s\n", dll.c_str());
        return 1;
    }
    HWND page = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr, nullptr, nullptr,
                                nullptr);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 400, page,
                                nullptr, nullptr, nullptr);
    const char *names[2] = {"Date", "Message"};
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = const_cast<char *>(names[c]);
        col.cx = c ? 400 : 160;
        ListView_InsertColumn(list, c, &col);
    }
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    start = Clock::now();
    cpu = cpuNow();
    int shown = display(list, "upnp", 6);
    double fill = secondsSince(start);
    double fillCpu = cpuNow() - cpu;
    start = Clock::now();
    UpdateWindow(list);
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    double paint = secondsSince(start);
    DestroyWindow(page);
    shutdown();

    std::printf("log of %d records (%d of the source), list view filled with %d rows:\n", 2 * records, records, shown);
    std::printf("  zelextLogDisplay (query and fill): %7.1f ms, first paint %5.1f ms\n", fill * 1000, paint * 1000);
    std::printf("  peer: query %.1f ms + QStandardItemModel in a QTreeView %.1f ms = %7.1f ms, first paint %5.1f ms\n",
                query * 1000, peerFill * 1000, (query + peerFill) * 1000, peerPaint * 1000);
    std::printf("  CPU time: zelextLogDisplay %.1f ms; peer's fill (without its query) %.1f ms\n", fillCpu * 1000,
                peerCpu * 1000);
    std::printf("  ratio to the peer: %.2f\n", fill / (query + peerFill));
    return 0;
}
