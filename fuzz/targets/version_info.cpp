// Version information read from module files: either the whole file comes
// from the input, or the input is the resource blob and is wrapped in the
// smallest ELF file that carries it. Every answer of VerQueryValueA must lie
// inside the buffer GetFileVersionInfoA filled.
#include <windows.h>

#include <elf.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"

namespace {
std::string elfWithBlob(const uint8_t* blob, size_t size) {
  Elf64_Ehdr eh{};
  std::memcpy(eh.e_ident, ELFMAG, SELFMAG);
  eh.e_ident[EI_CLASS] = ELFCLASS64;
  eh.e_ident[EI_DATA] = ELFDATA2LSB;
  eh.e_ident[EI_VERSION] = EV_CURRENT;
  eh.e_type = ET_DYN;
  eh.e_machine = EM_X86_64;
  eh.e_version = EV_CURRENT;
  eh.e_phoff = sizeof eh;
  eh.e_ehsize = sizeof eh;
  eh.e_phentsize = sizeof(Elf64_Phdr);
  eh.e_phnum = 1;
  Elf64_Nhdr nh{8, static_cast<Elf64_Word>(size), 0x5253};
  size_t noteSize = sizeof nh + 8 + ((size + 3) & ~size_t{3});
  Elf64_Phdr ph{};
  ph.p_type = PT_NOTE;
  ph.p_offset = sizeof eh + sizeof ph;
  ph.p_filesz = ph.p_memsz = noteSize;
  ph.p_align = 4;
  std::string out(reinterpret_cast<const char*>(&eh), sizeof eh);
  out.append(reinterpret_cast<const char*>(&ph), sizeof ph);
  out.append(reinterpret_cast<const char*>(&nh), sizeof nh);
  out.append("ZELRSRC\0", 8);
  out.append(reinterpret_cast<const char*>(blob), size);
  out.resize(sizeof eh + sizeof ph + noteSize, '\0');
  return out;
}

void checkInside(const std::vector<uint8_t>& buffer, const void* p, UINT len) {
  auto* at = static_cast<const uint8_t*>(p);
  if (at < buffer.data() || at > buffer.data() + buffer.size() ||
      len > static_cast<size_t>(buffer.data() + buffer.size() - at))
    std::abort();
}

void query(const std::vector<uint8_t>& buffer, const char* key) {
  void* p = nullptr;
  UINT len = 0;
  if (VerQueryValueA(buffer.data(), key, &p, &len) && p) checkInside(buffer, p, len);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string file = (data[0] & 1) ? elfWithBlob(data + 1, size - 1)
                                   : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string path = fuzz::writeFile("module.dll", file);
  DWORD handle = 0;
  DWORD needed = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (needed == 0 || needed > (1u << 24)) return 0;
  std::vector<uint8_t> buffer(needed);
  if (!GetFileVersionInfoA(path.c_str(), 0, needed, buffer.data())) return 0;
  query(buffer, "\\");
  query(buffer, "");
  query(buffer, "\\StringFileInfo");
  query(buffer, "\\StringFileInfo\\040904B0\\InternalName");
  void* p = nullptr;
  UINT len = 0;
  if (VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &p, &len) && p) {
    checkInside(buffer, p, len);
    for (UINT i = 0; i + 4 <= len && i < 64; i += 4) {
      const uint8_t* t = static_cast<const uint8_t*>(p) + i;
      char key[96];
      for (const char* name : {"InternalName", "SpecialBuild", "Comments", "ProductVersion"}) {
        std::snprintf(key, sizeof key, "\\StringFileInfo\\%02X%02X%02X%02X\\%s", t[1], t[0], t[3], t[2], name);
        query(buffer, key);
      }
    }
  }
  // A buffer smaller than the one asked for is filled only as far as it goes.
  std::vector<uint8_t> small(needed / 2 + 1);
  if (GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(small.size()), small.data())) query(small, "\\");
  return 0;
}
