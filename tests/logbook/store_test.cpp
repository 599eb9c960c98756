// The log file store, the file reader and the rows of the log pages, driven
// directly on files in a temporary directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <filesystem>
#include <fstream>
#include <thread>

#include "logrows.h"
#include "logstore.h"
#include "records.h"

namespace fs = std::filesystem;
using logtest::readLog;
using logtest::record;
using logtest::textsOf;

namespace {

class Store : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/logbook-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/logbook.log";
    }
    void TearDown() override {
        logstoreClose();
        fs::remove_all(dir_);
    }

    void append(int level, const std::string &source, const std::string &text) {
        auto bytes = record(level, source, text);
        ASSERT_EQ(logstoreAppend(bytes.data(), bytes.size()), 0) << text;
    }
    std::vector<std::string> query(const std::string &source, int maxLevel = 6) {
        std::vector<LogstoreEntry> entries;
        EXPECT_GE(logstoreQuery(source.c_str(), maxLevel, 0, &entries), 0);
        std::vector<std::string> texts;
        for (auto &e : entries) texts.push_back(e.text);
        return texts;
    }
    uint64_t fileSize(const std::string &path) { return fs::exists(path) ? fs::file_size(path) : 0; }

    std::string dir_, path_;
};

TEST_F(Store, QueriesOneSourceNewestFirstAcrossReopening) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    EXPECT_EQ(logstoreOpen(path_.c_str(), 0), -1);
    append(6, "photo", "p1");
    append(5, "upnp", "u1");
    append(2, "photo", "p2");
    append(6, "photo", "p3");
    EXPECT_EQ(query("photo"), (std::vector<std::string>{"p3", "p2", "p1"}));
    EXPECT_EQ(query("photo", 2), (std::vector<std::string>{"p2"}));
    EXPECT_EQ(query("upnp"), (std::vector<std::string>{"u1"}));
    EXPECT_TRUE(query("Photo").empty());  // names are exact

    // The index is rebuilt from the file, and new records extend it.
    ASSERT_EQ(logstoreClose(), 0);
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    append(6, "photo", "p4");
    EXPECT_EQ(query("photo"), (std::vector<std::string>{"p4", "p3", "p2", "p1"}));
    EXPECT_EQ(logstoreCount(), 5u);

    std::vector<LogstoreEntry> limited;
    EXPECT_EQ(logstoreQuery("photo", 6, 2, &limited), 2);
    EXPECT_EQ(limited[0].text, "p4");
    EXPECT_EQ(limited[0].stamp, "07/12/2026 10:00:00.00");
    EXPECT_EQ(limited[1].level, 6);
}

TEST_F(Store, QueriesSinceWhatWasSeenReturnOnlyNewRecordsAcrossRotation) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), 1), 0);
    uint64_t seen = 0, other = 0;
    std::vector<LogstoreEntry> got;
    EXPECT_EQ(logstoreQuerySince("photo", 6, nullptr, &got), -2);
    EXPECT_EQ(logstoreQuerySince("photo", 6, &seen, &got), 0);
    append(6, "photo", "p1");
    append(2, "photo", "p2");
    append(6, "upnp", "u1");
    EXPECT_EQ(logstoreQuerySince("photo", 6, &seen, &got), 2);
    EXPECT_EQ(got[0].text, "p2");
    EXPECT_EQ(seen, 2u);
    EXPECT_EQ(logstoreQuerySince("photo", 6, &seen, &got), 0);
    // Records above the level are skipped but still count as seen.
    append(6, "photo", "p3");
    append(2, "photo", "p4");
    EXPECT_EQ(logstoreQuerySince("photo", 2, &seen, &got), 1);
    EXPECT_EQ(got[0].text, "p4");
    EXPECT_EQ(seen, 4u);
    EXPECT_EQ(logstoreQuerySince("upnp", 6, &other, &got), 1);

    // New records that straddle a rotation are all returned, newest first.
    std::string filler(300, 'x');
    int written = 0;
    while (!fs::exists(path_ + ".1")) append(6, "photo", std::to_string(written++) + filler);
    append(6, "photo", "after rotation");
    EXPECT_EQ(logstoreQuerySince("photo", 6, &seen, &got), written + 1);
    EXPECT_EQ(got.front().text, "after rotation");
    EXPECT_EQ(got.back().text, "0" + filler);

    // Reopened, the store counts afresh from what its files hold.
    ASSERT_EQ(logstoreClose(), 0);
    ASSERT_EQ(logstoreOpen(path_.c_str(), 1), 0);
    uint64_t fresh = 0;
    int held = logstoreQuerySince("photo", 6, &fresh, &got);
    EXPECT_EQ(static_cast<int>(query("photo").size()), held);
    append(6, "photo", "newest");
    EXPECT_EQ(logstoreQuerySince("photo", 6, &fresh, &got), 1);
    EXPECT_EQ(got[0].text, "newest");
}

TEST_F(Store, RefusesRecordsThatAreNotSound) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    auto bytes = record(6, "photo", "text");
    EXPECT_EQ(logstoreAppend(bytes.data(), 44), -2);               // too short
    auto badLevel = record(7, "photo", "x");
    EXPECT_EQ(logstoreAppend(badLevel.data(), badLevel.size()), -2);
    auto noNul = bytes;
    noNul.back() = 'x';
    EXPECT_EQ(logstoreAppend(noNul.data(), noNul.size()), -2);
    auto trailing = bytes;
    trailing.push_back(0);  // bytes after the text's NUL
    EXPECT_EQ(logstoreAppend(trailing.data(), trailing.size()), -2);
    EXPECT_EQ(logstoreCount(), 0u);
    EXPECT_TRUE(readLog(path_).empty());
}

TEST_F(Store, RecordCutInTheMiddleIsSkippedAndNewRecordsFollowTheLastSoundOne) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    for (int i = 0; i < 5; ++i) append(6, "cradle", "r" + std::to_string(i));
    logstoreClose();
    // A crash while the last record was written: it ends in the middle.
    ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(fileSize(path_) - 3)), 0);
    EXPECT_EQ(textsOf(readLog(path_)), (std::vector<std::string>{"r0", "r1", "r2", "r3"}));

    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    EXPECT_EQ(logstoreCount(), 4u);
    EXPECT_EQ(logstoreSkipped(), 1u);
    append(6, "cradle", "after");
    logstoreClose();
    EXPECT_EQ(textsOf(readLog(path_)), (std::vector<std::string>{"r0", "r1", "r2", "r3", "after"}));
}

TEST_F(Store, DamageInsideTheFileSkipsOnlyTheDamagedRecord) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    for (int i = 0; i < 4; ++i) append(6, "cradle", "record number " + std::to_string(i));
    logstoreClose();
    // Flip one byte of the second record's text.
    std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), {});
    std::size_t at = all.find("record number 1");
    ASSERT_NE(at, std::string::npos);
    file.seekp(static_cast<std::streamoff>(at));
    file.put('R');
    file.close();

    EXPECT_EQ(textsOf(readLog(path_)),
              (std::vector<std::string>{"record number 0", "record number 2", "record number 3"}));
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    EXPECT_EQ(query("cradle"), (std::vector<std::string>{"record number 3", "record number 2", "record number 0"}));
    append(6, "cradle", "next");
    EXPECT_EQ(query("cradle").front(), "next");
}

TEST_F(Store, GarbageTailAndCutHeaderAreRepaired) {
    // A file cut inside its first bytes starts afresh.
    { std::ofstream(path_, std::ios::binary) << "ZLOG"; }
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    append(6, "cradle", "one");
    logstoreClose();
    // Zeros after the last record (space allocated, never written).
    { std::ofstream(path_, std::ios::binary | std::ios::app) << std::string(100, '\0'); }
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    append(6, "cradle", "two");
    logstoreClose();
    EXPECT_EQ(textsOf(readLog(path_)), (std::vector<std::string>{"one", "two"}));
}

TEST_F(Store, AForeignFileIsKeptAsideNotOverwritten) {
    { std::ofstream(path_, std::ios::binary) << "some other program's notes\n"; }
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    append(6, "cradle", "mine");
    logstoreClose();
    std::ifstream aside(path_ + ".bad");
    std::string line;
    std::getline(aside, line);
    EXPECT_EQ(line, "some other program's notes");
    EXPECT_EQ(textsOf(readLog(path_)), (std::vector<std::string>{"mine"}));
}

TEST_F(Store, RotatesAtTheSizeLimitKeepingOneOlderGeneration) {
    const uint64_t limit = LOGSTORE_MIN_MAX_SIZE;
    ASSERT_EQ(logstoreOpen(path_.c_str(), 1), 0);  // raised to the minimum
    std::string filler(200, 'x');
    int written = 0;
    // Fill past one rotation, not two: both generations hold everything.
    while (!fs::exists(path_ + ".1") || fileSize(path_) < limit / 2) {
        append(6, written % 2 ? "photo" : "upnp", std::to_string(written) + filler);
        ++written;
        ASSERT_LE(fileSize(path_), limit);
    }
    EXPECT_LE(fileSize(path_ + ".1"), limit);
    EXPECT_GT(fileSize(path_ + ".1") + 300, limit);  // rotated only when the next record did not fit
    auto all = readLog(path_);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(written));
    for (int i = 0; i < written; ++i) EXPECT_EQ(all[i].text, std::to_string(i) + filler);
    // Queries span both generations, newest first.
    auto photo = query("photo");
    ASSERT_EQ(photo.size(), static_cast<std::size_t>(written / 2));
    EXPECT_EQ(photo.front().substr(0, photo.front().find('x')), std::to_string(written % 2 ? written - 2 : written - 1));
    EXPECT_EQ(photo.back().substr(0, photo.back().find('x')), "1");

    // A second rotation drops the oldest generation: the log stays bounded.
    while (fileSize(path_) + 300 < limit) append(6, "photo", filler);
    append(6, "photo", filler);
    append(6, "photo", "last");
    EXPECT_LE(fileSize(path_) + fileSize(path_ + ".1"), 2 * limit);
    EXPECT_EQ(query("upnp").size() + query("photo").size(), logstoreCount());
    EXPECT_EQ(query("photo").front(), "last");
}

TEST_F(Store, AFileAlreadyAtItsLimitRotatesOnTheFirstAppend) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), LOGSTORE_DEFAULT_MAX_SIZE), 0);
    std::string filler(500, 'y');
    while (fileSize(path_) < LOGSTORE_MIN_MAX_SIZE) append(6, "cradle", filler);
    logstoreClose();
    uint64_t before = fileSize(path_);
    ASSERT_EQ(logstoreOpen(path_.c_str(), LOGSTORE_MIN_MAX_SIZE), 0);
    append(6, "cradle", "fresh");
    EXPECT_EQ(fileSize(path_ + ".1"), before);
    EXPECT_LT(fileSize(path_), 100u);
    EXPECT_EQ(query("cradle").front(), "fresh");
}

TEST_F(Store, FollowerSeesAppendsAcrossRotationInOrder) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), LOGSTORE_MIN_MAX_SIZE), 0);
    append(6, "cradle", "0");
    constexpr int total = 400;  // about two rotations of 16 KiB
    struct Seen {
        std::mutex lock;
        std::condition_variable changed;
        std::vector<std::string> texts;
    } seen;
    auto sink = [](const unsigned char *record, std::size_t, void *context) {
        auto *s = static_cast<Seen *>(context);
        std::lock_guard<std::mutex> guard(s->lock);
        s->texts.push_back(logframeText(record));
        s->changed.notify_all();
        return s->texts.size() < total;
    };
    std::atomic<int> rc{1};
    std::thread follower([&] { rc = logfollowRun(path_.c_str(), true, 10000, sink, &seen); });
    std::string filler(100, 'z');
    for (int i = 1; i < total; ++i) {
        auto bytes = record(6, "cradle", std::to_string(i) + (i % 3 ? "" : filler));
        EXPECT_EQ(logstoreAppend(bytes.data(), bytes.size()), 0);
        // A reader more than two rotations behind loses the oldest file by
        // design; let the follower catch up within one rotation (~9 KiB).
        if (i % 100 == 0) {
            std::unique_lock<std::mutex> guard(seen.lock);
            if (!seen.changed.wait_for(guard, std::chrono::seconds(10),
                                       [&] { return seen.texts.size() == static_cast<std::size_t>(i + 1); })) {
                ADD_FAILURE() << "the follower did not catch up with record " << i;
                break;
            }
        }
    }
    follower.join();
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(seen.texts.size(), static_cast<std::size_t>(total));
    for (int i = 0; i < total; ++i) EXPECT_EQ(seen.texts[i].substr(0, std::to_string(i).size()), std::to_string(i));
}

TEST_F(Store, FollowerEndsAfterItsQuietTimeAndRefusesForeignFiles) {
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    append(6, "cradle", "only");
    std::vector<logtest::Read> got;
    EXPECT_EQ(logfollowRun(path_.c_str(), true, 100, logtest::collect, &got), 0);
    EXPECT_EQ(got.size(), 1u);
    std::string foreign = dir_ + "/notes.txt";
    { std::ofstream(foreign) << "hello there, this is text\n"; }
    EXPECT_EQ(logfollowRun(foreign.c_str(), false, -1, logtest::collect, &got), -2);
    EXPECT_EQ(logfollowRun((dir_ + "/missing.log").c_str(), false, -1, logtest::collect, &got), -3);
}

TEST_F(Store, RowsCarryDateMessageAndTheImageOfTheLevel) {
    EXPECT_EQ(logrowsBuild("photo", 6, nullptr), -2);
    std::vector<LogRow> rows;
    EXPECT_EQ(logrowsBuild("photo", 6, &rows), -1);  // store not open
    ASSERT_EQ(logstoreOpen(path_.c_str(), 0), 0);
    for (int level = 0; level <= 6; ++level) append(level, "photo", "level " + std::to_string(level));
    append(6, "upnp", "not mine");
    append(6, "photo", "two\r\nlines\tand a tab");
    EXPECT_EQ(logrowsBuild("photo", -1, &rows), -2);
    ASSERT_EQ(logrowsBuild("photo", 6, &rows), 8);
    EXPECT_EQ(rows[0].message, "two  lines and a tab");
    EXPECT_EQ(rows[0].date, "07/12/2026 10:00:00.00");
    // Levels 0 to 6 take images 3 to 9, in the icon order 106, 111, 108, 110, 109, 112, 107.
    const int icons[] = {106, 111, 108, 110, 109, 112, 107};
    for (int level = 0; level <= 6; ++level) {
        const LogRow &row = rows[7 - level];
        EXPECT_EQ(row.message, "level " + std::to_string(level));
        EXPECT_EQ(row.image, 3 + level);
        EXPECT_EQ(logrowsIcon(level), icons[level]);
    }
    EXPECT_EQ(logrowsImage(42), 3);
    // The number is the most detailed level shown.
    ASSERT_EQ(logrowsBuild("photo", 2, &rows), 3);
    EXPECT_EQ(rows[0].message, "level 2");
}

}  // namespace
