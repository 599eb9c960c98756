#include "textwidth.h"

#include <gd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr double kPoints = 11 * 72.0 / 96.0;  // 11 pixels at gd's 96 dpi
constexpr int kMaxWords = 255;

int measure(const std::string& s) {
    if (s.empty()) return 0;
    static std::once_flag once;
    std::call_once(once, [] {
        gdFontCacheSetup();
        std::atexit(gdFontCacheShutdown);  // also when the plug-in is unloaded
    });
    // gd reads "&#NNN;" as a character reference; spell '&' that way too.
    std::string t;
    t.reserve(s.size());
    for (char c : s) {
        if (c == '&') t += "&#38;";
        else t += c;
    }
    int brect[8] = {};
    if (gdImageStringFT(nullptr, brect, 0, const_cast<char*>(kFont), kPoints, 0, 0, 0, const_cast<char*>(t.c_str())))
        return 0;
    return brect[2] - brect[0];
}

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Longest prefix of a word (on character boundaries) that fits the width.
std::string cut(const std::string& word, int width) {
    size_t lo = 0;
    for (size_t i = 1; i <= word.size(); ++i) {
        if (i < word.size() && continuation(static_cast<unsigned char>(word[i]))) continue;
        if (measure(word.substr(0, i)) > width) break;
        lo = i;
    }
    return word.substr(0, lo);
}

// Replaces the last three characters by "...".
void ellipsis(std::string& s) {
    size_t end = s.size();
    for (int n = 0; n < 3 && end > 0; ++n) {
        --end;
        while (end > 0 && continuation(static_cast<unsigned char>(s[end]))) --end;
    }
    s.resize(end);
    s += "...";
}

}  // namespace

int textWidth(const char* text, int length) {
    if (!text) return 0;
    if (length < 0) length = static_cast<int>(std::strlen(text));
    return measure(std::string(text, length));
}

int textFitLabel(const char* text, char* out, int size, int width) {
    if (!out || size <= 0) return 0;
    out[0] = 0;
    if (!text) return 0;
    std::string whole = text;
    std::string result;
    if (measure(whole) <= width) {
        result = whole;
    } else {
        std::vector<std::string> words;
        size_t i = 0;
        while (i < whole.size() && static_cast<int>(words.size()) < kMaxWords) {
            while (i < whole.size() && std::strchr(" \t\r\n", whole[i])) ++i;
            size_t j = i;
            while (j < whole.size() && !std::strchr(" \t\r\n", whole[j])) ++j;
            if (j > i) words.push_back(whole.substr(i, j - i));
            i = j;
        }
        bool dropped = i < whole.size() && whole.find_first_not_of(" \t\r\n", i) != std::string::npos;
        std::vector<std::string> lines;
        std::string cur;
        size_t w = 0;
        for (; w < words.size(); ++w) {
            std::string word = words[w];
            if (measure(word) > width) {
                std::string part = cut(word, width);
                if (part.size() < word.size()) dropped = true;
                word = part;
            }
            std::string candidate = cur.empty() ? word : cur + " " + word;
            if (measure(candidate) <= width || cur.empty()) {
                cur = candidate;
                if (dropped) {
                    ++w;
                    break;
                }
                continue;
            }
            lines.push_back(cur);
            if (lines.size() == 2) {
                cur.clear();
                break;
            }
            cur = word;
            if (dropped) {
                ++w;
                break;
            }
        }
        if (!cur.empty() && lines.size() < 2) lines.push_back(cur);
        if (w < words.size()) dropped = true;
        for (size_t k = 0; k < lines.size(); ++k) {
            if (k) result += '\n';
            result += lines[k];
        }
        if (dropped) ellipsis(result);
    }
    if (result.size() >= static_cast<size_t>(size)) result.resize(size - 1);
    std::memcpy(out, result.c_str(), result.size() + 1);
    return static_cast<int>(result.size());
}
