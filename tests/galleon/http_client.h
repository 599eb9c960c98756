// A raw HTTP client for the server tests: one TCP connection on loopback,
// requests written as given, answers read header by header.
#pragma once
#include <map>
#include <string>

namespace gtest_http {

struct Response {
  int status = 0;            // 0: no answer (connection closed or timed out)
  std::string statusLine;
  std::string head;          // every header line with its CR LF, as received
  std::map<std::string, std::string> headers;  // names in lower case; last one wins
  std::string body;
  bool has(const std::string& name) const { return headers.count(name) > 0; }
  std::string get(const std::string& name) const {
    auto it = headers.find(name);
    return it == headers.end() ? "" : it->second;
  }
};

class Connection {
 public:
  // Connects to 127.0.0.1:port, optionally from another loopback source address.
  explicit Connection(int port, const char* sourceAddress = nullptr);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool ok() const { return fd_ >= 0; }
  bool send(const std::string& bytes);
  // Reads one answer; a HEAD answer or one without body has headOnly true.
  Response read(bool headOnly = false, int timeoutMs = 5000);
  Response request(const std::string& text, bool headOnly = false) {
    send(text);
    return read(headOnly);
  }
  // True when the peer has closed the connection within the time.
  bool closedByPeer(int timeoutMs = 3000);
  void close();

 private:
  bool fill(int timeoutMs);
  int fd_ = -1;
  std::string buffer_;
};

// A simple GET with "Connection: close" on a new connection.
Response get(int port, const std::string& target, const std::string& extraHeaders = "");
// Runs curl with the arguments and returns what it wrote to stdout.
std::string curl(const std::string& arguments);
// A free TCP port on loopback.
int freePort();

}  // namespace gtest_http
