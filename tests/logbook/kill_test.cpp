// A host process killed while records flow: what the plug-in had received
// stays in the log file, the file stays readable, and the next start appends
// after it.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "log_collector.h"
#include "records.h"
#include "zellog.h"

extern char **environ;
namespace fs = std::filesystem;

namespace {

class KilledHost : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/logbook-kill-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ + "/cradle.ini") << "[logbook]\n";
        logName_ = suite::LogCollector::uniqueName("logkill");
        zelextLogSetSlot(logName_.c_str());
    }
    void TearDown() override {
        stopHost(SIGKILL);
        zelextLogShutdown();
        fs::remove_all(dir_);
    }

    // Starts the host process and waits until it says the plug-in runs.
    bool startHost() {
        int out[2];
        if (pipe(out) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string program = LOGBOOK_TEST_HOST, dll = std::string(SUITE_DIST_DIR) + "/ext/logbook.dll",
                    config = dir_ + "/cradle.ini";
        char *argv[] = {program.data(), dll.data(), config.data(), logName_.data(), nullptr};
        int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char ready[6] = {};
        bool ok = rc == 0 && read(out[0], ready, 5) == 5 && std::string(ready) == "ready";
        close(out[0]);
        return ok;
    }
    void stopHost(int signal) {
        if (pid_ <= 0) return;
        kill(pid_, signal);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    std::string dir_, logName_;
    pid_t pid_ = -1;
};

struct Seen {
    std::size_t stopAt;
    std::string stopText;
    std::vector<logtest::Read> got;
};

bool collectUntil(const unsigned char *record, std::size_t size, void *context) {
    auto *seen = static_cast<Seen *>(context);
    logtest::collect(record, size, &seen->got);
    return seen->got.size() < seen->stopAt && seen->got.back().text != seen->stopText;
}

TEST_F(KilledHost, KeepsWhatWasReceivedAndTheNextStartAppendsAfterIt) {
    ASSERT_TRUE(startHost());
    constexpr int total = 3000;
    std::thread flooder([] {
        for (int i = 0; i < total; ++i) zelextLog("cradle", ZELLOG_INFO, "%d", i);
    });
    // Kill the host once 500 records are stored, while the rest still flow.
    std::string file = dir_ + "/logbook.log";
    Seen before{500, "", {}};
    logfollowRun(file.c_str(), true, 20000, collectUntil, &before);
    stopHost(SIGKILL);
    flooder.join();
    ASSERT_EQ(before.got.size(), 500u);

    ASSERT_TRUE(startHost());
    zelextLog("cradle", ZELLOG_INFO, "after restart");
    Seen after{SIZE_MAX, "after restart", {}};
    EXPECT_EQ(logfollowRun(file.c_str(), true, 20000, collectUntil, &after), 0);
    ASSERT_FALSE(after.got.empty());
    EXPECT_EQ(after.got.back().text, "after restart");
    // Everything stored before the kill is still there, in order, and what
    // came later follows in order; records the dead host never received
    // (and the log client dropped from its queue while no reader existed)
    // are the only gaps.
    ASSERT_GE(after.got.size(), 501u);
    for (int i = 0; i < 500; ++i) EXPECT_EQ(after.got[i].text, std::to_string(i));
    int last = -1;
    for (std::size_t i = 0; i + 1 < after.got.size(); ++i) {
        int n = std::stoi(after.got[i].text);
        EXPECT_GT(n, last);
        last = n;
    }
    EXPECT_EQ(last, total - 1);  // the newest records waited in the log client for the new start
}

}  // namespace
