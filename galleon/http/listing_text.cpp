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

namespace {

// Length of the valid UTF-8 sequence at p (at most n bytes), 0 when none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
size_t utf8Sequence(const unsigned char* p, size_t n) {
    unsigned char c = p[0];
    if (c < 0x80) return 1;
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) len = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else return 0;
    if (n < len || p[1] < lo || p[1] > hi) return 0;
    for (size_t i = 2; i < len; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return len;
}

// Characters of the bytes 0x80 to 0x9F in the Windows Western code page;
// 0 where it has none.
const unsigned short kWestern80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

}  // namespace

std::string listingDisplayText(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    std::string out;
    out.reserve(n + 8);
    for (size_t i = 0; i < n;) {
        size_t len = utf8Sequence(p + i, n - i);
        if (len) {
            out.append(text, i, len);
            i += len;
            continue;
        }
        unsigned char c = p[i++];
        unsigned cp = c >= 0xA0 ? c : kWestern80[c - 0x80];
        appendUtf8(out, cp ? cp : 0xFFFD);
    }
    return out;
}

std::string listingHtmlEscape(const std::string& raw) {
    std::string text = listingDisplayText(raw);
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
