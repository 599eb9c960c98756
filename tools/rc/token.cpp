#include "token.h"

#include <cctype>
#include <cstring>

namespace rc {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool Token::isKeyword(const char* word) const {
    if (kind != Tok::Ident || text.size() != std::strlen(word)) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != word[i]) return false;
    return true;
}

namespace {

bool identStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool identChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A quoted string: C escapes, and "" for a quote as resource scripts allow.
size_t lexString(const std::string& s, size_t i, const Origin& at, std::string& out) {
    ++i;  // opening quote
    for (;;) {
        if (i >= s.size()) throw Error(at, "unterminated string");
        char c = s[i++];
        if (c == '"') {
            if (i < s.size() && s[i] == '"') {
                out += '"';
                ++i;
                continue;
            }
            return i;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= s.size()) throw Error(at, "unterminated string");
        char e = s[i++];
        switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case '\'': out += '\''; break;
        case 'x': {
            int v = 0, n = 0;
            while (n < 2 && i < s.size() && hexDigit(s[i]) >= 0) v = v * 16 + hexDigit(s[i++]), ++n;
            if (n == 0) throw Error(at, "\\x without hex digits");
            out += static_cast<char>(v);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                int v = e - '0', n = 1;
                while (n < 3 && i < s.size() && s[i] >= '0' && s[i] <= '7') v = v * 8 + (s[i++] - '0'), ++n;
                out += static_cast<char>(v & 0xFF);
            } else {
                out += e;  // unknown escape: the character itself
            }
        }
    }
}

size_t lexNumber(const std::string& s, size_t i, const Origin& at, Token& t) {
    uint64_t v = 0;
    size_t start = i;
    if (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        i += 2;
        size_t digits = i;
        while (i < s.size() && hexDigit(s[i]) >= 0) v = v * 16 + static_cast<uint64_t>(hexDigit(s[i++]));
        if (i == digits) throw Error(at, "bad hex number");
    } else if (s[i] == '0' && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7') {
        while (i < s.size() && s[i] >= '0' && s[i] <= '7') v = v * 8 + static_cast<uint64_t>(s[i++] - '0');
    } else {
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            v = v * 10 + static_cast<uint64_t>(s[i++] - '0');
    }
    if (v > 0xFFFFFFFFull) throw Error(at, "number too large: " + s.substr(start, i - start));
    while (i < s.size() && (s[i] == 'L' || s[i] == 'l' || s[i] == 'U' || s[i] == 'u')) {
        if (s[i] == 'L' || s[i] == 'l') t.isLong = true;
        ++i;
    }
    if (i < s.size() && identChar(s[i])) throw Error(at, "bad number: " + s.substr(start, i - start + 1));
    t.kind = Tok::Number;
    t.value = static_cast<int64_t>(v);
    t.text = s.substr(start, i - start);
    return i;
}

}  // namespace

std::vector<Token> lexLine(const std::string& s, const Origin& at) {
    static const char* const twoChar[] = {"<<", ">>", "==", "!=", "<=", ">=", "&&", "||", "##"};
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token t;
        t.at = at;
        if ((c == 'L' || c == 'l') && i + 1 < s.size() && s[i + 1] == '"') {
            ++i;  // wide-string prefix: same text
            c = '"';
        }
        if (c == '"') {
            t.kind = Tok::String;
            i = lexString(s, i, at, t.text);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            i = lexNumber(s, i, at, t);
        } else if (identStart(c)) {
            size_t start = i;
            while (i < s.size() && identChar(s[i])) ++i;
            t.kind = Tok::Ident;
            t.text = s.substr(start, i - start);
        } else {
            t.kind = Tok::Punct;
            t.text = std::string(1, c);
            for (const char* two : twoChar)
                if (s.compare(i, 2, two) == 0) t.text = two;
            i += t.text.size();
        }
        out.push_back(std::move(t));
    }
    return out;
}

}  // namespace rc
