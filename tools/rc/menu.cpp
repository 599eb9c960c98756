// MENU -> the menu template: a header of two zero words, then the items.
// A command item is its flags, 16-bit id and text; a popup is its flags
// (MF_POPUP) and text, followed by its own items. The last item of each
// level carries MF_END. MENUITEM SEPARATOR is an item with no flags, id 0
// and an empty text.
#include "statements.h"

namespace rc {
namespace {

constexpr uint16_t MF_GRAYED = 0x1, MF_INACTIVE = 0x2, MF_CHECKED = 0x8, MF_POPUP = 0x10,
                   MF_MENUBARBREAK = 0x20, MF_MENUBREAK = 0x40, MF_END = 0x80, MF_HELP = 0x4000;

uint16_t itemOptions(TokenStream& ts) {
    uint16_t flags = 0;
    while (ts.acceptPunct(",")) {
        if (ts.acceptKeyword("CHECKED")) flags |= MF_CHECKED;
        else if (ts.acceptKeyword("GRAYED")) flags |= MF_GRAYED;
        else if (ts.acceptKeyword("INACTIVE")) flags |= MF_INACTIVE;
        else if (ts.acceptKeyword("MENUBARBREAK")) flags |= MF_MENUBARBREAK;
        else if (ts.acceptKeyword("MENUBREAK")) flags |= MF_MENUBREAK;
        else if (ts.acceptKeyword("HELP")) flags |= MF_HELP;
        else throw Error(ts.where(), "unknown menu option '" + ts.peek().text + "'");
    }
    return flags;
}

void parseLevel(TokenStream& ts, ByteWriter& w, int depth) {
    if (depth > 16) throw Error(ts.where(), "menus nested too deep");
    Origin start = ts.where();
    expectBegin(ts);
    // Items are written at the end of the level, so the last gets MF_END.
    std::vector<ByteWriter> items;
    std::vector<uint16_t> flags;
    while (!acceptEnd(ts)) {
        ByteWriter item;
        if (ts.acceptKeyword("POPUP")) {
            std::string text = ts.expectString();
            uint16_t f = static_cast<uint16_t>(MF_POPUP | itemOptions(ts));
            ByteWriter body;
            parseLevel(ts, body, depth + 1);
            flags.push_back(f);
            item.wstr(text);
            item.raw(body.bytes());
        } else if (ts.acceptKeyword("MENUITEM")) {
            if (ts.acceptKeyword("SEPARATOR")) {
                flags.push_back(0);
                item.u16(0);
                item.wstr("");
            } else {
                std::string text = ts.expectString();
                ts.expectPunct(",");
                uint16_t id = expectWord(ts, "a menu item id");
                flags.push_back(itemOptions(ts));
                item.u16(id);
                item.wstr(text);
            }
        } else {
            throw Error(ts.where(), "expected POPUP or MENUITEM but found '" + ts.peek().text + "'");
        }
        items.push_back(std::move(item));
    }
    if (items.empty()) throw Error(start, "an empty MENU or POPUP");
    for (size_t i = 0; i < items.size(); ++i) {
        w.u16(static_cast<uint16_t>(flags[i] | (i + 1 == items.size() ? MF_END : 0)));
        w.raw(items[i].bytes());
    }
}

}  // namespace

Bytes parseMenu(TokenStream& ts) {
    ByteWriter w;
    w.u16(0);  // version
    w.u16(0);  // header size
    parseLevel(ts, w, 0);
    return std::move(w.bytes());
}

}  // namespace rc
