// Loads the real ext/galleon.dll of the program directory, initialises it
// with a cradle.ini of the test in a temporary directory, and collects its
// log records through a real mailslot reader.
#pragma once
#include <windows.h>

#include <string>

#include "http_client.h"
#include "log_collector.h"

class GalleonInstance {
 public:
  GalleonInstance();
  ~GalleonInstance();

  // Writes cradle.ini ("[photo]" with the port, loopback only, then the extra
  // lines) unless keepConfig, and initialises the plug-in. 0 on success.
  int start(const std::string& photoLines = "", const std::string& otherSections = "", bool keepConfig = false);
  // zelextShutdown (saves access list and user database).
  int stop();
  // Waits until the listener reports it is running.
  bool waitRunning() { return log.waitForText("started on port " + std::to_string(port), 5000); }

  std::string path(const std::string& relative) const { return dir + relative; }
  void writeFile(const std::string& relative, const std::string& content) const;
  std::string readFile(const std::string& relative) const;
  // Sets a collection's password in galleon.dbu (while stopped).
  void writeUserDatabase(const std::string& collection, const std::string& password) const;

  template <typename Fn>
  Fn proc(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  }

  std::string dir;  // with trailing '/'
  int port = 0;
  HMODULE module = nullptr;
  suite::LogCollector log;
  bool running = false;
};
