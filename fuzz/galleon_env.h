// A galleon instance for the fuzz targets, without its listener: a
// configuration, a user database with one protected collection and a small
// collections tree in a temporary directory, the plug-in initialised on it.
// Requests are played over a socket pair whose other end a helper thread
// feeds and drains.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

namespace fuzz {

// Initialises the plug-in once per process; later calls do nothing.
void galleonStart();
// Called every so many inputs: empties the access log so it cannot grow.
void galleonTrimLog();

// One end of a socket pair for the server; the other end receives `input`
// (then end of stream) and is read to its end by a helper thread.
class ClientFeed {
 public:
  explicit ClientFeed(const uint8_t* input, size_t size);
  ~ClientFeed();  // waits for the helper: the server end must be closed first
  int serverSocket() const { return server_; }

 private:
  int server_ = -1;
  int client_ = -1;
  std::string input_;
  std::thread helper_;
};

}  // namespace fuzz
