// Base64 of Basic credentials: arbitrary text decodes within any buffer size,
// and whatever was encoded decodes back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "server.h"

namespace {
std::string encode(const uint8_t* data, size_t size) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < size; i += 3) {
    uint32_t v = data[i] << 16;
    if (i + 1 < size) v |= data[i + 1] << 8;
    if (i + 2 < size) v |= data[i + 2];
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += i + 1 < size ? kAlphabet[v >> 6 & 63] : '=';
    out += i + 2 < size ? kAlphabet[v & 63] : '=';
  }
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // the decoder reads NUL-terminated text
  for (int bufferSize : {1, 2, 3, 17, 256}) {
    char* out = static_cast<char*>(std::malloc(bufferSize));
    int n = serverDecodeBase64(text.c_str(), out, bufferSize);
    if (n < 0 || n >= bufferSize || out[n] != 0) std::abort();
    std::free(out);
  }
  // Credentials of up to 255 bytes survive the trip through the encoding.
  size_t plain = size < 255 ? size : 255;
  std::string encoded = encode(data, plain);
  char decoded[256];
  int n = serverDecodeBase64(encoded.c_str(), decoded, sizeof decoded);
  if (n != static_cast<int>(plain) || std::memcmp(decoded, data, plain) != 0) std::abort();
  return 0;
}
