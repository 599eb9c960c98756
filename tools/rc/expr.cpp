#include "expr.h"

namespace rc {

bool TokenStream::acceptPunct(const char* p) {
    if (!peek().isPunct(p)) return false;
    ++pos_;
    return true;
}

bool TokenStream::acceptKeyword(const char* k) {
    if (!peek().isKeyword(k)) return false;
    ++pos_;
    return true;
}

void TokenStream::expectPunct(const char* p) {
    if (!acceptPunct(p)) throw Error(where(), std::string("expected '") + p + "' but found '" + peek().text + "'");
}

void TokenStream::expectKeyword(const char* k) {
    if (!acceptKeyword(k)) throw Error(where(), std::string("expected ") + k + " but found '" + peek().text + "'");
}

std::string TokenStream::expectString() {
    if (peek().kind != Tok::String) throw Error(where(), "expected a quoted string but found '" + peek().text + "'");
    const Token& first = next();
    std::string s = first.text;
    // Adjacent strings on one line join; a string on the next line starts
    // the next statement.
    while (peek().kind == Tok::String && peek().at.line == first.at.line && peek().at.file == first.at.file)
        s += next().text;
    return s;
}

bool startsExpression(const Token& t) {
    if (t.kind == Tok::Number) return true;
    if (t.kind == Tok::Punct) return t.text == "(" || t.text == "-" || t.text == "~" || t.text == "!" || t.text == "+";
    if (t.kind == Tok::Ident) return t.isKeyword("NOT") || builtinConstant(t.text).has_value();
    return false;
}

namespace {

int64_t wrap(int64_t v) { return static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(v))); }

int64_t primary(TokenStream& ts) {
    const Token& t = ts.next();
    if (t.kind == Tok::Number) return t.value;
    if (t.isPunct("(")) {
        int64_t v = evalExpr(ts);
        ts.expectPunct(")");
        return v;
    }
    if (t.kind == Tok::Ident) {
        if (auto v = builtinConstant(t.text)) return *v;
        throw Error(t.at, "unknown name '" + t.text + "' in expression");
    }
    throw Error(t.at, t.kind == Tok::End ? "expression expected" : "unexpected '" + t.text + "' in expression");
}

int level(const Token& t) {
    if (t.kind != Tok::Punct) return -1;
    const std::string& o = t.text;
    if (o == "||") return 0;
    if (o == "&&") return 1;
    if (o == "|") return 2;
    if (o == "^") return 3;
    if (o == "&") return 4;
    if (o == "==" || o == "!=") return 5;
    if (o == "<" || o == ">" || o == "<=" || o == ">=") return 6;
    if (o == "<<" || o == ">>") return 7;
    if (o == "+" || o == "-") return 8;
    if (o == "*" || o == "/" || o == "%") return 9;
    return -1;
}

int64_t binary(TokenStream& ts, int minLevel) {
    int64_t lhs = evalUnary(ts);
    for (;;) {
        int lv = level(ts.peek());
        if (lv < minLevel) return lhs;
        Token op = ts.next();
        int64_t rhs = binary(ts, lv + 1);
        const std::string& o = op.text;
        if ((o == "/" || o == "%") && rhs == 0) throw Error(op.at, "division by zero");
        uint32_t a = static_cast<uint32_t>(lhs), b = static_cast<uint32_t>(rhs);
        if (o == "||") lhs = lhs || rhs;
        else if (o == "&&") lhs = lhs && rhs;
        else if (o == "|") lhs = a | b;
        else if (o == "^") lhs = a ^ b;
        else if (o == "&") lhs = a & b;
        else if (o == "==") lhs = lhs == rhs;
        else if (o == "!=") lhs = lhs != rhs;
        else if (o == "<") lhs = lhs < rhs;
        else if (o == ">") lhs = lhs > rhs;
        else if (o == "<=") lhs = lhs <= rhs;
        else if (o == ">=") lhs = lhs >= rhs;
        else if (o == "<<") lhs = static_cast<uint32_t>(a << (b & 31));
        else if (o == ">>") lhs = a >> (b & 31);
        else if (o == "+") lhs = lhs + rhs;
        else if (o == "-") lhs = lhs - rhs;
        else if (o == "*") lhs = lhs * rhs;
        else if (o == "/") lhs = lhs / rhs;
        else lhs = lhs % rhs;
        lhs = wrap(lhs);
    }
}

}  // namespace

int64_t evalUnary(TokenStream& ts) {
    if (ts.acceptPunct("-")) return wrap(-evalUnary(ts));
    if (ts.acceptPunct("+")) return evalUnary(ts);
    if (ts.acceptPunct("~") || ts.acceptKeyword("NOT")) return wrap(~evalUnary(ts));
    if (ts.acceptPunct("!")) return !evalUnary(ts);
    return primary(ts);
}

int64_t evalExpr(TokenStream& ts) { return binary(ts, 0); }

int64_t evalTerm(TokenStream& ts) { return binary(ts, 3); }

uint32_t evalStyle(TokenStream& ts, uint32_t initial) {
    uint32_t v = initial;
    do {
        if (ts.acceptKeyword("NOT")) v &= ~static_cast<uint32_t>(evalUnary(ts));
        else v |= static_cast<uint32_t>(evalTerm(ts));
    } while (ts.acceptPunct("|"));
    return v;
}

}  // namespace rc
