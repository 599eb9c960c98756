// VERSIONINFO -> VS_VERSIONINFO: every node is wLength, wValueLength, wType,
// a NUL-terminated UTF-16 key, padding to 32 bits, the value, padding, then
// the child nodes, each starting on a 32-bit boundary.
#include "statements.h"

namespace rc {

namespace {

struct Node {
    std::string key;
    bool text = false;      // wType 1: the value is UTF-16 text
    Bytes value;            // binary value, or the 8-bit text
    std::vector<Node> children;
};

void writeNode(ByteWriter& w, const Node& n, uint16_t valueLength) {
    w.align4();
    size_t start = w.size();
    w.u16(0);  // wLength, patched below
    w.u16(valueLength);
    w.u16(n.text ? 1 : 0);
    w.wstr(n.key);
    w.align4();
    if (n.text) {
        for (uint8_t c : n.value) w.u16(c);
        w.u16(0);
    } else {
        w.raw(n.value);
    }
    for (const Node& c : n.children) {
        uint16_t len = c.text ? static_cast<uint16_t>(c.value.size() + 1) : static_cast<uint16_t>(c.value.size());
        writeNode(w, c, len);
    }
    size_t length = w.size() - start;
    if (length > 0xFFFF) throw Error("version information block \"" + n.key + "\" is larger than 64 KiB");
    w.patch16(start, static_cast<uint32_t>(length));
}

Node parseValue(TokenStream& ts) {
    Node n;
    n.key = ts.expectString();
    bool first = true;
    ByteWriter bin;
    std::string text;
    while (ts.acceptPunct(",") || (first && (ts.peek().kind == Tok::String || startsExpression(ts.peek())))) {
        first = false;
        if (ts.peek().kind == Tok::String) {
            n.text = true;
            text += ts.expectString();
        } else {
            bool isLong = ts.peek().isLong;
            uint32_t v = static_cast<uint32_t>(evalExpr(ts));
            if (isLong) bin.u32(v);
            else bin.u16(v);
        }
    }
    if (n.text && bin.size()) throw Error(ts.where(), "VALUE \"" + n.key + "\" mixes text and numbers");
    n.value = n.text ? Bytes(text.begin(), text.end()) : std::move(bin.bytes());
    // A string value's length counts UTF-16 units, with the terminating NUL.
    if (n.text && n.value.size() + 1 > 0x7FFF) throw Error(ts.where(), "VALUE \"" + n.key + "\" is too long");
    return n;
}

void parseBlockBody(TokenStream& ts, Node& parent) {
    expectBegin(ts);
    while (!acceptEnd(ts)) {
        if (ts.acceptKeyword("BLOCK")) {
            Node b;
            b.key = ts.expectString();
            b.text = true;  // blocks have no value; their type is text, as tools write them
            parseBlockBody(ts, b);
            parent.children.push_back(std::move(b));
        } else if (ts.acceptKeyword("VALUE")) {
            parent.children.push_back(parseValue(ts));
        } else {
            throw Error(ts.where(), "expected BLOCK or VALUE but found '" + ts.peek().text + "'");
        }
    }
}

void parseQuad(TokenStream& ts, uint32_t& ms, uint32_t& ls) {
    uint32_t part[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        part[i] = static_cast<uint32_t>(evalExpr(ts)) & 0xFFFF;
        if (!ts.acceptPunct(",")) break;
    }
    ms = part[0] << 16 | part[1];
    ls = part[2] << 16 | part[3];
}

}  // namespace

Bytes parseVersionInfo(TokenStream& ts) {
    uint32_t fileMs = 0, fileLs = 0, productMs = 0, productLs = 0;
    uint32_t flagsMask = 0x3F, flags = 0, os = 0x40004, type = 1, subtype = 0;
    for (;;) {
        if (ts.acceptKeyword("FILEVERSION")) parseQuad(ts, fileMs, fileLs);
        else if (ts.acceptKeyword("PRODUCTVERSION")) parseQuad(ts, productMs, productLs);
        else if (ts.acceptKeyword("FILEFLAGSMASK")) flagsMask = static_cast<uint32_t>(evalExpr(ts));
        else if (ts.acceptKeyword("FILEFLAGS")) flags = static_cast<uint32_t>(evalExpr(ts));
        else if (ts.acceptKeyword("FILEOS")) os = static_cast<uint32_t>(evalExpr(ts));
        else if (ts.acceptKeyword("FILETYPE")) type = static_cast<uint32_t>(evalExpr(ts));
        else if (ts.acceptKeyword("FILESUBTYPE")) subtype = static_cast<uint32_t>(evalExpr(ts));
        else break;
    }
    Node root;
    root.key = "VS_VERSION_INFO";
    ByteWriter fixed;  // VS_FIXEDFILEINFO, 52 bytes
    for (uint32_t v : {0xFEEF04BDu, 0x00010000u, fileMs, fileLs, productMs, productLs, flagsMask, flags, os, type,
                       subtype, 0u, 0u})
        fixed.u32(v);
    root.value = std::move(fixed.bytes());
    parseBlockBody(ts, root);
    ByteWriter w;
    writeNode(w, root, static_cast<uint16_t>(root.value.size()));
    return std::move(w.bytes());
}

}  // namespace rc
