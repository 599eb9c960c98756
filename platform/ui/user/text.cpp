// Window text is 8-bit in the Windows ANSI code page (1252); Qt works in
// UTF-16. Bytes 0x80..0x9F map to the code page's letters and signs; the
// rest of the code page equals Latin-1. Characters outside it become '?'.
#include "user/window.h"

#include <cstring>

namespace platform::ui {
namespace {

const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString fromAnsi(const char *s) {
    QString out;
    if (!s) return out;
    size_t n = std::strlen(s);
    out.reserve(static_cast<qsizetype>(n));
    for (size_t i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(s[i]);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kHigh[b - 0x80]) : QChar(b));
    }
    return out;
}

QString fromAnsi(const std::string &s) { return fromAnsi(s.c_str()); }

std::string toAnsi(const QString &s) {
    std::string out;
    out.reserve(static_cast<size_t>(s.size()));
    for (QChar c : s) {
        char16_t u = c.unicode();
        // U+0080..U+009F stand for their own byte: resource text is stored
        // one UTF-16 unit per byte.
        if (u <= 0xFF) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == u) b = static_cast<char>(0x80 + i);
        out.push_back(b);
    }
    return out;
}

int copyText(const std::string &text, LPSTR buffer, int max) {
    if (!buffer || max <= 0) return 0;
    size_t n = std::min(text.size(), static_cast<size_t>(max - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace platform::ui
