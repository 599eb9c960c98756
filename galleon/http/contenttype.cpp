// Content types by file extension: the system's media-types table
// (/etc/mime.types), looked up without regard to letter case, with a small
// built-in table for systems without it.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "respmod.h"

namespace {

const char* const kBuiltIn[][2] = {
    {"htm", "text/html"},        {"html", "text/html"},      {"txt", "text/plain"},
    {"css", "text/css"},         {"js", "text/javascript"},  {"xml", "text/xml"},
    {"jpg", "image/jpeg"},       {"jpeg", "image/jpeg"},     {"jpe", "image/jpeg"},
    {"gif", "image/gif"},        {"png", "image/png"},       {"bmp", "image/bmp"},
    {"tif", "image/tiff"},       {"tiff", "image/tiff"},     {"ico", "image/x-icon"},
    {"svg", "image/svg+xml"},    {"webp", "image/webp"},     {"mp3", "audio/mpeg"},
    {"wav", "audio/x-wav"},      {"ogg", "audio/ogg"},       {"mp4", "video/mp4"},
    {"mpg", "video/mpeg"},       {"mpeg", "video/mpeg"},     {"avi", "video/x-msvideo"},
    {"mov", "video/quicktime"},  {"pdf", "application/pdf"}, {"zip", "application/zip"},
    {"gz", "application/gzip"},  {"doc", "application/msword"},
    {"rtf", "application/rtf"},  {"json", "application/json"},
};

std::once_flag g_once;
std::unordered_map<std::string, std::string> g_typeTable;
std::unordered_map<std::string, std::string>* const g_types = &g_typeTable;

std::string lower(const char* s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return out;
}

void load() {
  for (const auto& e : kBuiltIn) (*g_types)[e[0]] = e[1];
  FILE* f = fopen("/etc/mime.types", "r");
  if (!f) return;
  char line[1024];
  while (fgets(line, sizeof line, f)) {
    if (line[0] == '#') continue;
    char* save = nullptr;
    char* type = strtok_r(line, " \t\r\n", &save);
    if (!type || !strchr(type, '/')) continue;
    while (char* ext = strtok_r(nullptr, " \t\r\n", &save)) (*g_types)[lower(ext)] = type;
  }
  fclose(f);
}

}  // namespace

int respmodContentType(const char* path, char* buffer, int size) {
  if (!path || !buffer || size < 1) return 0;
  buffer[0] = 0;
  const char* dot = strrchr(path, '.');
  const char* slash = strrchr(path, '/');
  if (!dot || (slash && slash > dot)) return snprintf(buffer, size, "application/octet-stream");
  std::call_once(g_once, load);
  auto it = g_types->find(lower(dot + 1));
  if (it == g_types->end()) return 0;
  int n = snprintf(buffer, size, "%s", it->second.c_str());
  return n < size ? n : size - 1;
}
