#include "statements.h"

namespace rc {

void expectBegin(TokenStream& ts) {
    if (ts.acceptKeyword("BEGIN") || ts.acceptPunct("{")) return;
    throw Error(ts.where(), "expected BEGIN but found '" + ts.peek().text + "'");
}

bool acceptEnd(TokenStream& ts) {
    if (ts.atEnd()) throw Error(ts.where(), "END missing at the end of the script");
    return ts.acceptKeyword("END") || ts.acceptPunct("}");
}

void skipMemoryOptions(TokenStream& ts) {
    static const char* const options[] = {"PRELOAD", "LOADONCALL", "FIXED", "MOVEABLE", "DISCARDABLE",
                                          "PURE", "IMPURE", "SHARED", "NONSHARED"};
    for (bool again = true; again;) {
        again = false;
        for (const char* o : options)
            if (ts.acceptKeyword(o)) again = true;
    }
}

uint16_t expectWord(TokenStream& ts, const char* what) {
    Origin at = ts.where();
    int64_t v = evalExpr(ts);
    if (v < 1 || v > 0xFFFF) throw Error(at, std::string(what) + " must be 1 to 65535, not " + std::to_string(v));
    return static_cast<uint16_t>(v);
}

Bytes parseRawData(TokenStream& ts) {
    ByteWriter w;
    expectBegin(ts);
    while (!acceptEnd(ts)) {
        if (ts.peek().kind == Tok::String) {
            for (char c : ts.expectString()) w.u8(static_cast<unsigned char>(c));
        } else {
            bool isLong = ts.peek().isLong;
            int64_t v = evalExpr(ts);
            if (isLong) w.u32(static_cast<uint32_t>(v));
            else w.u16(static_cast<uint32_t>(v));
        }
        ts.acceptPunct(",");
    }
    return std::move(w.bytes());
}

}  // namespace rc
