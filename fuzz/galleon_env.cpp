#include "galleon_env.h"

#include <fcntl.h>
#include <gd.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "fuzz_util.h"
#include "logmod.h"
#include "pwdmod.h"

extern "C" int zelextInit(const char* configPath);

namespace fuzz {

namespace {

void writeJpeg(const std::string& name) {
  gdImagePtr image = gdImageCreateTrueColor(32, 24);
  gdImageFilledRectangle(image, 4, 4, 20, 16, gdTrueColor(200, 40, 40));
  int size = 0;
  void* bytes = gdImageJpegPtr(image, &size, 80);
  writeFile(name, static_cast<const uint8_t*>(bytes), static_cast<size_t>(size));
  gdFree(bytes);
  gdImageDestroy(image);
}

void writeUserDatabase() {
  PwdRecord record{};
  std::strcpy(record.user, "system");
  std::strcpy(record.password, "secret");
  std::strcpy(record.resource, "Private");
  int32_t size = sizeof record;
  std::string bytes(reinterpret_cast<const char*>(&size), sizeof size);
  bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
  writeFile("galleon.dbu", bytes);
}

}  // namespace

void galleonStart() {
  static bool started = false;
  if (started) return;
  started = true;
  std::string config = writeFile("cradle.ini",
                                 "[photo]\nEnable=0\nTimeout=5\nAccessLogging=1\nPhotos=Photo\nFiles=File\n");
  writeUserDatabase();
  writeFile("Collections/Public/readme.txt", "public text\n");
  writeFile("Collections/Public/.hidden", "hidden.txt\n");
  writeFile("Collections/Public/hidden.txt", "hidden\n");
  writeFile("Collections/Public/sub/a..b.txt", "dots\n");
  writeJpeg("Collections/Public/photo.jpg");
  writeFile("Collections/Private/secret.txt", "secret text\n");
  writeJpeg("Collections/Private/private.jpg");
  writeFile("Collections/Photos/note.txt", "note\n");
  writeFile("Collections/Files/data.bin", "\x01\x02\x03");
  writeFile("outside.txt", "outside\n");
  std::error_code ignored;
  std::filesystem::create_directory_symlink("../Private", tempDir() + "/Collections/Public/private-link", ignored);
  std::filesystem::create_symlink(tempDir() + "/outside.txt", tempDir() + "/Collections/Public/outside-link",
                                  ignored);
  if (zelextInit(config.c_str()) != 0) std::abort();
}

void galleonTrimLog() {
  static unsigned count = 0;
  if (++count % 512 == 0) logmodClearLog();
}

ClientFeed::ClientFeed(const uint8_t* input, size_t size) : input_(reinterpret_cast<const char*>(input), size) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) std::abort();
  server_ = pair[0];
  client_ = pair[1];
  fcntl(client_, F_SETFL, O_NONBLOCK);
  // Writes and reads in one loop, so neither side can wait for the other.
  helper_ = std::thread([this] {
    size_t sent = 0;
    bool writing = true;
    char sink[65536];
    if (input_.empty()) {
      shutdown(client_, SHUT_WR);
      writing = false;
    }
    for (;;) {
      pollfd p{client_, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
      if (poll(&p, 1, -1) < 0) continue;
      if (writing && (p.revents & (POLLOUT | POLLERR | POLLHUP))) {
        ssize_t n = send(client_, input_.data() + sent, input_.size() - sent, MSG_NOSIGNAL);
        if (n > 0) sent += static_cast<size_t>(n);
        if (n < 0 && errno != EAGAIN) sent = input_.size();
        if (sent == input_.size()) {
          shutdown(client_, SHUT_WR);
          writing = false;
        }
      }
      if (p.revents & (POLLIN | POLLERR | POLLHUP)) {
        ssize_t n = recv(client_, sink, sizeof sink, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN)) break;
      }
    }
  });
}

ClientFeed::~ClientFeed() {
  helper_.join();
  close(client_);
}

}  // namespace fuzz
