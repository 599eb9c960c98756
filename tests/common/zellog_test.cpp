// The log client against a real mailslot reader: wire layout, the queue kept
// while no reader exists, delivery once one appears, and shut-down.
#include <windows.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "log_collector.h"
#include "zellog.h"

namespace {

using suite::LogCollector;
using suite::LogRecord;

class LogClient : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = LogCollector::uniqueName("zellogtest");
        zelextLogSetSlot(name_.c_str());
    }
    void TearDown() override {
        EXPECT_EQ(zelextLogShutdown(), 1);
        reader_.stop();
    }

    std::string name_;
    LogCollector reader_;
};

TEST_F(LogClient, RecordHasTheExactWireLayout) {
    ASSERT_TRUE(reader_.start(name_));
    SYSTEMTIME before;
    GetLocalTime(&before);
    EXPECT_EQ(zelextLog("cradle", 5, "value %d and %s", 42, "text"), 1);
    EXPECT_EQ(zelextLog("a-source-of-20-chars", 6, "cut"), 1);
    EXPECT_EQ(zelextLog("fifteen-chars-x", 6, "whole"), 1);
    EXPECT_EQ(zelextLog("lvl", 7, "seven"), 1);
    EXPECT_EQ(zelextLog("lvl", -1, "minus"), 1);
    EXPECT_EQ(zelextLog("empty", 2, "%s", ""), 1);
    ASSERT_TRUE(reader_.waitForCount(6));
    std::vector<LogRecord> records = reader_.records();

    const LogRecord &first = records[0];
    std::string text = "value 42 and text";
    ASSERT_EQ(first.bytes.size(), 45 + text.size());
    EXPECT_EQ(first.level, 5);
    EXPECT_EQ(first.source, "cradle");
    EXPECT_EQ(first.text, text);
    EXPECT_EQ(first.bytes.back(), 0);
    // Fields are NUL-padded: nothing but zeros after the source name.
    for (std::size_t i = ZELLOG_SOURCE_OFFSET + 6; i < ZELLOG_TEXT_OFFSET; ++i) EXPECT_EQ(first.bytes[i], 0) << i;
    for (std::size_t i = ZELLOG_STAMP_OFFSET + first.stamp.size(); i < ZELLOG_SOURCE_OFFSET; ++i)
        EXPECT_EQ(first.bytes[i], 0) << i;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(first.stamp, match,
                                 std::regex(R"((\d\d)/(\d\d)/(\d{4}) (\d\d):(\d\d):(\d\d)\.(\d\d))")))
        << first.stamp;
    EXPECT_EQ(std::stoi(match[3]), before.wYear);
    EXPECT_EQ(std::stoi(match[2]), before.wMonth);

    EXPECT_EQ(records[1].source, "a-source-of-20-");
    EXPECT_EQ(records[1].bytes[ZELLOG_SOURCE_OFFSET + 15], 0);
    EXPECT_EQ(records[2].source, "fifteen-chars-x");
    EXPECT_EQ(records[3].level, 0);
    EXPECT_EQ(records[4].level, 0);
    EXPECT_EQ(records[5].bytes.size(), 45u);
    EXPECT_EQ(records[5].level, 2);
}

// Day before month, four-digit year, hundredths rounded down; on a date whose
// day and month differ, so a swap shows.
TEST(LogStamp, DayMonthYearAndHundredthsOnAFixedDate) {
    struct Case { int y, mo, d, h, mi, s, ms; const char *expected; };
    for (Case c : {Case{2026, 12, 6, 9, 5, 3, 70, "06/12/2026 09:05:03.07"},
                   Case{2005, 1, 31, 23, 59, 59, 999, "31/01/2005 23:59:59.99"},
                   Case{2004, 5, 21, 0, 0, 0, 9, "21/05/2004 00:00:00.00"}}) {
        char field[ZELLOG_STAMP_SIZE] = {};
        zellogFormatStamp(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms, field);
        EXPECT_STREQ(field, c.expected);
    }
    // A year past 9999 is cut to the field's 23 characters and keeps its NUL.
    char field[ZELLOG_STAMP_SIZE + 1];
    std::memset(field, 0, sizeof field);
    field[ZELLOG_STAMP_SIZE] = 'x';
    zellogFormatStamp(123456, 12, 6, 9, 5, 3, 70, field);
    EXPECT_EQ(std::strlen(field), ZELLOG_STAMP_SIZE - 1u);
    EXPECT_EQ(field[ZELLOG_STAMP_SIZE], 'x');
}

TEST_F(LogClient, NoSourceSendsNothingAndLongTextIsCut) {
    ASSERT_TRUE(reader_.start(name_));
    EXPECT_EQ(zelextLog(nullptr, 6, "dropped"), 0);
    std::string longText(6000, 'x');
    EXPECT_EQ(zelextLog("src", 6, "%s", longText.c_str()), 1);
    EXPECT_EQ(zelextLog("src", 6, "last"), 1);
    ASSERT_TRUE(reader_.waitForText("last"));
    std::vector<LogRecord> records = reader_.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].text, std::string(ZELLOG_TEXT_BUFFER - 1, 'x'));
    EXPECT_EQ(records[0].bytes.size(), 45u + ZELLOG_TEXT_BUFFER - 1);
}

// Without a reader at most 128 records wait, the oldest dropped first; a
// reader that appears later gets them in order without another message.
TEST_F(LogClient, QueuedRecordsReachALateReaderInOrder) {
    for (int i = 0; i < 130; ++i) EXPECT_EQ(zelextLog("queue", 6, "message %d", i), 1);
    Sleep(250);  // the writer keeps retrying meanwhile
    ASSERT_TRUE(reader_.start(name_));
    ASSERT_TRUE(reader_.waitForCount(MAX_PENDING_RECORDS));
    zelextLog("queue", 6, "after");
    ASSERT_TRUE(reader_.waitForText("after"));
    std::vector<std::string> texts = reader_.texts();
    ASSERT_EQ(texts.size(), MAX_PENDING_RECORDS + 1u);
    for (int i = 0; i < MAX_PENDING_RECORDS; ++i) EXPECT_EQ(texts[i], "message " + std::to_string(i + 2));
    EXPECT_EQ(texts.back(), "after");
}

// A reader that goes away and comes back: records logged meanwhile arrive
// once it is back, also after an earlier writer thread has finished.
TEST_F(LogClient, ReaderThatComesBackGetsWhatWasQueued) {
    zelextLog("again", 6, "first");  // queued: starts a writer
    ASSERT_TRUE(reader_.start(name_));
    ASSERT_TRUE(reader_.waitForText("first"));
    reader_.stop();
    for (int i = 0; i < 3; ++i) zelextLog("again", 6, "while away %d", i);
    ASSERT_TRUE(reader_.start(name_));
    ASSERT_TRUE(reader_.waitForText("while away 2"));
    std::vector<std::string> texts = reader_.texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], "while away 0");
    EXPECT_EQ(texts[2], "while away 1");
}

TEST_F(LogClient, ManyThreadsEachKeepTheirOrder) {
    ASSERT_TRUE(reader_.start(name_));
    constexpr int kThreads = 4, kMessages = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kMessages; ++i) zelextLog("thread", 6, "%d %d", t, i);
        });
    for (std::thread &thread : threads) thread.join();
    ASSERT_TRUE(reader_.waitForCount(kThreads * kMessages));
    int next[kThreads] = {};
    for (const std::string &text : reader_.texts()) {
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(text.c_str(), "%d %d", &t, &i), 2);
        ASSERT_GE(t, 0);
        ASSERT_LT(t, kThreads);
        EXPECT_EQ(i, next[t]++);
    }
}

// Shut-down with records pending and the writer waiting ends promptly and
// discards them; the client works again afterwards and is back on the
// default mailslot until told otherwise.
TEST_F(LogClient, ShutdownDiscardsPendingRecordsAndRestarts) {
    for (int i = 0; i < 5; ++i) zelextLog("stop", 6, "pending %d", i);
    DWORD start = GetTickCount();
    EXPECT_EQ(zelextLogShutdown(), 1);
    EXPECT_LT(GetTickCount() - start, 5000u);
    zelextLogSetSlot(name_.c_str());
    ASSERT_TRUE(reader_.start(name_));
    zelextLog("stop", 6, "fresh");
    ASSERT_TRUE(reader_.waitForText("fresh"));
    Sleep(200);
    EXPECT_EQ(reader_.texts(), std::vector<std::string>{"fresh"});
}

// Never told a name, or told none, the client writes to "zellog". The test
// keeps its mailslots in a directory of its own so that it cannot meet a
// reader of the user's.
TEST(LogClientDefault, WritesToZellogWithoutAName) {
    char dir[] = "/tmp/zellog-default-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const char *saved = getenv("XDG_RUNTIME_DIR");
    std::string savedValue = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", dir, 1);
    {
        LogCollector reader;
        ASSERT_TRUE(reader.start("zellog"));
        zelextLogSetSlot("elsewhere");
        zelextLogSetSlot(nullptr);
        EXPECT_EQ(zelextLog("default", 6, "to the default"), 1);
        EXPECT_TRUE(reader.waitForText("to the default"));
        zelextLogShutdown();
    }
    if (saved)
        setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    std::string slotDir = std::string(dir) + "/mailslot";
    rmdir(slotDir.c_str());
    rmdir(dir);
}

}  // namespace
