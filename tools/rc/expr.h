// Token stream over preprocessed tokens and integer expressions as resource
// scripts write them: C operators, the rc operator NOT (bitwise complement),
// numbers and the well-known constants (window styles, key codes...).
#pragma once

#include "token.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace rc {

class TokenStream {
public:
    TokenStream(const std::vector<Token>& toks, Origin endAt) : toks_(toks) { end_.at = std::move(endAt); }

    bool atEnd() const { return pos_ >= toks_.size(); }
    const Token& peek(size_t ahead = 0) const { return pos_ + ahead < toks_.size() ? toks_[pos_ + ahead] : end_; }
    const Token& next() { return atEnd() ? end_ : toks_[pos_++]; }
    const Origin& where() const { return peek().at; }

    bool acceptPunct(const char* p);
    bool acceptKeyword(const char* k);
    void expectPunct(const char* p);
    void expectKeyword(const char* k);
    std::string expectString();

private:
    const std::vector<Token>& toks_;
    size_t pos_ = 0;
    Token end_;
};

// Value of a constant known to the compiler (WS_CHILD, IDOK, VK_F1...).
std::optional<int64_t> builtinConstant(const std::string& name);

// A full expression; 32-bit results are kept in 64 bits with C semantics.
int64_t evalExpr(TokenStream& ts);
// One operand without binary operators at the top level ("1", "-1", "(A|B)").
int64_t evalUnary(TokenStream& ts);
// An expression above the level of '|': used where '|' separates style terms.
int64_t evalTerm(TokenStream& ts);

// Style expression: terms joined by '|'; "NOT x" clears the bits of x from
// the value built so far (starting at the given default), other terms set bits.
uint32_t evalStyle(TokenStream& ts, uint32_t initial);

bool startsExpression(const Token& t);

}  // namespace rc
