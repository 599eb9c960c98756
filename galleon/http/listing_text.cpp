#include "listing_text.h"

#include <cstdio>
#include <mutex>
#include <unordered_map>

std::string listingUrlEscape(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 8);
    for (unsigned char c : text) {
        bool safe = c == '-' || c == '.' || c == '/' || c == '_' || (c >= '0' && c <= '9') ||
                    (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (safe) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string listingHtmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string listingSizeText(unsigned long long bytes) {
    if (bytes < 1024) return "1 KB";
    unsigned long long kb = (bytes + 1023) / 1024;
    std::string digits = std::to_string(kb);
    std::string grouped;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i && (n - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped + " KB";
}

namespace {

// Date texts by minute: a folder's files share few minutes, and formatting in
// the locale costs far more than a lookup.
std::mutex g_dateLock;
std::unordered_map<unsigned long long, std::string> g_dates;
constexpr size_t kMaxDates = 8192;
constexpr unsigned long long kTicksPerMinute = 600000000ULL;

std::string formatDate(const FILETIME& time) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &st)) return "";
    char date[80], clock[80];
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date)) return "";
    if (!GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, clock, sizeof clock)) return date;
    return std::string(date) + " " + clock;
}

}  // namespace

std::string listingDateText(const FILETIME& time) {
    unsigned long long minute =
        ((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / kTicksPerMinute;
    {
        std::lock_guard<std::mutex> guard(g_dateLock);
        auto it = g_dates.find(minute);
        if (it != g_dates.end()) return it->second;
    }
    FILETIME start;
    unsigned long long ticks = minute * kTicksPerMinute;
    start.dwLowDateTime = static_cast<DWORD>(ticks);
    start.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    std::string text = formatDate(start);
    std::lock_guard<std::mutex> guard(g_dateLock);
    if (g_dates.size() >= kMaxDates) g_dates.clear();
    g_dates.emplace(minute, text);
    return text;
}

std::string listingSysColor(int index, const char* fallback) {
    DWORD c = GetSysColor(index);
    if (c == 0) return fallback;
    char text[8];
    std::snprintf(text, sizeof text, "%.2X%.2X%.2X", static_cast<unsigned>(GetRValue(c)),
                  static_cast<unsigned>(GetGValue(c)), static_cast<unsigned>(GetBValue(c)));
    return text;
}
