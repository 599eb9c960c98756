// DIALOGEX -> DLGTEMPLATEEX: dlgVer 1, signature 0xFFFF, help id, extended
// style, style, item count, position and size, menu, class, title, the font
// when DS_SETFONT is set; then one DLGITEMTEMPLATEEX per control, each on a
// 32-bit boundary: help id, extended style, style, position, size, 32-bit id,
// class, title, and the size of creation data (always 0 here).
// DIALOG -> DLGTEMPLATE: the older form without help ids, font weight,
// italic and character set; items have a 16-bit id.
#include "statements.h"

namespace rc {

namespace {

constexpr uint32_t WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_TABSTOP = 0x00010000,
                   WS_GROUP = 0x00020000, WS_BORDER = 0x00800000, WS_POPUP = 0x80000000,
                   WS_SYSMENU = 0x00080000, WS_CAPTION = 0x00C00000, DS_SETFONT = 0x40;

// A class or title field: none, an ordinal, or a string.
struct SzOrOrd {
    enum Kind { None, Ordinal, Text } kind = None;
    uint16_t ordinal = 0;
    std::string text;

    void write(ByteWriter& w) const {
        if (kind == None) w.u16(0);
        else if (kind == Ordinal) w.u16(0xFFFF), w.u16(ordinal);
        else w.wstr(text);
    }
};

SzOrOrd ordinal(uint16_t v) { return SzOrOrd{SzOrOrd::Ordinal, v, {}}; }
SzOrOrd text(const std::string& s) { return SzOrOrd{SzOrOrd::Text, 0, s}; }

// The predefined window classes have ordinals.
SzOrOrd controlClass(const std::string& name) {
    static const char* const classes[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    std::string u = upper(name);
    for (uint16_t i = 0; i < 6; ++i)
        if (u == classes[i]) return ordinal(static_cast<uint16_t>(0x80 + i));
    return text(name);
}

struct Control {
    uint32_t helpId = 0, exStyle = 0, style = 0, id = 0;
    int64_t x = 0, y = 0, cx = 0, cy = 0;
    SzOrOrd cls, title;
};

// Kinds of control statements: class, default style, and argument form.
enum class Form { TextFirst, NoText, Icon };
struct ControlKind {
    const char* keyword;
    uint16_t cls;
    uint32_t style;
    Form form;
};

const ControlKind kKinds[] = {
    {"LTEXT", 0x82, 0x0 | WS_GROUP, Form::TextFirst},
    {"RTEXT", 0x82, 0x2 | WS_GROUP, Form::TextFirst},
    {"CTEXT", 0x82, 0x1 | WS_GROUP, Form::TextFirst},
    {"PUSHBUTTON", 0x80, 0x0 | WS_TABSTOP, Form::TextFirst},
    {"DEFPUSHBUTTON", 0x80, 0x1 | WS_TABSTOP, Form::TextFirst},
    {"CHECKBOX", 0x80, 0x2 | WS_TABSTOP, Form::TextFirst},
    {"AUTOCHECKBOX", 0x80, 0x3 | WS_TABSTOP, Form::TextFirst},
    {"RADIOBUTTON", 0x80, 0x4 | WS_TABSTOP, Form::TextFirst},
    {"STATE3", 0x80, 0x5 | WS_TABSTOP, Form::TextFirst},
    {"AUTO3STATE", 0x80, 0x6 | WS_TABSTOP, Form::TextFirst},
    {"GROUPBOX", 0x80, 0x7, Form::TextFirst},
    {"AUTORADIOBUTTON", 0x80, 0x9 | WS_TABSTOP, Form::TextFirst},
    {"PUSHBOX", 0x80, 0xA | WS_TABSTOP, Form::TextFirst},
    {"EDITTEXT", 0x81, 0x0 | WS_BORDER | WS_TABSTOP, Form::NoText},
    {"LISTBOX", 0x83, 0x1 | WS_BORDER, Form::NoText},
    {"SCROLLBAR", 0x84, 0x0, Form::NoText},
    {"COMBOBOX", 0x85, 0x1 | WS_TABSTOP, Form::NoText},
    {"ICON", 0x82, 0x3, Form::Icon},
};

int16_t coord(TokenStream& ts) {
    Origin at = ts.where();
    int64_t v = evalExpr(ts);
    if (v < -32768 || v > 32767) throw Error(at, "coordinate out of range: " + std::to_string(v));
    return static_cast<int16_t>(v);
}

void comma(TokenStream& ts) { ts.expectPunct(","); }

// Text of a control: a string, or an ordinal (icon and bitmap ids), or a
// bare name (icon names).
SzOrOrd controlText(TokenStream& ts) {
    if (ts.peek().kind == Tok::String) return text(ts.expectString());
    if (ts.peek().kind == Tok::Ident && !startsExpression(ts.peek())) return text(ts.next().text);
    return ordinal(static_cast<uint16_t>(evalExpr(ts)));
}

// Optional trailing ", style [, exstyle [, helpid]]" of a control.
void trailingStyles(TokenStream& ts, Control& c, bool styleDone) {
    if (!styleDone) {
        if (!ts.acceptPunct(",")) return;
        c.style = evalStyle(ts, c.style);
    }
    if (!ts.acceptPunct(",")) return;
    c.exStyle = evalStyle(ts, 0);
    if (!ts.acceptPunct(",")) return;
    c.helpId = static_cast<uint32_t>(evalExpr(ts));
}

Control parseControl(TokenStream& ts) {
    Control c;
    if (ts.acceptKeyword("CONTROL")) {
        // CONTROL text, id, class, style, x, y, cx, cy [, exstyle [, helpid]]
        c.title = controlText(ts);
        comma(ts);
        c.id = static_cast<uint32_t>(evalExpr(ts));
        comma(ts);
        if (ts.peek().kind == Tok::String) c.cls = controlClass(ts.expectString());
        else if (ts.peek().kind == Tok::Ident) c.cls = controlClass(ts.next().text);
        else throw Error(ts.where(), "CONTROL needs a class name");
        comma(ts);
        c.style = evalStyle(ts, WS_CHILD | WS_VISIBLE);
        comma(ts);
        c.x = coord(ts), comma(ts), c.y = coord(ts), comma(ts), c.cx = coord(ts), comma(ts), c.cy = coord(ts);
        trailingStyles(ts, c, true);
        return c;
    }
    const ControlKind* kind = nullptr;
    for (const ControlKind& k : kKinds)
        if (ts.peek().isKeyword(k.keyword)) kind = &k;
    if (!kind) throw Error(ts.where(), "unknown control statement '" + ts.peek().text + "'");
    ts.next();
    c.cls = ordinal(kind->cls);
    c.style = WS_CHILD | WS_VISIBLE | kind->style;
    if (kind->form == Form::TextFirst) {
        if (ts.peek().kind != Tok::String) throw Error(ts.where(), std::string(kind->keyword) + " needs a quoted text");
        c.title = text(ts.expectString());
        comma(ts);
    } else if (kind->form == Form::Icon) {
        c.title = controlText(ts);
        comma(ts);
    }
    c.id = static_cast<uint32_t>(evalExpr(ts));
    comma(ts);
    c.x = coord(ts), comma(ts), c.y = coord(ts);
    if (kind->form == Form::Icon) {
        // ICON text, id, x, y [, cx, cy [, style [, exstyle [, helpid]]]]
        if (ts.acceptPunct(",")) {
            c.cx = coord(ts), comma(ts), c.cy = coord(ts);
            trailingStyles(ts, c, false);
        }
        return c;
    }
    comma(ts), c.cx = coord(ts), comma(ts), c.cy = coord(ts);
    trailingStyles(ts, c, false);
    return c;
}

Bytes writeDialog(uint32_t style, uint32_t exStyle, int16_t x, int16_t y, int16_t cx, int16_t cy, const SzOrOrd& menu,
                  const SzOrOrd& cls, const std::string& caption, uint16_t points, const std::string& face,
                  const std::vector<Control>& controls) {
    ByteWriter w;
    w.u32(style);
    w.u32(exStyle);
    w.u16(static_cast<uint32_t>(controls.size()));
    for (int16_t v : {x, y, cx, cy}) w.u16(static_cast<uint16_t>(v));
    menu.write(w);
    cls.write(w);
    w.wstr(caption);
    if (style & DS_SETFONT) {
        w.u16(points);
        w.wstr(face);
    }
    for (const Control& c : controls) {
        w.align4();
        w.u32(c.style);
        w.u32(c.exStyle);
        for (int64_t v : {c.x, c.y, c.cx, c.cy}) w.u16(static_cast<uint16_t>(static_cast<int16_t>(v)));
        w.u16(c.id & 0xFFFF);
        c.cls.write(w);
        c.title.write(w);
        w.u16(0);
    }
    return std::move(w.bytes());
}

}  // namespace

Bytes parseDialog(TokenStream& ts, bool extended) {
    // name DIALOGEX x, y, cx, cy [, helpid]   or   name DIALOG x, y, cx, cy
    int16_t x = coord(ts);
    comma(ts);
    int16_t y = coord(ts);
    comma(ts);
    int16_t cx = coord(ts);
    comma(ts);
    int16_t cy = coord(ts);
    uint32_t helpId = 0;
    if (extended && ts.acceptPunct(",")) helpId = static_cast<uint32_t>(evalExpr(ts));

    uint32_t style = WS_POPUP | WS_BORDER | WS_SYSMENU, exStyle = 0;
    bool styleGiven = false, captionGiven = false, fontGiven = false;
    std::string caption, face;
    uint16_t points = 8, weight = 0;
    uint8_t italic = 0, charset = 1;
    SzOrOrd menu, cls;
    for (;;) {
        if (ts.acceptKeyword("STYLE")) {
            style = evalStyle(ts, 0);
            styleGiven = true;
        } else if (ts.acceptKeyword("EXSTYLE")) {
            exStyle = evalStyle(ts, 0);
        } else if (ts.acceptKeyword("CAPTION")) {
            caption = ts.expectString();
            captionGiven = true;
        } else if (ts.acceptKeyword("FONT")) {
            points = static_cast<uint16_t>(evalExpr(ts));
            comma(ts);
            face = ts.expectString();
            if (extended && ts.acceptPunct(",")) {
                weight = static_cast<uint16_t>(evalExpr(ts));
                if (ts.acceptPunct(",")) {
                    italic = static_cast<uint8_t>(evalExpr(ts) != 0);
                    if (ts.acceptPunct(",")) charset = static_cast<uint8_t>(evalExpr(ts));
                }
            }
            fontGiven = true;
        } else if (ts.acceptKeyword("CLASS")) {
            cls = controlText(ts);
        } else if (ts.acceptKeyword("MENU")) {
            menu = controlText(ts);
            if (menu.kind == SzOrOrd::Text) menu.text = upper(menu.text);
        } else if (ts.acceptKeyword("LANGUAGE")) {
            evalExpr(ts), comma(ts), evalExpr(ts);
        } else if (ts.acceptKeyword("CHARACTERISTICS") || ts.acceptKeyword("VERSION")) {
            evalExpr(ts);
        } else {
            break;
        }
    }
    if (captionGiven && !styleGiven) style |= WS_CAPTION;
    if (fontGiven) style |= DS_SETFONT;

    std::vector<Control> controls;
    expectBegin(ts);
    while (!acceptEnd(ts)) {
        Origin at = ts.where();
        controls.push_back(parseControl(ts));
        if (!extended && (controls.back().helpId || (controls.back().id > 0xFFFF && controls.back().id != 0xFFFFFFFFu)))
            throw Error(at, "a DIALOG control has a 16-bit id and no help id (use DIALOGEX)");
    }
    if (controls.size() > 0xFFFF) throw Error(ts.where(), "too many controls");
    if (!extended) return writeDialog(style, exStyle, x, y, cx, cy, menu, cls, caption, points, face, controls);

    ByteWriter w;
    w.u16(1);
    w.u16(0xFFFF);
    w.u32(helpId);
    w.u32(exStyle);
    w.u32(style);
    w.u16(static_cast<uint32_t>(controls.size()));
    for (int16_t v : {x, y, cx, cy}) w.u16(static_cast<uint16_t>(v));
    menu.write(w);
    cls.write(w);
    w.wstr(caption);
    if (style & DS_SETFONT) {
        w.u16(points);
        w.u16(weight);
        w.u8(italic);
        w.u8(charset);
        w.wstr(face);
    }
    for (const Control& c : controls) {
        w.align4();
        w.u32(c.helpId);
        w.u32(c.exStyle);
        w.u32(c.style);
        for (int64_t v : {c.x, c.y, c.cx, c.cy}) w.u16(static_cast<uint16_t>(static_cast<int16_t>(v)));
        w.u32(c.id);
        c.cls.write(w);
        c.title.write(w);
        w.u16(0);
    }
    return std::move(w.bytes());
}

}  // namespace rc
