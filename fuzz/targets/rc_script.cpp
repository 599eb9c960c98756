// Resource scripts: any script compiles or is refused with an error, never
// anything else; what compiles is laid out as a blob.
#include <cstdint>
#include <exception>
#include <string>

#include "blob.h"
#include "fuzz_util.h"
#include "script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::writeFile("script.rc", data, size);
  try {
    rc::Script script = rc::compileScript(path, {fuzz::tempDir()}, {{"FUZZ", "1"}});
    rc::Bytes blob = rc::buildBlob(std::move(script.resources));
    (void)blob;
  } catch (const rc::Error&) {
  }
  return 0;
}
