// Helpers shared by the resource tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace restest {

// The test module, loaded once for the whole run.
inline HMODULE resmod() {
    static HMODULE m = LoadLibraryA(RESMOD_PATH);
    return m;
}

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// The bytes of a resource of a loaded module; empty if it is missing.
inline std::vector<uint8_t> resourceBytes(HMODULE m, LPCSTR name, LPCSTR type) {
    HRSRC r = FindResourceA(m, name, type);
    if (!r) return {};
    auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(m, r)));
    return std::vector<uint8_t>(p, p + SizeofResource(m, r));
}

// Little-endian writer for expected binary layouts.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); return *this; }
    Bytes& u16(uint32_t v) { return u8(v & 0xFF).u8(v >> 8 & 0xFF); }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& wstr(const char* s) {
        for (; *s; ++s) u16(static_cast<unsigned char>(*s));
        return u16(0);
    }
    Bytes& align4() {
        while (b.size() % 4) b.push_back(0);
        return *this;
    }
};

// A fresh temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace restest
