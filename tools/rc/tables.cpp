// STRINGTABLE and ACCELERATORS.
#include "statements.h"

#include <cctype>

namespace rc {

void parseStringTable(TokenStream& ts, std::map<uint16_t, std::pair<std::string, Origin>>& strings) {
    skipMemoryOptions(ts);
    while (ts.acceptKeyword("LANGUAGE") || ts.acceptKeyword("CHARACTERISTICS") || ts.acceptKeyword("VERSION")) {
        evalExpr(ts);
        if (ts.acceptPunct(",")) evalExpr(ts);
    }
    expectBegin(ts);
    while (!acceptEnd(ts)) {
        Origin at = ts.where();
        int64_t id = evalExpr(ts);
        if (id < 0 || id > 0xFFFF) throw Error(at, "string id must be 0 to 65535, not " + std::to_string(id));
        ts.acceptPunct(",");
        std::string text = ts.expectString();
        if (text.size() > 0xFFFF) throw Error(at, "string too long");
        auto [it, fresh] = strings.emplace(static_cast<uint16_t>(id), std::make_pair(text, at));
        if (!fresh) throw Error(at, "string " + std::to_string(id) + " defined twice (first at line " +
                                        std::to_string(it->second.second.line) + ")");
    }
}

std::vector<Resource> buildStringBlocks(const std::map<uint16_t, std::pair<std::string, Origin>>& strings) {
    std::vector<Resource> out;
    auto it = strings.begin();
    while (it != strings.end()) {
        uint32_t block = it->first / 16u;
        Resource r;
        r.type = ResId::number(kRtString);
        r.name = ResId::number(static_cast<uint16_t>(block + 1));
        r.at = it->second.second;
        ByteWriter w;
        for (uint32_t i = 0; i < 16; ++i) {
            uint32_t id = block * 16 + i;
            if (it != strings.end() && it->first == id) {
                const std::string& s = it->second.first;
                w.u16(static_cast<uint32_t>(s.size()));
                for (unsigned char c : s) w.u16(c);
                ++it;
            } else {
                w.u16(0);
            }
        }
        r.data = std::move(w.bytes());
        out.push_back(std::move(r));
    }
    return out;
}

Bytes parseAccelerators(TokenStream& ts) {
    enum : uint32_t { FVIRTKEY = 0x01, FNOINVERT = 0x02, FSHIFT = 0x04, FCONTROL = 0x08, FALT = 0x10, FLAST = 0x80 };
    struct Entry {
        uint32_t flags, key, id;
    };
    std::vector<Entry> entries;
    skipMemoryOptions(ts);
    expectBegin(ts);
    while (!acceptEnd(ts)) {
        Origin at = ts.where();
        Entry e{0, 0, 0};
        bool isText = ts.peek().kind == Tok::String;
        std::string keyText;
        if (isText) {
            keyText = ts.expectString();
            if (keyText.size() == 2 && keyText[0] == '^') {
                int c = std::toupper(static_cast<unsigned char>(keyText[1]));
                if (c < '@' || c > '_') throw Error(at, "bad control key \"" + keyText + "\"");
                e.key = static_cast<uint32_t>(c - '@');
            } else if (keyText.size() == 1) {
                e.key = static_cast<unsigned char>(keyText[0]);
            } else {
                throw Error(at, "an accelerator key is one character or ^ and a letter");
            }
        } else {
            e.key = static_cast<uint32_t>(evalExpr(ts)) & 0xFFFF;
        }
        ts.expectPunct(",");
        e.id = static_cast<uint32_t>(evalExpr(ts)) & 0xFFFF;
        bool ascii = false;
        while (ts.acceptPunct(",")) {
            if (ts.acceptKeyword("VIRTKEY")) e.flags |= FVIRTKEY;
            else if (ts.acceptKeyword("ASCII")) ascii = true;
            else if (ts.acceptKeyword("NOINVERT")) e.flags |= FNOINVERT;
            else if (ts.acceptKeyword("SHIFT")) e.flags |= FSHIFT;
            else if (ts.acceptKeyword("CONTROL")) e.flags |= FCONTROL;
            else if (ts.acceptKeyword("ALT")) e.flags |= FALT;
            else throw Error(ts.where(), "unknown accelerator option '" + ts.peek().text + "'");
        }
        if (ascii && (e.flags & FVIRTKEY)) throw Error(at, "accelerator is both ASCII and VIRTKEY");
        if (isText && (e.flags & FVIRTKEY) && keyText[0] != '^')
            e.key = static_cast<uint32_t>(std::toupper(static_cast<int>(e.key)));
        if (isText && (e.flags & FVIRTKEY) && keyText[0] == '^')
            throw Error(at, "a ^ key is not a virtual key");
        entries.push_back(e);
    }
    if (entries.empty()) throw Error(ts.where(), "empty ACCELERATORS table");
    entries.back().flags |= FLAST;
    ByteWriter w;
    for (const Entry& e : entries) {
        w.u16(e.flags);
        w.u16(e.key);
        w.u16(e.id);
        w.u16(0);
    }
    return std::move(w.bytes());
}

}  // namespace rc
