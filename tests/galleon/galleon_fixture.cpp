#include "galleon_fixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plugin_host.h"
#include "zelext_plugin.h"

namespace fs = std::filesystem;

GalleonInstance::GalleonInstance() {
  char pattern[] = "/tmp/galleon-test-XXXXXX";
  if (mkdtemp(pattern)) dir = std::string(pattern) + "/";
  port = gtest_http::freePort();
  module = LoadLibraryA(suite::distPath("ext/galleon.dll").c_str());
}

GalleonInstance::~GalleonInstance() {
  stop();
  if (module) FreeLibrary(module);
  log.stop();
  std::error_code ignored;
  if (!dir.empty()) fs::remove_all(dir, ignored);
}

int GalleonInstance::start(const std::string& photoLines, const std::string& otherSections, bool keepConfig) {
  if (!module) return -100;
  if (!keepConfig)
    writeFile("cradle.ini", "[photo]\nPort=" + std::to_string(port) + "\nListenAddress=127.0.0.1\n" + photoLines +
                                "\n" + otherSections);
  log.stop();
  log.clear();  // waitRunning must see this start's message, not an earlier one
  if (!log.start(suite::LogCollector::uniqueName("galleontest"))) return -100;
  ExtInitInfo info;
  zelextFillInitInfo(&info, nullptr, nullptr, log.name().c_str(), path("cradle.ini").c_str());
  auto init = proc<PFN_zelextInitEx>("zelextInitEx");
  if (!init) return -100;
  int rc = init(&info);
  running = rc == 0;
  return rc;
}

int GalleonInstance::stop() {
  if (!running) return 0;
  running = false;
  return proc<PFN_zelextShutdown>("zelextShutdown")();
}

void GalleonInstance::writeFile(const std::string& relative, const std::string& content) const {
  fs::create_directories(fs::path(dir + relative).parent_path());
  std::ofstream(dir + relative, std::ios::binary) << content;
}

std::string GalleonInstance::readFile(const std::string& relative) const {
  std::ifstream in(dir + relative, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void GalleonInstance::writeUserDatabase(const std::string& collection, const std::string& password) const {
  char record[560] = {};
  strncpy(record, "system", 31);
  strncpy(record + 32, password.c_str(), 15);
  strncpy(record + 48, collection.c_str(), 511);
  int32_t size = sizeof record;
  std::string bytes(reinterpret_cast<char*>(&size), 4);
  bytes.append(record, sizeof record);
  writeFile("galleon.dbu", bytes);
}
