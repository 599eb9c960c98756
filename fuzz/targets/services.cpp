// Service definitions of the port forwarding plug-in, loaded from an
// arbitrary configuration file, listed, saved and loaded again: the second
// load must give the same services and ranges.
#include <cstdint>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <strings.h>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "servicemod.h"

namespace {
constexpr const char* kSection = "waymark-services";

struct Service {
  std::string name;
  int enabled;
  std::vector<PortRange> ranges;
  bool operator==(const Service& o) const {
    if (name != o.name || enabled != o.enabled || ranges.size() != o.ranges.size()) return false;
    for (size_t i = 0; i < ranges.size(); i++)
      if (ranges[i].from != o.ranges[i].from || ranges[i].to != o.ranges[i].to ||
          ranges[i].protocol != o.ranges[i].protocol)
        return false;
    return true;
  }
};

std::vector<Service> listServices() {
  std::vector<Service> out;
  char name[256];
  for (int pos = 0; pos < 1000; pos++) {
    int id = servicemodEnumServices(pos, name, sizeof name);
    if (id < 0) break;
    Service s{name, servicemodGetServiceEnable(id), {}};
    PortRange r;
    for (int i = 0; i < 1000 && servicemodGetPortRange(id, i, &r) >= 0; i++) {
      if (r.from > r.to) std::abort();
      s.ranges.push_back(r);
    }
    out.push_back(s);
  }
  return out;
}
// Names that a profile file keeps as they are: distinct without regard to
// case, no blanks at either end, not taken for a comment or a section.
bool plainNames(const std::vector<Service>& services) {
  for (size_t i = 0; i < services.size(); i++) {
    const std::string& n = services[i].name;
    if (n.empty() || std::strchr(" \t;[", n.front()) || std::strchr(" \t", n.back())) return false;
    for (size_t j = 0; j < i; j++)
      if (strcasecmp(services[j].name.c_str(), n.c_str()) == 0) return false;
  }
  return true;
}
size_t sectionCount(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  size_t count = 0;
  for (size_t at = text.find(kSection); at != std::string::npos; at = text.find(kSection, at + 1)) count++;
  return count;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::writeFile("services.ini", data, size);
  if (servicemodInit(path.c_str(), kSection) != 0) return 0;
  std::vector<Service> first = listServices();
  bool saved = servicemodSave() == 0;
  servicemodShutdown();
  if (!saved) return 0;
  if (servicemodInit(path.c_str(), kSection) != 0) std::abort();
  std::vector<Service> second = listServices();
  servicemodShutdown();
  // A file with the section twice is read from its first copy, and a save
  // replaces only that copy: such a file is not expected to read back alike.
  if (plainNames(first) && sectionCount(data, size) == 1 && !(first == second)) std::abort();
  return 0;
}
