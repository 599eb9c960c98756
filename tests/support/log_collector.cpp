#include "log_collector.h"

#include <atomic>
#include <chrono>
#include <cstring>

#include "zellog.h"

namespace suite {

std::string LogCollector::uniqueName(const std::string &prefix) {
    static std::atomic<int> counter{0};
    return prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

LogCollector::~LogCollector() { stop(); }

bool LogCollector::start(const std::string &name) {
    stop();
    char path[300];
    zelextLogSlotPath(name.c_str(), path, sizeof path);
    // A short read time-out lets the reader notice a stop.
    HANDLE slot = CreateMailslotA(path, 0, 50, nullptr);
    if (slot == INVALID_HANDLE_VALUE) return false;
    name_ = name;
    slot_ = slot;
    stopping_ = false;
    reader_ = std::thread([this] { readLoop(); });
    return true;
}

void LogCollector::stop() {
    if (!slot_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    reader_.join();
    CloseHandle(slot_);
    slot_ = nullptr;
}

void LogCollector::readLoop() {
    std::vector<unsigned char> buffer(65536);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
        }
        DWORD size = 0;
        if (!ReadFile(slot_, buffer.data(), static_cast<DWORD>(buffer.size()), &size, nullptr)) continue;
        LogRecord record;
        record.bytes.assign(buffer.begin(), buffer.begin() + size);
        if (size >= ZELLOG_MIN_RECORD) {
            int32_t level;
            std::memcpy(&level, buffer.data(), sizeof level);
            record.level = level;
            auto field = [&](std::size_t offset, std::size_t limit) {
                const char *text = reinterpret_cast<const char *>(buffer.data() + offset);
                return std::string(text, strnlen(text, limit));
            };
            record.stamp = field(ZELLOG_STAMP_OFFSET, ZELLOG_STAMP_SIZE);
            record.source = field(ZELLOG_SOURCE_OFFSET, ZELLOG_SOURCE_SIZE);
            record.text = field(ZELLOG_TEXT_OFFSET, size - ZELLOG_TEXT_OFFSET);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            records_.push_back(std::move(record));
        }
        arrived_.notify_all();
    }
}

std::vector<LogRecord> LogCollector::records() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
}

std::vector<std::string> LogCollector::texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> result;
    for (const LogRecord &record : records_) result.push_back(record.text);
    return result;
}

void LogCollector::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.clear();
}

bool LogCollector::waitFor(const std::function<bool(const LogRecord &)> &condition, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    std::size_t checked = 0;
    return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (; checked < records_.size(); ++checked)
            if (condition(records_[checked])) return true;
        return false;
    });
}

bool LogCollector::waitForText(const std::string &text, int timeoutMs) const {
    return waitFor([&](const LogRecord &record) { return record.text == text; }, timeoutMs);
}

bool LogCollector::waitForCount(std::size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return records_.size() >= count; });
}

bool LogCollector::sync(int timeoutMs) {
    static std::atomic<int> counter{0};
    std::string marker = "--sync " + name_ + " " + std::to_string(counter++) + "--";
    zelextLog("testsync", 6, "%s", marker.c_str());
    bool found = waitForText(marker, timeoutMs);
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(records_, [&](const LogRecord &record) { return record.text == marker; });
    return found;
}

}  // namespace suite
