#include "http_client.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace gtest_http {

Connection::Connection(int port, const char* sourceAddress) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  if (sourceAddress) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, sourceAddress, &local.sin_addr);
    bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) close();
}

Connection::~Connection() { close(); }

void Connection::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool Connection::send(const std::string& bytes) {
  size_t sent = 0;
  while (fd_ >= 0 && sent < bytes.size()) {
    ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return fd_ >= 0;
}

bool Connection::fill(int timeoutMs) {
  if (fd_ < 0) return false;
  pollfd pfd{fd_, POLLIN, 0};
  if (poll(&pfd, 1, timeoutMs) <= 0) return false;
  char chunk[65536];
  ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
  if (n <= 0) return false;
  buffer_.append(chunk, static_cast<size_t>(n));
  return true;
}

Response Connection::read(bool headOnly, int timeoutMs) {
  Response r;
  size_t end;
  while ((end = buffer_.find("\r\n\r\n")) == std::string::npos)
    if (!fill(timeoutMs)) return r;
  std::string head = buffer_.substr(0, end + 2);
  buffer_.erase(0, end + 4);
  size_t lineEnd = head.find("\r\n");
  r.statusLine = head.substr(0, lineEnd);
  r.head = head.substr(lineEnd + 2);
  if (r.statusLine.size() > 9) r.status = atoi(r.statusLine.c_str() + 9);
  size_t pos = lineEnd + 2;
  while (pos < head.size()) {
    size_t next = head.find("\r\n", pos);
    std::string line = head.substr(pos, next - pos);
    pos = next + 2;
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    std::string value = line.substr(colon + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    r.headers[name] = value;
  }
  if (headOnly) return r;
  if (r.has("content-length")) {
    size_t length = strtoul(r.get("content-length").c_str(), nullptr, 10);
    while (buffer_.size() < length)
      if (!fill(timeoutMs)) break;
    size_t take = length < buffer_.size() ? length : buffer_.size();
    r.body = buffer_.substr(0, take);
    buffer_.erase(0, take);
  } else {
    while (fill(timeoutMs)) {
    }
    r.body.swap(buffer_);
  }
  return r;
}

bool Connection::closedByPeer(int timeoutMs) {
  if (fd_ < 0) return true;
  pollfd pfd{fd_, POLLIN, 0};
  if (poll(&pfd, 1, timeoutMs) <= 0) return false;
  char c;
  return recv(fd_, &c, 1, MSG_PEEK) <= 0;
}

Response get(int port, const std::string& target, const std::string& extraHeaders) {
  Connection c(port);
  return c.request("GET " + target + " HTTP/1.0\r\n" + extraHeaders + "Connection: close\r\n\r\n");
}

std::string curl(const std::string& arguments) {
  std::string command = "curl -s -m 10 " + arguments + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return "";
  std::string out;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, p)) > 0) out.append(chunk, n);
  pclose(p);
  return out;
}

int freePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace gtest_http
