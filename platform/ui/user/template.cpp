// DLGTEMPLATE and DLGTEMPLATEEX: a header, the menu, class and title fields,
// the font when DS_SETFONT is set, then the items, each on a 32-bit boundary
// from the start of the template. Every read is checked against the size.
#include "user/dialog.h"
#include "user/window.h"

#include <QString>

#include <cstring>

namespace platform::ui {
namespace {

constexpr size_t kMaxItems = 2048;

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    uint16_t u16() {
        if (pos_ + 2 > size_) return fail(), 0;
        uint16_t v;
        std::memcpy(&v, data_ + pos_, 2);
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t lo = u16();
        return lo | (static_cast<uint32_t>(u16()) << 16);
    }
    uint8_t u8() {
        if (pos_ + 1 > size_) return fail(), 0;
        return data_[pos_++];
    }
    short s16() { return static_cast<short>(u16()); }
    void align4() { pos_ = (pos_ + 3) & ~static_cast<size_t>(3); }
    // A zero-terminated UTF-16 string, as ANSI text.
    std::string wstr() {
        QString s;
        for (;;) {
            uint16_t c = u16();
            if (!ok_ || c == 0) break;
            s.append(QChar(c));
        }
        return toAnsi(s);
    }
    TemplateName name() {
        TemplateName n;
        uint16_t first = u16();
        if (first == 0xFFFF) {
            n.isOrdinal = true;
            n.ordinal = u16();
        } else if (first != 0) {
            pos_ -= 2;
            n.text = wstr();
        }
        return n;
    }
    bool bytes(size_t n, std::vector<uint8_t> *out) {
        if (pos_ + n > size_) return fail(), false;
        out->assign(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return true;
    }

private:
    void fail() {
        ok_ = false;
        pos_ = size_;
    }
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

bool parseDialogTemplate(const uint8_t *data, size_t size, DialogTemplate *out) {
    if (!data || !out) return false;
    Reader r(data, size);
    DialogTemplate t;
    uint16_t first = r.u16(), second = r.u16();
    WORD count;
    t.extended = first == 1 && second == 0xFFFF;
    if (t.extended) {
        t.helpId = r.u32();
        t.exStyle = r.u32();
        t.style = r.u32();
    } else {
        t.style = first | (static_cast<DWORD>(second) << 16);
        t.exStyle = r.u32();
    }
    count = r.u16();
    t.x = r.s16(), t.y = r.s16(), t.cx = r.s16(), t.cy = r.s16();
    t.menu = r.name();
    t.cls = r.name();
    t.title = r.wstr();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.u16();
        if (t.extended) {
            t.weight = r.u16();
            t.italic = r.u8() != 0;
            r.u8();  // character set
        }
        t.face = r.wstr();
    }
    if (!r.ok() || count > kMaxItems) return false;
    t.items.reserve(count);
    for (WORD i = 0; i < count; ++i) {
        DialogItem item;
        r.align4();
        if (t.extended) {
            item.helpId = r.u32();
            item.exStyle = r.u32();
            item.style = r.u32();
        } else {
            item.style = r.u32();
            item.exStyle = r.u32();
        }
        item.x = r.s16(), item.y = r.s16(), item.cx = r.s16(), item.cy = r.s16();
        item.id = t.extended ? r.u32() : r.u16();
        item.cls = r.name();
        item.title = r.name();
        // The old form counts the size word itself; the extended one does not.
        uint16_t extra = r.u16();
        if (!t.extended && extra >= 2) extra = static_cast<uint16_t>(extra - 2);
        if (extra && !r.bytes(extra, &item.data)) return false;
        if (!r.ok()) return false;
        t.items.push_back(std::move(item));
    }
    *out = std::move(t);
    return true;
}

}  // namespace platform::ui
