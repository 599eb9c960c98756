// The real ext/logbook.dll, loaded by the plug-in manager with the host's log
// client and galleon beside it: what reaches the log file, in what order, and
// what logreader prints of it.
#include <windows.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "log_collector.h"
#include "plugin_host.h"
#include "records.h"
#include "zelext.h"
#include "zellog.h"

#include <commctrl.h>

extern char **environ;
namespace fs = std::filesystem;
using logtest::Read;

namespace {

typedef int (*PFN_zelextLogDisplay)(HWND, LPCSTR, int);

class LoadedLogbook : public ::testing::Test {
protected:
    void SetUp() override {
        host_.setLogCollector(false);
        host_.addDistPlugin("logbook.dll");
        host_.addDistPlugin("galleon.dll");
        host_.setConfig("[photo]\nEnable=0\n");
    }
    void TearDown() override { host_.stop(); }

    std::string logFile() const { return host_.directory() + "logbook.log"; }
    std::string slotPath() const {
        char path[300];
        zelextLogSlotPath(host_.logName().c_str(), path, sizeof path);
        return path;
    }

    // Follows the log file until a record with this text has been stored;
    // returns every record read (the whole file up to there).
    std::vector<Read> readUntil(const std::string &text, int timeoutMs = 20000) {
        struct Wanted {
            std::string text;
            std::vector<Read> got;
        } wanted{text, {}};
        auto sink = [](const unsigned char *record, std::size_t size, void *context) {
            auto *w = static_cast<Wanted *>(context);
            logtest::collect(record, size, &w->got);
            return w->got.back().text != w->text;
        };
        logfollowRun(logFile().c_str(), true, timeoutMs, sink, &wanted);
        return wanted.got;
    }

    suite::PluginHost host_;
};

// Records of one source in file order, with the number each text ends in.
std::vector<int> numbersOf(const std::vector<Read> &reads, const std::string &source, const std::string &prefix) {
    std::vector<int> numbers;
    for (const Read &r : reads)
        if (r.source == source && r.text.rfind(prefix, 0) == 0) numbers.push_back(std::stoi(r.text.substr(prefix.size())));
    return numbers;
}

std::vector<int> sequence(int count) {
    std::vector<int> s(count);
    for (int i = 0; i < count; ++i) s[i] = i;
    return s;
}

TEST_F(LoadedLogbook, EveryRecordOfHostPluginsAndAFloodReachesTheFileInOrder) {
    // Sent before the plug-in is loaded: the host's log client queues them.
    zelextLogSetSlot(host_.logName().c_str());
    for (int i = 0; i < 5; ++i) zelextLog("cradle", ZELLOG_INFO, "early %d", i);
    ASSERT_EQ(host_.start(), 0);

    constexpr int flood = 10000, host = 300;
    std::thread flooder([] {
        for (int i = 0; i < flood; ++i) zelextLog("flood", ZELLOG_ERROR, "flood %d", i);
    });
    for (int i = 0; i < host; ++i) zelextLog("cradle", i % 2 ? ZELLOG_INFO : ZELLOG_FAILURE, "host %d", i);
    flooder.join();
    zelextLog("cradle", ZELLOG_INFO, "end of test");

    std::vector<Read> reads = readUntil("end of test");
    ASSERT_FALSE(reads.empty());
    ASSERT_EQ(reads.back().text, "end of test");
    EXPECT_EQ(numbersOf(reads, "cradle", "early "), sequence(5));
    EXPECT_EQ(numbersOf(reads, "flood", "flood "), sequence(flood));
    EXPECT_EQ(numbersOf(reads, "cradle", "host "), sequence(host));
    // This process's queued records went out before anything it sent after
    // loading (galleon's client keeps a queue of its own).
    std::vector<std::string> ours;
    for (const Read &r : reads)
        if (r.source != "photo") ours.push_back(r.text);
    ASSERT_GE(ours.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(ours.begin(), ours.begin() + 5),
              (std::vector<std::string>{"early 0", "early 1", "early 2", "early 3", "early 4"}));
    bool galleon = false;
    for (const Read &r : reads) galleon |= r.source == "photo" && r.text == "server not enabled.";
    EXPECT_TRUE(galleon);
}

TEST_F(LoadedLogbook, ShutdownStoresWhatWaitsAndReleasesTheMailslot) {
    ASSERT_EQ(host_.start(), 0);
    for (int i = 0; i < 50; ++i) zelextLog("cradle", ZELLOG_INFO, "before close %d", i);
    host_.stop();
    // Everything sent before the plug-in shut down is in the file...
    std::vector<Read> reads = logtest::readLog(logFile());
    EXPECT_EQ(numbersOf(reads, "cradle", "before close "), sequence(50));
    // ...and the mailslot is free for the next reader.
    suite::LogCollector next;
    EXPECT_TRUE(next.start(host_.logName()));
}

TEST_F(LoadedLogbook, TakesTheMailslotOverWhenAnotherReaderLetsItGo) {
    suite::LogCollector other;
    ASSERT_TRUE(other.start(host_.logName()));
    ASSERT_EQ(host_.start(), 0);  // loads although the mailslot is taken
    zelextLog("cradle", ZELLOG_INFO, "to the other reader");
    ASSERT_TRUE(other.waitForText("to the other reader"));
    other.stop();
    // Sent while nobody reads: queued by the log client until the plug-in
    // has taken the mailslot over.
    zelextLog("cradle", ZELLOG_INFO, "to the log file");
    std::vector<Read> reads = readUntil("to the log file");
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back().text, "to the log file");
    for (const Read &r : reads) EXPECT_NE(r.text, "to the other reader");
}

TEST_F(LoadedLogbook, CarriesTheKindIconsTheLogPagesLoad) {
    ASSERT_EQ(host_.start(), 0);
    std::string dll = host_.extDirectory() + "logbook.dll";
    HMODULE module = GetModuleHandleA(dll.c_str());
    ASSERT_NE(module, nullptr);
    for (int id : {106, 111, 108, 110, 109, 112, 107}) {
        EXPECT_NE(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED), nullptr) << id;
        EXPECT_NE(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, LR_SHARED), nullptr) << id;
    }
    std::vector<char> version(GetFileVersionInfoSizeA(dll.c_str(), nullptr));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    char *name = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\100904B0\\InternalName",
                               reinterpret_cast<void **>(&name), &length));
    EXPECT_STREQ(name, "logbook");
}

TEST_F(LoadedLogbook, LogDisplayExportChecksItsArguments) {
    ASSERT_EQ(host_.start(), 0);
    HMODULE module = GetModuleHandleA((host_.extDirectory() + "logbook.dll").c_str());
    ASSERT_NE(module, nullptr);
    auto display = zelextProc<PFN_zelextLogDisplay>(GetProcAddress(module, "zelextLogDisplay"));
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display(nullptr, "photo", 6), -2);
    EXPECT_EQ(display(reinterpret_cast<HWND>(4), nullptr, 6), -2);
    EXPECT_EQ(display(reinterpret_cast<HWND>(4), "photo", -1), -2);
    // A window that is not a list view is refused too.
    HWND button = CreateWindowExA(0, "BUTTON", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(display(button, "photo", 6), -2);
    DestroyWindow(button);
}

// Runs the thread's message loop until cond() holds (false on time-out).
bool pumpUntil(const std::function<bool()> &cond, int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    UINT_PTR tick = SetTimer(nullptr, 0, 10, nullptr);
    bool ok = cond();
    MSG m;
    while (!ok && std::chrono::steady_clock::now() < deadline && GetMessageA(&m, nullptr, 0, 0)) {
        DispatchMessageA(&m);
        ok = cond();
    }
    KillTimer(nullptr, tick);
    return ok;
}

std::string cell(HWND list, int row, int column) {
    char text[512] = "";
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
}

// The log page's list: sort marks and the seven kind images, two columns.
HWND makeLogList(HWND parent) {
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 300, parent,
                                reinterpret_cast<HMENU>(10), nullptr, nullptr);
    const char *names[2] = {"Date", "Message"};
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = const_cast<char *>(names[c]);
        col.cx = 180;
        ListView_InsertColumn(list, c, &col);
    }
    return list;
}

TEST_F(LoadedLogbook, LogDisplayFillsAListViewWithOneSourceAndKeepsItCurrent) {
    ASSERT_EQ(host_.start(), 0);
    for (int i = 0; i < 3; ++i) zelextLog("upnp", i == 1 ? 2 : ZELLOG_INFO, "upnp record %d", i);
    zelextLog("photo", ZELLOG_INFO, "photo record");
    zelextLog("cradle", ZELLOG_INFO, "filled");
    ASSERT_FALSE(readUntil("filled").empty());

    HMODULE module = GetModuleHandleA((host_.extDirectory() + "logbook.dll").c_str());
    auto display = zelextProc<PFN_zelextLogDisplay>(GetProcAddress(module, "zelextLogDisplay"));
    ASSERT_NE(display, nullptr);
    HWND page = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 420, 320, nullptr, nullptr, nullptr,
                                nullptr);
    HWND list = makeLogList(page);
    ASSERT_EQ(display(list, "upnp", 6), 3);

    // Newest first: date text, one-line message, the image of the record's kind.
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(cell(list, 0, 1), "upnp record 2");
    EXPECT_EQ(cell(list, 2, 1), "upnp record 0");
    EXPECT_FALSE(cell(list, 0, 0).empty());
    EXPECT_NE(cell(list, 0, 0).find(':'), std::string::npos);
    LVITEMA item{};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = 1;
    ASSERT_TRUE(ListView_GetItem(list, &item));
    EXPECT_EQ(item.iImage, 3 + 2);
    item.iItem = 0;
    ListView_GetItem(list, &item);
    EXPECT_EQ(item.iImage, 3 + ZELLOG_INFO);
    // Item data is unique per row, so the page can sort by column.
    std::set<LPARAM> params;
    for (int r = 0; r < 3; ++r) {
        item.iItem = r;
        ListView_GetItem(list, &item);
        params.insert(item.lParam);
    }
    EXPECT_EQ(params.size(), 3u);

    // A record arriving while the list is shown appears at the top; other
    // sources' records do not.
    zelextLog("photo", ZELLOG_INFO, "not for this list");
    zelextLog("upnp", 5, "upnp arrived\nwith a second line");
    EXPECT_TRUE(pumpUntil([&] { return ListView_GetItemCount(list) == 4; }));
    EXPECT_EQ(cell(list, 0, 1), "upnp arrived with a second line");
    item.iItem = 0;
    ListView_GetItem(list, &item);
    EXPECT_EQ(item.iImage, 3 + 5);
    EXPECT_EQ(params.count(item.lParam), 0u);

    // Filling again starts over; a second list of another source follows its own.
    HWND photos = makeLogList(page);
    ASSERT_GE(display(photos, "photo", 6), 2);  // "photo record", "not for this list" and galleon's own
    EXPECT_EQ(display(list, "upnp", 6), 4);
    EXPECT_EQ(ListView_GetItemCount(list), 4);

    // The page goes away while records keep coming: nothing is written to a
    // window that is gone, and the other list goes on.
    DestroyWindow(list);
    zelextLog("upnp", ZELLOG_INFO, "after the list was closed");
    zelextLog("photo", ZELLOG_INFO, "photo after");
    EXPECT_TRUE(pumpUntil([&] { return cell(photos, 0, 1) == "photo after"; }));
    DestroyWindow(page);
    zelextLog("photo", ZELLOG_INFO, "after the page was closed");
    ASSERT_FALSE(readUntil("after the page was closed").empty());
    pumpUntil([] { return false; }, 600);
    host_.stop();
}

// logreader run from the program directory, as a user would run it there.
class LogReaderBesideLogbook : public LoadedLogbook {
protected:
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        LoadedLogbook::TearDown();
    }

    void run(const std::vector<std::string> &args) {
        std::string program = host_.directory() + "logreader";
        fs::copy_file(suite::distPath("logreader"), program, fs::copy_options::overwrite_existing);
        fs::copy_file(suite::distPath("libplatform.so"), host_.directory() + "libplatform.so",
                      fs::copy_options::overwrite_existing);
        out_ = host_.directory() + "reader.out";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> copy = args;
        std::vector<char *> argv{program.data()};
        for (std::string &arg : copy) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<std::string> output() {
        std::ifstream in(out_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    pid_t pid_ = -1;
    std::string out_;
};

TEST_F(LogReaderBesideLogbook, FollowPrintsStoredAndNewRecordsOfTheLogFile) {
    ASSERT_EQ(host_.start(), 0);
    // galleon loaded before the plug-in: its record comes from its log
    // client's queue.
    readUntil("server not enabled.");
    zelextLog("cradle", ZELLOG_INFO, "stored first");
    readUntil("stored first");
    // The mailslot belongs to the plug-in: logreader reads its file instead.
    run({host_.logName(), "--follow", "--count", "4", "--timeout", "20"});
    zelextLog("cradle", ZELLOG_ERROR, "new %d", 1);
    zelextLog("upnp", ZELLOG_FAILURE, "new %d", 2);
    ASSERT_EQ(wait(), 0);
    std::vector<std::string> lines = output();
    ASSERT_EQ(lines.size(), 4u);
    // galleon's queued record, then ours in order.
    EXPECT_NE(lines[0].find("] photo: server not enabled."), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" [6] cradle: stored first"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(" [5] cradle: new 1"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find(" [2] upnp: new 2"), std::string::npos) << lines[3];

    // Without --follow it prints what is stored and ends.
    run({"--file", logFile()});
    ASSERT_EQ(wait(), 0);
    EXPECT_EQ(output(), lines);
}

}  // namespace
