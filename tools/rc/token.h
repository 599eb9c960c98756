// Tokens of a resource script and the lexer that makes them from one line.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

// Where a token came from, for error messages.
struct Origin {
    std::string file;
    int line = 0;
};

// A script error: the compiler prints it with its origin and stops.
class Error : public std::runtime_error {
public:
    Error(const Origin& at, const std::string& what)
        : std::runtime_error(at.file + ":" + std::to_string(at.line) + ": " + what) {}
    explicit Error(const std::string& what) : std::runtime_error(what) {}
};

enum class Tok { Ident, Number, String, Punct, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;    // identifier, punctuation, or the decoded bytes of a string
    int64_t value = 0;   // numbers
    bool isLong = false; // number with an L suffix (a 32-bit item in version values)
    Origin at;

    bool is(Tok k, const char* t) const { return kind == k && text == t; }
    bool isPunct(const char* p) const { return is(Tok::Punct, p); }
    // Keywords compare without regard to case, as resource scripts do.
    bool isKeyword(const char* word) const;
};

// Splits one logical line (comments already removed) into tokens.
std::vector<Token> lexLine(const std::string& line, const Origin& at);

std::string upper(std::string s);

}  // namespace rc
