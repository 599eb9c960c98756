#include "fuzz_util.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fuzz {

namespace {
std::string g_dir;
void removeDir() {
  std::error_code ignored;
  if (!g_dir.empty()) std::filesystem::remove_all(g_dir, ignored);
}
}  // namespace

const std::string& tempDir() {
  if (g_dir.empty()) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/suite-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    g_dir = pattern;
    std::atexit(removeDir);
  }
  return g_dir;
}

std::string writeFile(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = tempDir() + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (size) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

std::string writeFile(const std::string& name, const std::string& text) {
  return writeFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace fuzz
