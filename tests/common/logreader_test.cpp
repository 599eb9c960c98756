// The logreader program: runs the real binary of the program directory,
// feeds its mailslot through the log client and raw datagrams, and reads
// what it prints.
#include <windows.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "log_collector.h"
#include "zellog.h"

extern char **environ;

namespace {

std::string readFile(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

class LogReaderProgram : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = suite::LogCollector::uniqueName("readertest");
        char dir[] = "/tmp/logreader-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        zelextLogSetSlot(name_.c_str());
        zelextLogSlotPath(name_.c_str(), path_, sizeof path_);
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        zelextLogShutdown();
        std::remove((dir_ + "/out").c_str());
        std::remove((dir_ + "/err").c_str());
        rmdir(dir_.c_str());
    }

    void run(const std::vector<std::string> &args) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (dir_ + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (dir_ + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::string program = std::string(SUITE_DIST_DIR) + "/logreader";
        std::vector<char *> argv{program.data()};
        std::vector<std::string> copy = args;
        for (std::string &arg : copy) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }

    // Waits until the reader's mailslot exists.
    bool waitForSlot() {
        for (int i = 0; i < 500; ++i) {
            HANDLE slot = CreateFileA(path_, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (slot != INVALID_HANDLE_VALUE) {
                CloseHandle(slot);
                return true;
            }
            Sleep(10);
        }
        return false;
    }

    // Waits for the program to end; its exit code, or -1.
    int finish(int timeoutMs = 20000) {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            Sleep(10);
        }
        return -1;
    }

    void sendRaw(const std::vector<unsigned char> &bytes) {
        HANDLE slot = CreateFileA(path_, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(slot, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(slot, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        CloseHandle(slot);
    }

    static std::vector<unsigned char> record(int32_t level, const std::string &text, bool terminated = true) {
        std::vector<unsigned char> bytes(ZELLOG_TEXT_OFFSET + text.size() + (terminated ? 1 : 0), 0);
        std::memcpy(bytes.data(), &level, sizeof level);
        std::memcpy(bytes.data() + ZELLOG_STAMP_OFFSET, "01/02/2026 03:04:05.06", 22);
        std::memcpy(bytes.data() + ZELLOG_SOURCE_OFFSET, "raw", 3);
        std::memcpy(bytes.data() + ZELLOG_TEXT_OFFSET, text.data(), text.size());
        return bytes;
    }

    std::string out() const { return readFile(dir_ + "/out"); }
    std::string err() const { return readFile(dir_ + "/err"); }

    std::string name_;
    std::string dir_;
    char path_[300];
    pid_t pid_ = -1;
};

TEST_F(LogReaderProgram, PrintsRecordsAndRefusesMalformedOnes) {
    run({name_, "--count", "3", "--timeout", "20"});
    ASSERT_TRUE(waitForSlot());
    sendRaw(std::vector<unsigned char>(44, 0));
    sendRaw(record(6, "no terminator", false));
    sendRaw(record(9, "bad level"));
    std::vector<unsigned char> trailing = record(6, "trailing");
    trailing.push_back('x');
    sendRaw(trailing);
    sendRaw(record(2, "raw record"));
    zelextLog("cradle", 5, "extmodNotify() returned error code %d", 1);
    zelextLog("photo", 6, "%s", "");
    ASSERT_EQ(finish(), 0);

    std::vector<std::string> printed = lines(out());
    ASSERT_EQ(printed.size(), 3u) << out();
    EXPECT_EQ(printed[0], "01/02/2026 03:04:05.06 [2] raw: raw record");
    EXPECT_TRUE(std::regex_match(printed[1], std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\.\d\d \[5\] cradle: )"
                                                         R"(extmodNotify\(\) returned error code 1)")))
        << printed[1];
    EXPECT_TRUE(std::regex_match(printed[2], std::regex(R"(.{22} \[6\] photo: )"))) << printed[2];

    std::vector<std::string> refused = lines(err());
    ASSERT_EQ(refused.size(), 4u) << err();
    EXPECT_NE(refused[0].find("shorter than 45 bytes"), std::string::npos) << refused[0];
    EXPECT_NE(refused[1].find("without its terminating NUL"), std::string::npos) << refused[1];
    EXPECT_NE(refused[2].find("level 9"), std::string::npos) << refused[2];
    EXPECT_NE(refused[3].find("after the text"), std::string::npos) << refused[3];
}

// Records logged before the reader existed arrive first and in order, at
// most 128 of them.
TEST_F(LogReaderProgram, ReceivesWhatWasQueuedBeforeItStarted) {
    for (int i = 0; i < 130; ++i) zelextLog("queue", 6, "queued %d", i);
    run({name_, "--count", "129", "--timeout", "20"});
    ASSERT_TRUE(waitForSlot());
    // The writer thread delivers the queue on its next poll; only then is
    // there room for a new record without dropping the oldest.
    for (int i = 0; i < 1000 && lines(out()).size() < 128; ++i) Sleep(10);
    zelextLog("queue", 6, "fresh");
    ASSERT_EQ(finish(), 0);
    std::vector<std::string> printed = lines(out());
    ASSERT_EQ(printed.size(), 129u);
    for (int i = 0; i < 128; ++i) {
        std::string expected = "queue: queued " + std::to_string(i + 2);
        EXPECT_EQ(printed[i].substr(printed[i].size() - expected.size()), expected) << printed[i];
    }
    EXPECT_NE(printed[128].find("queue: fresh"), std::string::npos);
    EXPECT_TRUE(err().empty()) << err();
}

TEST_F(LogReaderProgram, TimesOutWithoutRecordsAndRefusesBadArguments) {
    run({name_, "--timeout", "1"});
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(out().empty());
    run({name_, "--count", "zero"});
    EXPECT_EQ(finish(), 2);
    EXPECT_NE(err().find("--count"), std::string::npos);
    run({"a/b"});
    EXPECT_EQ(finish(), 2);
}

}  // namespace
