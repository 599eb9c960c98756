// A real reader of a log mailslot for tests: creates the mailslot under a
// name of its own and collects every record on a background thread.
#ifndef TESTS_SUPPORT_LOG_COLLECTOR_H
#define TESTS_SUPPORT_LOG_COLLECTOR_H

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace suite {

struct LogRecord {
    int level = 0;
    std::string stamp;
    std::string source;
    std::string text;
    std::vector<unsigned char> bytes;  // the record exactly as received
};

class LogCollector {
public:
    // A name of the form "<prefix>-<pid>-<n>", unique in this process.
    static std::string uniqueName(const std::string &prefix = "testlog");

    LogCollector() = default;
    ~LogCollector();
    LogCollector(const LogCollector &) = delete;
    LogCollector &operator=(const LogCollector &) = delete;

    // Creates the mailslot and starts reading; false if it cannot be made.
    bool start(const std::string &name);
    // Stops reading and closes the mailslot (records stay available).
    void stop();

    const std::string &name() const { return name_; }
    bool running() const { return slot_ != nullptr; }

    std::vector<LogRecord> records() const;
    std::vector<std::string> texts() const;
    void clear();

    // Waits until a record satisfies the condition; false after timeoutMs.
    bool waitFor(const std::function<bool(const LogRecord &)> &condition, int timeoutMs = 5000) const;
    bool waitForText(const std::string &text, int timeoutMs = 5000) const;
    bool waitForCount(std::size_t count, int timeoutMs = 5000) const;
    // Sends a marker record through this process's log client and waits for
    // it: every record this process sent before it has then arrived. Removes
    // the marker. The log client must point at this collector's mailslot.
    bool sync(int timeoutMs = 5000);

private:
    void readLoop();

    std::string name_;
    HANDLE slot_ = nullptr;
    bool stopping_ = false;
    std::thread reader_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<LogRecord> records_;
};

}  // namespace suite

#endif
