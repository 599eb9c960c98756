// Query strings and cookies: the cookie's query form, the query parser and
// the variables it yields, and percent-decoding.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "server.h"
#include "varmod.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  varmodInit();
  return 0;
}

namespace {
// Parses the text as a query and reads back every variable it made.
void parseAndRead(std::string text) {
  int list = varmodParseQuery(text.data());
  if (list < 0) return;
  char name[256], value[1024];
  for (int i = 0; i < 10000; i++) {
    int len = varmodEnumVariable(list, i, name, sizeof name, value, sizeof value);
    if (len < 0) break;
    if (len > static_cast<int>(sizeof value)) std::abort();
    // Names are cut to the buffer; a whole one is found again by name.
    if (strlen(name) < sizeof name - 1 && !varmodHasVariable(list, name)) std::abort();
    char again[1024];
    varmodGetVariable(list, name, again, sizeof again);
  }
  varmodGetVariable(list, "list", value, 1);
  varmodDestroyList(list);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();

  std::string decoded = text;
  int n = urlDecode(decoded.data());
  if (n < 0 || n > static_cast<int>(text.size())) std::abort();

  parseAndRead(text);

  // The cookie header's value, as the connection turns it into a query.
  for (int bufferSize : {1, 7, 1024}) {
    std::vector<char> form(bufferSize, 'x');
    serverCookieToQuery(text.c_str(), form.data(), bufferSize);
    if (!std::memchr(form.data(), 0, form.size())) std::abort();
    if (bufferSize == 1024) parseAndRead(form.data());
  }
  return 0;
}
