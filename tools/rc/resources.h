// The compiled resources of one script, and a little-endian byte writer for
// the binary layouts.
#pragma once

#include "token.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rc {

using Bytes = std::vector<uint8_t>;

// A resource type or name: an integer id, or an upper-case name.
struct ResId {
    bool isName = false;
    uint16_t id = 0;
    std::string name;

    static ResId number(uint16_t v) { return ResId{false, v, {}}; }
    static ResId named(const std::string& s) { return ResId{true, 0, upper(s)}; }
    std::string describe() const { return isName ? "\"" + name + "\"" : std::to_string(id); }
    bool operator==(const ResId& o) const { return isName == o.isName && id == o.id && name == o.name; }
    bool operator<(const ResId& o) const;
};

// Standard resource types.
enum : uint16_t {
    kRtCursor = 1, kRtBitmap = 2, kRtIcon = 3, kRtMenu = 4, kRtDialog = 5, kRtString = 6,
    kRtAccelerator = 9, kRtRcdata = 10, kRtGroupCursor = 12, kRtGroupIcon = 14, kRtVersion = 16,
};

struct Resource {
    ResId type;
    ResId name;
    Bytes data;
    Origin at;
};

class ByteWriter {
public:
    Bytes& bytes() { return b_; }
    size_t size() const { return b_.size(); }
    void u8(uint32_t v) { b_.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v) { u8(v & 0xFF), u8((v >> 8) & 0xFF); }
    void u32(uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
    void raw(const Bytes& v) { b_.insert(b_.end(), v.begin(), v.end()); }
    void align4() { while (b_.size() % 4) b_.push_back(0); }
    // 8-bit text as UTF-16, one unit per byte (ISO 8859-1), so the ANSI
    // functions hand back exactly the script's bytes; NUL-terminated.
    void wstr(const std::string& s) {
        for (unsigned char c : s) u16(c);
        u16(0);
    }
    void patch16(size_t at, uint32_t v) {
        b_[at] = static_cast<uint8_t>(v & 0xFF);
        b_[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }

private:
    Bytes b_;
};

}  // namespace rc
