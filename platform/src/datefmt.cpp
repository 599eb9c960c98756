// GetDateFormatA and GetTimeFormatA: Win32 pictures, with the default
// pictures and the day and month names taken from the process's LC_TIME.
#include <windows.h>

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The LC_TIME locale of the process: the program's own choice if it made one
// with setlocale, else the one the environment names (LC_ALL, LC_TIME, LANG),
// else "C".
class TimeLocale {
public:
    TimeLocale() {
        const char *current = setlocale(LC_TIME, nullptr);
        if (current && strcmp(current, "C") != 0 && strcmp(current, "POSIX") != 0)
            locale_ = duplocale(uselocale(static_cast<locale_t>(0)));
        else
            locale_ = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
        if (!locale_) locale_ = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    }
    ~TimeLocale() {
        if (locale_) freelocale(locale_);
    }
    TimeLocale(const TimeLocale &) = delete;
    TimeLocale &operator=(const TimeLocale &) = delete;
    const char *item(nl_item item) const { return locale_ ? nl_langinfo_l(item, locale_) : nl_langinfo(item); }

private:
    locale_t locale_ = static_cast<locale_t>(0);
};

struct Token {
    char field = 0;  // 0 for literal text
    int count = 0;
    std::string text;
};

std::vector<Token> tokenize(const std::string &picture, const char *fields) {
    std::vector<Token> tokens;
    auto literal = [&](const std::string &s) {
        if (tokens.empty() || tokens.back().field) tokens.push_back(Token{});
        tokens.back().text += s;
    };
    for (size_t i = 0; i < picture.size();) {
        char c = picture[i];
        if (c == '\'') {
            // 'quoted text'; '' is a quote.
            size_t j = i + 1;
            std::string text;
            while (j < picture.size()) {
                if (picture[j] == '\'') {
                    if (j + 1 < picture.size() && picture[j + 1] == '\'') {
                        text += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += picture[j++];
            }
            if (i + 1 < picture.size() && picture[i + 1] == '\'' && text.empty()) text = "'";
            literal(text);
            i = j + 1;
        } else if (strchr(fields, c)) {
            size_t j = i;
            while (j < picture.size() && picture[j] == c) ++j;
            tokens.push_back(Token{c, static_cast<int>(j - i), {}});
            i = j;
        } else {
            literal(std::string(1, c));
            ++i;
        }
    }
    return tokens;
}

// Drops every field of this kind together with the text before it (its separator).
void dropField(std::vector<Token> &tokens, char field) {
    for (size_t i = 0; i < tokens.size();) {
        if (tokens[i].field == field) {
            size_t from = i;
            while (from > 0 && !tokens[from - 1].field) --from;
            // Without a field before it, the following text goes instead.
            size_t to = i + 1;
            if (from == 0 && to < tokens.size() && !tokens[to].field) ++to;
            tokens.erase(tokens.begin() + static_cast<long>(from), tokens.begin() + static_cast<long>(to));
            i = from;
        } else {
            ++i;
        }
    }
}

std::string twoDigits(int v) {
    char b[8];
    snprintf(b, sizeof b, "%02d", v % 100);
    return b;
}

// A strftime format of the locale turned into a Win32 picture.
std::string pictureFromStrftime(const char *format, const TimeLocale &locale) {
    std::string out;
    for (const char *p = format; *p; ++p) {
        if (*p != '%' || !p[1]) {
            if (*p == '\'') out += "''";
            else if (std::strchr("dMyghHmst", *p)) out += std::string("'") + *p + "'";
            else out += *p;
            continue;
        }
        switch (*++p) {
        case 'd': out += "dd"; break;
        case 'e': out += "d"; break;
        case 'm': out += "MM"; break;
        case 'y': out += "yy"; break;
        case 'Y': out += "yyyy"; break;
        case 'b':
        case 'h': out += "MMM"; break;
        case 'B': out += "MMMM"; break;
        case 'a': out += "ddd"; break;
        case 'A': out += "dddd"; break;
        case 'H': out += "HH"; break;
        case 'k': out += "H"; break;
        case 'I': out += "hh"; break;
        case 'l': out += "h"; break;
        case 'M': out += "mm"; break;
        case 'S': out += "ss"; break;
        case 'p': out += "tt"; break;
        case 'T': out += "HH:mm:ss"; break;
        case 'R': out += "HH:mm"; break;
        case 'D': out += "MM/dd/yy"; break;
        case 'F': out += "yyyy-MM-dd"; break;
        case 'r': out += pictureFromStrftime(locale.item(T_FMT_AMPM), locale); break;
        case '%': out += '%'; break;
        default: break;  // items without a picture equivalent are left out
        }
    }
    return out;
}

bool validDate(const SYSTEMTIME &st) {
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= days[st.wMonth - 1] && st.wYear <= 9999;
}

bool validTime(const SYSTEMTIME &st) {
    return st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59 && st.wMilliseconds <= 999;
}

// The day of the week of a date (the caller's wDayOfWeek is not trusted).
int weekday(const SYSTEMTIME &st) {
    int y = st.wYear, m = st.wMonth, d = st.wDay;
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3) y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

int output(const std::string &text, LPSTR out, int cch) {
    int needed = static_cast<int>(text.size()) + 1;
    if (cch == 0) return needed;
    if (!out || cch < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(out, text.c_str(), static_cast<size_t>(needed));
    return needed;
}

}  // namespace

extern "C" {

WINBASEAPI int WINAPI GetDateFormatA(LCID, DWORD dwFlags, const SYSTEMTIME *lpDate, LPCSTR lpFormat, LPSTR lpDateStr,
                                     int cchDate) {
    if (cchDate < 0 || (cchDate > 0 && !lpDateStr) || (lpFormat && (dwFlags & (DATE_SHORTDATE | DATE_LONGDATE))) ||
        ((dwFlags & DATE_SHORTDATE) && (dwFlags & DATE_LONGDATE))) {
        SetLastError(lpFormat && dwFlags ? ERROR_INVALID_FLAGS : ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEMTIME date;
    if (lpDate) date = *lpDate;
    else GetLocalTime(&date);
    if (!validDate(date)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    TimeLocale locale;
    std::string picture = lpFormat ? lpFormat
                          : (dwFlags & DATE_LONGDATE) ? std::string("dddd, MMMM dd, yyyy")
                                                      : pictureFromStrftime(locale.item(D_FMT), locale);
    const int wd = weekday(date);
    std::string text;
    for (const Token &t : tokenize(picture, "dMyg")) {
        switch (t.field) {
        case 0: text += t.text; break;
        case 'd':
            if (t.count == 1) text += std::to_string(date.wDay);
            else if (t.count == 2) text += twoDigits(date.wDay);
            else text += locale.item(static_cast<nl_item>((t.count == 3 ? ABDAY_1 : DAY_1) + wd));
            break;
        case 'M':
            if (t.count == 1) text += std::to_string(date.wMonth);
            else if (t.count == 2) text += twoDigits(date.wMonth);
            else text += locale.item(static_cast<nl_item>((t.count == 3 ? ABMON_1 : MON_1) + date.wMonth - 1));
            break;
        case 'y':
            if (t.count == 1) text += std::to_string(date.wYear % 100);
            else if (t.count == 2) text += twoDigits(date.wYear);
            else text += std::to_string(date.wYear);
            break;
        default: break;  // era: none
        }
    }
    return output(text, lpDateStr, cchDate);
}

WINBASEAPI int WINAPI GetTimeFormatA(LCID, DWORD dwFlags, const SYSTEMTIME *lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                                     int cchTime) {
    if (cchTime < 0 || (cchTime > 0 && !lpTimeStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEMTIME time;
    if (lpTime) time = *lpTime;
    else GetLocalTime(&time);
    if (!validTime(time)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    TimeLocale locale;
    std::string picture = lpFormat ? lpFormat : pictureFromStrftime(locale.item(T_FMT), locale);
    std::vector<Token> tokens = tokenize(picture, "hHmst");
    if (dwFlags & (TIME_NOSECONDS | TIME_NOMINUTESORSECONDS)) dropField(tokens, 's');
    if (dwFlags & TIME_NOMINUTESORSECONDS) dropField(tokens, 'm');
    if (dwFlags & TIME_NOTIMEMARKER) dropField(tokens, 't');
    const bool pm = time.wHour >= 12;
    std::string text;
    for (Token t : tokens) {
        if (t.field == 'h' && (dwFlags & TIME_FORCE24HOURFORMAT)) t.field = 'H';
        auto number = [&](int v) { text += t.count == 1 ? std::to_string(v) : twoDigits(v); };
        switch (t.field) {
        case 0: text += t.text; break;
        case 'h': number(time.wHour % 12 == 0 ? 12 : time.wHour % 12); break;
        case 'H': number(time.wHour); break;
        case 'm': number(time.wMinute); break;
        case 's': number(time.wSecond); break;
        case 't': {
            std::string marker = locale.item(pm ? PM_STR : AM_STR);
            text += t.count == 1 ? marker.substr(0, 1) : marker;
            break;
        }
        default: break;
        }
    }
    return output(text, lpTimeStr, cchTime);
}

}  // extern "C"
