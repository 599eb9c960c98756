// Helpers shared by the fuzz targets: a private temporary directory for the
// process and whole-file writes into it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A directory made once per process (under $TMPDIR, else /tmp), removed at exit.
const std::string& tempDir();
// Writes the bytes to tempDir()/name, replacing the file; returns its path.
std::string writeFile(const std::string& name, const uint8_t* data, size_t size);
std::string writeFile(const std::string& name, const std::string& text);

}  // namespace fuzz
