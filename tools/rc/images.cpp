// PNG files of ICON and BITMAP statements, and icon group directories.
#include "statements.h"

#include <fstream>
#include <iterator>

namespace rc {

namespace {

uint32_t be32(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
           static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

}  // namespace

PngInfo readPng(const std::string& path, const Origin& at) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error(at, "cannot read image " + path);
    PngInfo png;
    png.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const Bytes& b = png.data;
    if (b.size() < 33 || !std::equal(signature, signature + 8, b.begin()) || be32(b, 8) != 13 ||
        std::string(b.begin() + 12, b.begin() + 16) != "IHDR")
        throw Error(at, path + " is not a PNG image");
    png.width = be32(b, 16);
    png.height = be32(b, 20);
    if (png.width == 0 || png.height == 0 || png.width > 4096 || png.height > 4096)
        throw Error(at, path + ": image size out of range");
    return png;
}

Bytes buildIconGroup(const std::vector<PngInfo>& images, const std::vector<uint16_t>& ids) {
    ByteWriter w;
    w.u16(0);  // reserved
    w.u16(1);  // icon (2 would be a cursor)
    w.u16(static_cast<uint32_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const PngInfo& p = images[i];
        w.u8(p.width >= 256 ? 0 : p.width);  // 0 stands for 256 and more
        w.u8(p.height >= 256 ? 0 : p.height);
        w.u8(0);   // colour count: not a palette image
        w.u8(0);   // reserved
        w.u16(1);  // planes
        w.u16(32); // bits per pixel
        w.u32(static_cast<uint32_t>(p.data.size()));
        w.u16(ids[i]);
    }
    return std::move(w.bytes());
}

Bytes buildCursorImage(const PngInfo& png, uint16_t hotX, uint16_t hotY) {
    ByteWriter w;
    w.u16(hotX);
    w.u16(hotY);
    for (uint8_t b : png.data) w.u8(b);
    return std::move(w.bytes());
}

Bytes buildCursorGroup(const PngInfo& png, uint16_t id) {
    ByteWriter w;
    w.u16(0);  // reserved
    w.u16(2);  // cursor
    w.u16(1);  // one image
    w.u16(png.width);
    w.u16(png.height * 2);  // as in cursor directories: colour and mask heights together
    w.u16(1);               // planes
    w.u16(32);              // bits per pixel
    w.u32(static_cast<uint32_t>(png.data.size() + 4));
    w.u16(id);
    return std::move(w.bytes());
}

}  // namespace rc
