// The server's modules driven directly: line reading, variables and query
// strings, dates and conditional requests, host matching and failure counts,
// the user database file and the access log's date and escaping.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bufmod.h"
#include "config.h"
#include "fwmod.h"
#include "listmod.h"
#include "log_collector.h"
#include "logmod.h"
#include "pwdmod.h"
#include "respmod.h"
#include "server.h"
#include "varmod.h"
#include "zellog.h"

namespace fs = std::filesystem;

namespace {

struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/galleon-mod-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path); }
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

class Bufmod : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(bufmodInit(), 0);
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    slot = bufmodOpen(fds[0]);
    ASSERT_GE(slot, 0);
  }
  void TearDown() override {
    bufmodShutdown();
    if (fds[1] >= 0) close(fds[1]);
  }
  void peerWrite(const std::string& s) { ASSERT_EQ(write(fds[1], s.data(), s.size()), (ssize_t)s.size()); }
  std::string readLine(int size = 1024) {
    std::string buf(size, '\0');
    int n = bufmodReadLine(slot, buf.data(), size);
    return n < 0 ? "<" + std::to_string(n) + ">" : buf.substr(0, n);
  }
  int fds[2] = {-1, -1};
  int slot = -1;
};

TEST_F(Bufmod, HandsOutBufferedLinesWithTheirLineEnds) {
  peerWrite("GET / HTTP/1.0\r\nHost: x\r\n\r\n");
  EXPECT_EQ(readLine(), "GET / HTTP/1.0\r\n");
  EXPECT_EQ(readLine(), "Host: x\r\n");
  EXPECT_EQ(readLine(), "\r\n");
  EXPECT_EQ(bufmodGetBytesRead(slot), 27);
  peerWrite("bare\nnext\r\n");
  EXPECT_EQ(readLine(), "bare\n");
  EXPECT_EQ(readLine(), "next\r\n");
}

TEST_F(Bufmod, CutsLongLinesIntoPiecesAndKeepsTheLineEndWithTheLast) {
  peerWrite(std::string(3000, 'a') + "\r\n");
  EXPECT_EQ(readLine().size(), 1023u);
  EXPECT_EQ(readLine().size(), 1023u);
  EXPECT_EQ(readLine(), std::string(954, 'a') + "\r\n");
  // 1022 characters and CR LF do not fit a 1024-byte buffer: the line end is not split off alone.
  peerWrite(std::string(1022, 'b') + "\r\nz\r\n");
  std::string first = readLine();
  EXPECT_EQ(first.find('\r'), std::string::npos);
  std::string second = readLine();
  EXPECT_EQ(first.size() + second.size(), 1024u);
  EXPECT_EQ(second.substr(second.size() - 2), "\r\n");
  EXPECT_EQ(readLine(), "z\r\n");
}

TEST_F(Bufmod, ReportsEndOfStreamTimeOutAndEndlessLines) {
  EXPECT_EQ(bufmodSetOption(slot, BUFMOD_OPT_READ_TIMEOUT, "1"), 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(readLine(), "<-7>");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  peerWrite("abc");
  close(fds[1]);
  fds[1] = -1;
  EXPECT_EQ(readLine(), "abc");
  EXPECT_EQ(readLine(), "<-6>");
  char data[] = "x";
  EXPECT_EQ(bufmodWrite(slot, data, 1), BUFMOD_ERR_EOF);
}

TEST_F(Bufmod, CapsALineThatNeverEnds) {
  std::thread writer([this] {
    std::string chunk(4096, 'q');
    for (int i = 0; i < 20; i++)
      if (send(fds[1], chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0) break;
  });
  EXPECT_EQ(readLine(), "<-9>");
  shutdown(fds[0], SHUT_RDWR);
  writer.join();
}

TEST_F(Bufmod, RefusesTheSixtyFifthSlotAndBadArguments) {
  std::vector<int> extra;
  for (int i = 1; i < BUFMOD_SLOTS; i++) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    extra.push_back(pair[1]);
    ASSERT_GE(bufmodOpen(pair[0]), 0);
  }
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_EQ(bufmodOpen(pair[0]), BUFMOD_ERR_FULL);
  close(pair[0]);
  close(pair[1]);
  EXPECT_EQ(bufmodSetOption(slot, 99, "1"), BUFMOD_ERR_ARG);
  EXPECT_EQ(bufmodSetOption(64, 1, "1"), BUFMOD_ERR_ARG);
  EXPECT_EQ(bufmodClose(slot), 0);
  EXPECT_EQ(bufmodClose(slot), BUFMOD_ERR_NOT_IN_USE);
  for (int fd : extra) close(fd);
}

TEST_F(Bufmod, ANewConnectionTakesTheSlotThatWaitedLongestForARequest) {
  // Slot `slot` and 63 more, all full; two of them wait for a request.
  std::vector<int> peers;
  std::vector<int> slots;
  for (int i = 1; i < BUFMOD_SLOTS; i++) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    peers.push_back(pair[1]);
    slots.push_back(bufmodOpen(pair[0]));
    ASSERT_GE(slots.back(), 0);
  }
  ASSERT_EQ(bufmodAwaitRequest(slots[5], 60), 0);
  ASSERT_EQ(bufmodAwaitRequest(slots[9], 60), 0);
  ASSERT_EQ(bufmodAwaitRequest(slots[7], 60), 0);
  ASSERT_EQ(bufmodRequestRead(slots[7]), 0);  // busy answering again: not taken
  // The owner of the evicted slot sees the end of its stream and closes it.
  std::thread owner([&] {
    char line[64];
    EXPECT_EQ(bufmodReadLine(slots[5], line, sizeof line), 0);
    EXPECT_EQ(bufmodClose(slots[5]), 0);
  });
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  int taken = bufmodOpen(pair[0]);
  owner.join();
  EXPECT_EQ(taken, slots[5]);
  char byte;
  EXPECT_EQ(recv(peers[5], &byte, 1, 0), 0);  // the evicted client was closed
  // With every connection busy with a request, a newcomer waits a while for
  // a slot and is refused when none comes free.
  ASSERT_EQ(bufmodRequestRead(slots[9]), 0);
  int other[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, other), 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(bufmodOpen(other[0]), BUFMOD_ERR_FULL);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(BUFMOD_EVICT_WAIT_MS - 100));
  // A slot that comes free meanwhile is taken at once.
  std::thread closer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    bufmodClose(slots[20]);
  });
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(bufmodOpen(other[0]), slots[20]);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  closer.join();
  close(peers[20]);
  peers[20] = -1;
  for (int fd : {other[1], pair[1]}) close(fd);
  for (int fd : peers)
    if (fd >= 0) close(fd);
}

TEST_F(Bufmod, AHeadThatTricklesInEndsAtItsDeadline) {
  ASSERT_EQ(bufmodSetOption(slot, BUFMOD_OPT_READ_TIMEOUT, "10"), 0);
  ASSERT_EQ(bufmodAwaitRequest(slot, 1), 0);
  std::atomic<bool> stop{false};
  std::thread trickle([&] {
    while (!stop) {
      if (send(fds[1], "x", 1, MSG_NOSIGNAL) != 1) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(readLine(), "<-7>");  // each byte came well within the read time-out
  auto took = std::chrono::steady_clock::now() - start;
  stop = true;
  trickle.join();
  EXPECT_GT(took, std::chrono::milliseconds(800));
  EXPECT_LT(took, std::chrono::milliseconds(1800));
  // Once the head is read, no deadline holds.
  ASSERT_EQ(bufmodRequestRead(slot), 0);
  peerWrite("done\n");
  EXPECT_EQ(readLine().substr(0, 3), "xxx");
}

TEST_F(Bufmod, WritesEveryByte) {
  std::string big(200000, 'w');
  std::thread reader([this, &big] {
    std::string got;
    char buf[65536];
    while (got.size() < big.size()) {
      ssize_t n = read(fds[1], buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, n);
    }
    EXPECT_EQ(got, big);
  });
  EXPECT_EQ(bufmodWrite(slot, big.data(), (int)big.size()), 0);
  reader.join();
  EXPECT_EQ(bufmodGetBytesSent(slot), 200000);
}

class Varmod : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(varmodInit(), 0); }
  void TearDown() override { varmodShutdown(); }
  std::string value(int list, const char* name) {
    char buf[256];
    int n = varmodGetVariable(list, name, buf, sizeof buf);
    return n < 0 ? "<" + std::to_string(n) + ">" : std::string(buf, n);
  }
};

TEST_F(Varmod, ParsesQueriesAndDecodesValuesOnly) {
  char query[] = "list=details&sortcol=name&x&a%20b=1+2%2B3&bad=%zz%4&empty=";
  int id = varmodParseQuery(query);
  ASSERT_GT(id, 0);
  EXPECT_EQ(value(id, "list"), "details");
  EXPECT_EQ(value(id, "sortcol"), "name");
  EXPECT_EQ(value(id, "x"), "");
  EXPECT_EQ(varmodHasVariable(id, "x"), 1);
  EXPECT_EQ(value(id, "a%20b"), "1 2+3");
  EXPECT_EQ(value(id, "bad"), "%zz%4");
  EXPECT_EQ(value(id, "empty"), "");
  EXPECT_EQ(value(id, "nothing"), "<-5>");
  EXPECT_EQ(varmodDestroyList(id), 0);
  EXPECT_EQ(value(id, "list"), "<-4>");
}

TEST_F(Varmod, ReplacesAppendsAndEnumeratesInOrder) {
  int id = varmodCreateList();
  varmodAddVariable(id, "list", "icons", 0);
  varmodAddVariable(id, "list", "details", 0);
  varmodAppendVariable(id, "ALL_RAW", "a\r\n", 0);
  varmodAppendVariable(id, "ALL_RAW", "b\r\n", 0);
  varmodAddVariable(id, "bin", "a\0b", 3);
  EXPECT_EQ(value(id, "list"), "details");
  EXPECT_EQ(value(id, "ALL_RAW"), "a\r\nb\r\n");
  EXPECT_EQ(value(id, "bin"), std::string("a\0b", 3));
  char name[4], val[3];
  EXPECT_EQ(varmodEnumVariable(id, 1, name, sizeof name, val, sizeof val), 3);
  EXPECT_STREQ(name, "ALL");
  EXPECT_EQ(std::string(val, 3), "a\r\n");
  EXPECT_EQ(varmodEnumVariable(id, 3, name, sizeof name, val, sizeof val), VARMOD_ERR_NO_VAR);
}

TEST(UrlDecode, DecodesPlusAndHexAndLeavesTheRest) {
  char a[] = "/a%20b/c.jpg";
  EXPECT_EQ(urlDecode(a), 10);
  EXPECT_STREQ(a, "/a b/c.jpg");
  char b[] = "100%+%2f%2F%4";
  urlDecode(b);
  EXPECT_STREQ(b, "100% //%4");
}

TEST(ServerHelpers, TurnsCookiesIntoQueriesAndDecodesCredentials) {
  char out[256];
  serverCookieToQuery("list=details; x=1", out, sizeof out);
  EXPECT_STREQ(out, "x=1&list=details");
  serverCookieToQuery("a=1;\tb=2;; a=3", out, sizeof out);
  EXPECT_STREQ(out, "a=3&b=2&a=1");
  serverCookieToQuery("single=1", out, sizeof out);
  EXPECT_STREQ(out, "single=1");
  char creds[256];
  EXPECT_EQ(serverDecodeBase64("YW5uYTpzZWNyZXQ=", creds, sizeof creds), 11);
  EXPECT_STREQ(creds, "anna:secret");
  serverDecodeBase64("YW5u!YQ==trailing", creds, sizeof creds);
  EXPECT_STREQ(creds, "anna");
  char small[4];
  serverDecodeBase64("YW5uYTpzZWNyZXQ=", small, sizeof small);
  EXPECT_STREQ(small, "ann");
}

TEST(Respmod, FormatsDatesAndTestsIfModifiedSince) {
  char date[64];
  time_t t = 1085155200;  // Fri, 21 May 2004 16:00:00 GMT
  respmodFormatDate(date, &t, 0);
  EXPECT_STREQ(date, "Fri, 21 May 2004 16:00:00 GMT");
  respmodFormatDate(date, &t, 86400 * 3);
  EXPECT_STREQ(date, "Mon, 24 May 2004 16:00:00 GMT");

  TempDir dir;
  std::string file = dir.file("f.txt");
  std::ofstream(file) << "x";
  struct timespec times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  EXPECT_EQ(respmodIfModifiedSince(file.c_str(), "If-Modified-Since: Fri, 21 May 2004 16:00:00 GMT"), 0);
  EXPECT_EQ(respmodIfModifiedSince(file.c_str(), "If-Modified-Since: Fri, 21 may 2004 16:00:00 GMT; length=1"), 0);
  EXPECT_EQ(respmodIfModifiedSince(file.c_str(), "If-Modified-Since: Friday, 21-May-2004 16:00:00 GMT"), 0);
  EXPECT_EQ(respmodIfModifiedSince(file.c_str(), "If-Modified-Since: Fri, 21 May 2004 16:00:01 GMT"), 1);
  EXPECT_EQ(respmodIfModifiedSince(file.c_str(), "If-Modified-Since: Friday, 21-May-04 16:00:00 GMT"), 1);
  EXPECT_EQ(respmodIfModifiedSince(file.c_str(), "If-Modified-Since: garbage"), 1);
  // Numbers of any size are read without overflow and match nothing.
  for (const char* huge : {"If-Modified-Since: Fri, 99999999999999 May 2004 16:00:00 GMT",
                           "If-Modified-Since: Fri, 21 May 4294969300 16:00:00 GMT",
                           "If-Modified-Since: Fri, 21 May 2004 4294967312:00:00 GMT",
                           "If-Modified-Since: Fri, 21 May 2004 16:00:999999999999999 GMT",
                           "If-Modified-Since: Fri, 21 May 02004 16:00:00 GMT"})
    EXPECT_EQ(respmodIfModifiedSince(file.c_str(), huge), 1) << huge;
  EXPECT_EQ(respmodIfModifiedSince(file.c_str(), ""), 1);
  EXPECT_EQ(respmodIfModifiedSince(dir.file("missing").c_str(), "If-Modified-Since: Fri, 21 May 2004 16:00:00 GMT"), 1);
}

TEST(Respmod, LooksContentTypesUpWithoutRegardToCase) {
  char type[256];
  EXPECT_GT(respmodContentType("/x/photo.JPG", type, sizeof type), 0);
  EXPECT_STREQ(type, "image/jpeg");
  EXPECT_GT(respmodContentType("/x/README", type, sizeof type), 0);
  EXPECT_STREQ(type, "application/octet-stream");
  EXPECT_GT(respmodContentType("/x.d/README", type, sizeof type), 0);
  EXPECT_STREQ(type, "application/octet-stream");
  EXPECT_EQ(respmodContentType("/x/file.nosuchextension", type, sizeof type), 0);
}

TEST(Respmod, RefusesCookiesThatWouldBreakTheHeader) {
  EXPECT_EQ(respmodSetCookie(0, "list=icons; path=/;"), 0);
  EXPECT_EQ(respmodSetCookie(0, "list=x\r\nSet-Cookie: y"), -2);
  EXPECT_EQ(respmodSetCookie(0, "list=\x01"), -2);
  EXPECT_EQ(respmodSetCookie(0, std::string(3000, 'c').c_str()), -1);
  EXPECT_EQ(respmodSetCookie(64, "a"), -2);
  EXPECT_EQ(respmodSetCookie(0, nullptr), 0);
}

class Fwmod : public ::testing::Test {
 protected:
  void start(const std::string& ini) {
    std::ofstream(dir.file("cradle.ini")) << ini;
    ASSERT_EQ(fwmodInit(dir.file("cradle.ini").c_str(), "photo"), 0);
  }
  void TearDown() override { fwmodShutdown(); }
  TempDir dir;
};

TEST_F(Fwmod, MatchesHostsAndNetworksByPolicy) {
  start("[photo]\nhost-access-policy=1\n[photo-host-access]\n192.168.1.0\n10.0.0.5\nnot-an-address\n");
  EXPECT_EQ(fwmodIsHostAllowed("192.168.1.77"), 0);
  EXPECT_EQ(fwmodIsHostAllowed("192.168.2.1"), 1);
  EXPECT_EQ(fwmodIsHostAllowed("10.0.0.5"), 0);
  EXPECT_EQ(fwmodIsHostAllowed("10.0.0.6"), 1);
  EXPECT_EQ(fwmodIsHostAllowed("garbage"), 0);
  EXPECT_EQ(fwmodIsHostAllowed("1.2.3.256"), 0);
  EXPECT_EQ(fwmodGetTargetKind("192.168.1.0"), 2);
  EXPECT_EQ(fwmodGetTargetKind("10.0.0.5"), 1);
  char target[32];
  EXPECT_EQ(fwmodGetTarget(2, target, sizeof target), 14);
  EXPECT_EQ(fwmodGetTarget(3, target, sizeof target), FWMOD_ERR_ARG);
  EXPECT_EQ(fwmodAddTarget("10.0.0.5"), FWMOD_ERR_DUPLICATE);
  ASSERT_EQ(fwmodSetPolicy(2), 0);
  EXPECT_EQ(fwmodIsHostAllowed("10.0.0.5"), 1);
  EXPECT_EQ(fwmodIsHostAllowed("10.0.0.6"), 0);
  EXPECT_EQ(fwmodSetPolicy(3), FWMOD_ERR_ARG);
  ASSERT_EQ(fwmodClearAllTargets(), 0);
  EXPECT_EQ(fwmodIsHostAllowed("10.0.0.5"), 0);
}

TEST_F(Fwmod, CountsFailuresAndResetsOnSuccess) {
  start("");
  EXPECT_EQ(fwmodGetFailureCount("1.2.3.4"), FWMOD_ERR_ARG);
  fwmodHostAccess("1.2.3.4", 0);  // first sight: recorded with count 0
  EXPECT_EQ(fwmodGetFailureCount("1.2.3.4"), 0);
  for (int i = 0; i < 10; i++) fwmodHostAccess("1.2.3.4", 0);
  EXPECT_EQ(fwmodGetFailureCount("1.2.3.4"), 10);
  fwmodHostAccess("1.2.3.4", 1);
  EXPECT_EQ(fwmodGetFailureCount("1.2.3.4"), 0);
}

TEST_F(Fwmod, WritesPolicyAndTargetsBackAtShutdown) {
  start("[photo]\nPort=1234\n");
  fwmodAddTarget("10.1.2.3");
  fwmodAddTarget("192.168.0.0");
  fwmodSetPolicy(2);
  ASSERT_EQ(fwmodShutdown(), 0);
  ASSERT_EQ(fwmodInit(dir.file("cradle.ini").c_str(), "photo"), 0);
  EXPECT_EQ(fwmodGetPolicy(), 2);
  char target[32];
  fwmodGetTarget(0, target, sizeof target);
  EXPECT_STREQ(target, "10.1.2.3");
  fwmodGetTarget(1, target, sizeof target);
  EXPECT_STREQ(target, "192.168.0.0");
  EXPECT_EQ(GetPrivateProfileIntA("photo", "Port", 0, dir.file("cradle.ini").c_str()), 1234u);
}

class Pwdmod : public ::testing::Test {
 protected:
  void TearDown() override { pwdmodShutdown(); }
  std::string db() const { return dir.file("galleon.dbu"); }
  TempDir dir;
};

TEST_F(Pwdmod, ChecksPasswordsOfResourcesWithoutRegardToCase) {
  ASSERT_EQ(pwdmodInit(db().c_str()), 0);
  EXPECT_EQ(pwdmodAddUser("system", "twentycharacterslong", "Holiday"), 0);
  EXPECT_EQ(pwdmodAddUser("system", nullptr, "Public"), 0);
  char buf[32];
  EXPECT_EQ(pwdmodGetPassword("holiday", "SYSTEM", buf, sizeof buf), 15);
  EXPECT_STREQ(buf, "twentycharacter");
  EXPECT_EQ(pwdmodCheckPassword("system", "twentycharacter", "HOLIDAY"), 1);
  EXPECT_EQ(pwdmodCheckPassword("system", "TwentyCharacter", "Holiday"), 0);
  EXPECT_EQ(pwdmodCheckPassword("system", "", "Public"), 0);
  EXPECT_EQ(pwdmodResourceHasPassword("Holiday"), 1);
  EXPECT_EQ(pwdmodResourceHasPassword("Public"), 0);
  EXPECT_EQ(pwdmodResourceExists("public"), 1);
  EXPECT_EQ(pwdmodResourceExists("Nothing"), 0);
  EXPECT_EQ(pwdmodAddUser("system", nullptr, "holiday"), 0);  // clears the password
  EXPECT_EQ(pwdmodResourceHasPassword("Holiday"), 0);
  EXPECT_EQ(pwdmodDeleteUserResource("system", "HOLIDAY"), 0);
  EXPECT_EQ(pwdmodDeleteUserResource("system", "Holiday"), PWDMOD_ERR_ARG);
  EXPECT_EQ(pwdmodInit(db().c_str()), PWDMOD_ERR_NOT_OPEN);
}

TEST_F(Pwdmod, SavesTheListFileForItsOwnerAndReadsItBack) {
  ASSERT_EQ(pwdmodInit(db().c_str()), 0);
  ASSERT_EQ(pwdmodShutdown(), 0);
  EXPECT_EQ(fs::file_size(db()), 0u);  // an empty list is an empty file
  ASSERT_EQ(pwdmodInit(db().c_str()), 0);
  pwdmodAddUser("system", "pw1", "A");
  pwdmodAddUser("system", "pw2", "B");
  ASSERT_EQ(pwdmodShutdown(), 0);
  EXPECT_EQ(fs::file_size(db()), 4u + 2 * 560u);
  struct stat st{};
  stat(db().c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(pwdmodInit(db().c_str()), 0);
  EXPECT_EQ(pwdmodCheckPassword("system", "pw2", "B"), 1);
  EXPECT_EQ(pwdmodCheckPassword("system", "pw1", "A"), 1);
  ASSERT_EQ(pwdmodShutdown(), 0);
  EXPECT_FALSE(fs::exists(db() + ".tmp"));
}

TEST_F(Pwdmod, AFileThatCannotBeReadWholeKeepsEveryCollectionClosed) {
  ASSERT_EQ(pwdmodInit(db().c_str()), 0);
  pwdmodAddUser("system", "pw1", "A");
  pwdmodAddUser("system", "pw2", "B");
  ASSERT_EQ(pwdmodShutdown(), 0);
  std::string whole;
  {
    std::ifstream in(db(), std::ios::binary);
    whole.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::string sizeZero("\0\0\0\0garbage", 11);
  std::string hugeSize = std::string("\xff\xff\xff\x7f", 4) + whole.substr(4);
  for (const std::string& damaged : {whole.substr(0, 4 + 560 + 100), whole.substr(0, 3), sizeZero, hugeSize}) {
    std::ofstream(db(), std::ios::binary | std::ios::trunc) << damaged;
    EXPECT_EQ(pwdmodInit(db().c_str()), PWDMOD_ERR_DAMAGED) << damaged.size();
    EXPECT_EQ(pwdmodIsLocked(), 1);
    // Not public: every collection is protected and no password opens it.
    EXPECT_EQ(pwdmodResourceHasPassword("A"), 1);
    EXPECT_EQ(pwdmodResourceHasPassword("Public"), 1);
    EXPECT_EQ(pwdmodCheckPassword("system", "pw1", "A"), 0);
    EXPECT_EQ(pwdmodAddUser("system", "new", "C"), PWDMOD_ERR_DAMAGED);
    // Shut-down leaves the file for repair rather than saving a shortened list.
    EXPECT_EQ(pwdmodShutdown(), 0);
    std::ifstream in(db(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
    EXPECT_EQ(pwdmodIsLocked(), 0);
  }
  // An unreadable file is no empty database either.
  std::ofstream(db(), std::ios::binary | std::ios::trunc) << whole;
  chmod(db().c_str(), 0);
  if (access(db().c_str(), R_OK) != 0) {  // root reads it anyway
    EXPECT_EQ(pwdmodInit(db().c_str()), PWDMOD_ERR_DAMAGED);
    EXPECT_EQ(pwdmodResourceHasPassword("B"), 1);
    pwdmodShutdown();
  }
  chmod(db().c_str(), 0600);
  // The whole file reads as before.
  ASSERT_EQ(pwdmodInit(db().c_str()), 0);
  EXPECT_EQ(pwdmodCheckPassword("system", "pw2", "B"), 1);
}

TEST_F(Pwdmod, ASaveKilledHalfWayLeavesTheOldFileOrTheNewOneNeverAShortOne) {
  // A child saves the database over and over, switching between 300 and 150
  // records; it is killed at random moments.
  auto fill = [](int count) {
    for (int i = 0; i < 300; i++) {
      std::string name = "R" + std::to_string(i);
      if (i < count) pwdmodAddUser("system", "pw", name.c_str());
      else pwdmodDeleteUserResource("system", name.c_str());
    }
  };
  ASSERT_EQ(pwdmodInit(db().c_str()), 0);
  fill(300);
  ASSERT_EQ(pwdmodShutdown(), 0);
  const uintmax_t big = 4 + 300 * 560, small = 4 + 150 * 560;
  srand(12345);
  for (int round = 0; round < 20; round++) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; i++) {
        if (pwdmodInit(db().c_str()) != 0) _exit(3);
        fill(i % 2 ? 300 : 150);
        pwdmodShutdown();
      }
    }
    usleep(5000 + rand() % 40000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << WEXITSTATUS(status);
    uintmax_t size = fs::file_size(db());
    ASSERT_TRUE(size == big || size == small) << "round " << round << ": " << size << " bytes";
    ASSERT_EQ(pwdmodInit(db().c_str()), 0);
    EXPECT_EQ(pwdmodCheckPassword("system", "pw", "R0"), 1);
    ASSERT_EQ(pwdmodShutdown(), 0);
  }
}

TEST(Logmod, FormatsTheDateWithTheZoneOffset) {
  char date[64];
  time_t winter = 1796558773;  // 06 Dec 2026 12:06:13 UTC
  time_t summer = 1783339573;  // 06 Jul 2026 12:06:13 UTC
  setenv("TZ", "EST5", 1);
  tzset();
  logmodFormatDate(date, sizeof date, winter);
  EXPECT_STREQ(date, "[06/Dec/2026:07:06:13 -0500]");
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  logmodFormatDate(date, sizeof date, winter);
  EXPECT_STREQ(date, "[06/Dec/2026:13:06:13 +0100]");
  logmodFormatDate(date, sizeof date, summer);
  EXPECT_STREQ(date, "[06/Jul/2026:14:06:13 +0200]");
  setenv("TZ", "IST-5:30", 1);
  tzset();
  logmodFormatDate(date, sizeof date, winter);
  EXPECT_STREQ(date, "[06/Dec/2026:17:36:13 +0530]");
  unsetenv("TZ");
  tzset();
}

TEST(Logmod, EscapesQuotesBackslashesAndControlBytes) {
  char out[128];
  logmodEscape("Mozilla/5.0 (X11; Linux)", out, sizeof out);
  EXPECT_STREQ(out, "Mozilla/5.0 (X11; Linux)");
  logmodEscape("a\"b\\c\r\nd\x7f\xe9", out, sizeof out);
  EXPECT_STREQ(out, "a\\x22b\\x5cc\\x0d\\x0ad\\x7f\\xe9");
  char small[6];
  logmodEscape("ab\"cd", small, sizeof small);
  EXPECT_STREQ(small, "ab...");  // an escape is never cut in half, and the cut is marked
  logmodEscape("abcde", small, sizeof small);
  EXPECT_STREQ(small, "abcde");
  logmodEscape("abcdef", small, sizeof small);
  EXPECT_STREQ(small, "ab...");
  char tiny[3];
  logmodEscape("\x01xyz", tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "..");
}

TEST(Logmod, ShowsTheLastLinesOfTheLogAndAppendsRecords) {
  TempDir dir;
  {
    std::ofstream log(dir.file("galleon.log"));
    for (int i = 1; i <= 300; i++) log << "line " << i << "\n";
  }
  ASSERT_EQ(logmodInit(dir.file("galleon.log").c_str(), nullptr), 0);
  EXPECT_EQ(logmodAttachWindow(nullptr), -2);
  ASSERT_EQ(logmodAttachWindow(reinterpret_cast<HWND>(1)), 0);
  ASSERT_EQ(logmodGetShownCount(), 250);
  char line[64];
  logmodGetShownLine(0, line, sizeof line);
  EXPECT_STREQ(line, "line 51");
  EXPECT_EQ(logmodWrite(LOGMOD_FORMAT_SHORT, "1.2.3.4", "-", "GET", "/ HTTP/1.0", 200, 5ul), 0);
  EXPECT_EQ(logmodGetShownCount(), 250);
  logmodGetShownLine(0, line, sizeof line);
  EXPECT_STREQ(line, "line 52");
  EXPECT_EQ(logmodClearLog(), 0);
  EXPECT_EQ(logmodGetShownCount(), 0);
  EXPECT_FALSE(fs::exists(dir.file("galleon.log")));
  EXPECT_EQ(logmodWrite("no date field %d", 7), 0);
  std::ifstream in(dir.file("galleon.log"));
  std::string record;
  std::getline(in, record);
  EXPECT_EQ(record.front(), '[');
  EXPECT_EQ(record.substr(record.size() - 17), "] no date field 7");
  EXPECT_EQ(logmodShutdown(), 0);
  EXPECT_EQ(logmodWrite("x"), -1);
}

}  // namespace

namespace {

TEST(Config, ReadsDefaultsHostNameAndDerivedPaths) {
  TempDir dir;
  GalleonConfig c;
  snprintf(c.configPath, sizeof c.configPath, "%s", dir.file("cradle.ini").c_str());
  std::ofstream(c.configPath) << "[General]\nAddress=photos\n[Domains]\nRoot=example.test\n";
  configRead(c);
  EXPECT_EQ(c.port, 8888);
  EXPECT_EQ(c.timeout, 60);
  EXPECT_EQ(c.accessLogging, 1);
  EXPECT_EQ(c.enable, 1);
  EXPECT_EQ(c.maxImageX, 640);
  EXPECT_EQ(c.maxImageY, 480);
  EXPECT_EQ(c.mixedListType, 0);
  EXPECT_EQ(c.wideConfig, 0);
  EXPECT_STREQ(c.hostName, "photos.example.test");
  EXPECT_STREQ(c.realm, "Skyloom");
  std::ofstream(c.configPath) << "[General]\nAddress=photos\nCompany=Maker\n[Domains]\nRoot=\n[photo]\nPort=9000\n";
  configRead(c);
  EXPECT_STREQ(c.hostName, "");
  EXPECT_STREQ(c.realm, "Maker");
  EXPECT_EQ(c.port, 9000);

  configDerivePaths(c);
  EXPECT_EQ(std::string(c.userDbPath), dir.file("galleon.dbu"));
  EXPECT_EQ(std::string(c.accessLogPath), dir.file("galleon.log"));
  EXPECT_EQ(std::string(c.collectionsDir), dir.file("Collections"));
  EXPECT_EQ(std::string(c.helpPath), dir.file("galleon.hlp"));
  GalleonConfig bare;
  snprintf(bare.configPath, sizeof bare.configPath, "cradle.ini");
  configDerivePaths(bare);
  EXPECT_STREQ(bare.userDbPath, "galleon.dbu");
  EXPECT_STREQ(bare.helpPath, "cradle.ini");
}

}  // namespace

namespace {

std::atomic<unsigned> g_fakeTick{0};
unsigned fakeTick() { return g_fakeTick; }

// Failures count only while each follows the last within five minutes; the
// tick count may wrap on the way.
TEST_F(Fwmod, FailuresFurtherApartThanTheWindowNeverAddUp) {
  start("");
  fwmodSetClock(fakeTick);
  struct Case { const char* host; unsigned start, step; int failures, expected; };
  for (Case c : {Case{"10.0.0.6", 1000, 6 * 60000, 30, 1},              // every six minutes
                 Case{"10.0.0.7", 0xFFFFFFFFu - 500000, 6 * 60000, 30, 1},  // across the wrap
                 Case{"10.0.0.8", 1000, 300000, 30, 1},                 // exactly five minutes
                 Case{"10.0.0.4", 1000, 4 * 60000, 11, 10},             // every four minutes
                 Case{"10.0.0.5", 0xFFFFFFFFu - 500000, 299999, 11, 10}}) {
    g_fakeTick = c.start;
    int highest = 0;
    for (int i = 0; i < c.failures; i++) {
      ASSERT_EQ(fwmodHostAccess(c.host, 0), 0);
      highest = std::max(highest, fwmodGetFailureCount(c.host));
      g_fakeTick += c.step;
    }
    EXPECT_EQ(highest, c.expected) << c.host;
  }
  fwmodSetClock(nullptr);
}

TEST_F(Fwmod, DropsRecordsOfHostsSeenLongAgoAndKeepsCountingOnes) {
  start("[photo]\n");
  g_fakeTick = 1000;
  fwmodSetClock(fakeTick);
  for (int i = 0; i < 500; i++) {
    std::string address = "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
    ASSERT_EQ(fwmodHostAccess(address.c_str(), i % 2 ? FWMOD_OUTCOME_SEEN : FWMOD_OUTCOME_SUCCESS), 0);
  }
  ASSERT_EQ(fwmodHostAccess("10.9.9.9", FWMOD_OUTCOME_FAILURE), 0);
  ASSERT_EQ(fwmodHostAccess("10.9.9.9", FWMOD_OUTCOME_FAILURE), 0);
  EXPECT_EQ(fwmodGetFailureRecordCount(), 501);
  // A request that needs no password does not clear a count; a right password does.
  ASSERT_EQ(fwmodHostAccess("10.9.9.9", FWMOD_OUTCOME_SEEN), 0);
  EXPECT_EQ(fwmodGetFailureCount("10.9.9.9"), 1);
  g_fakeTick += FWMOD_FAILURE_WINDOW_MS - 1;
  ASSERT_EQ(fwmodHostAccess("10.9.9.9", FWMOD_OUTCOME_FAILURE), 0);
  EXPECT_EQ(fwmodGetFailureRecordCount(), 501);  // nothing stale yet
  g_fakeTick += 2;
  ASSERT_EQ(fwmodHostAccess("10.8.8.8", FWMOD_OUTCOME_SEEN), 0);
  // The 500 quiet hosts went stale and are gone; the counting one stays.
  EXPECT_EQ(fwmodGetFailureRecordCount(), 2);
  EXPECT_EQ(fwmodGetFailureCount("10.9.9.9"), 2);
  EXPECT_EQ(fwmodGetFailureCount("10.0.0.1"), FWMOD_ERR_ARG);
  // A host that comes back starts afresh.
  ASSERT_EQ(fwmodHostAccess("10.0.0.1", FWMOD_OUTCOME_FAILURE), 0);
  EXPECT_EQ(fwmodGetFailureCount("10.0.0.1"), 0);
  ASSERT_EQ(fwmodHostAccess("10.9.9.9", FWMOD_OUTCOME_SUCCESS), 0);
  EXPECT_EQ(fwmodGetFailureCount("10.9.9.9"), 0);
  fwmodSetClock(nullptr);
}

TEST_F(Fwmod, CountsEachHostOnItsOwnWhileOthersSucceed) {
  start("");
  fwmodHostAccess("10.0.0.1", 0);  // first sight of both
  fwmodHostAccess("10.0.0.2", 1);
  for (int i = 0; i < 3; i++) fwmodHostAccess("10.0.0.1", 0);
  fwmodHostAccess("10.0.0.2", 1);  // a success elsewhere leaves the count alone
  fwmodHostAccess("10.0.0.3", 1);  // a new host is recorded on success too
  EXPECT_EQ(fwmodGetFailureCount("10.0.0.1"), 3);
  EXPECT_EQ(fwmodGetFailureCount("10.0.0.2"), 0);
  EXPECT_EQ(fwmodGetFailureCount("10.0.0.3"), 0);
  fwmodHostAccess("10.0.0.1", 1);
  EXPECT_EQ(fwmodGetFailureCount("10.0.0.1"), 0);
  fwmodHostAccess("10.0.0.3", 0);
  EXPECT_EQ(fwmodGetFailureCount("10.0.0.3"), 1);
}

}  // namespace

namespace {

int freeLoopbackPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    a.sin_port = 0;
  close(s);
  return ntohs(a.sin_port);
}

// Runs the listener thread until it reports it has started; stop() ends it.
struct ListenerRun {
  explicit ListenerRun(suite::LogCollector& log) {
    thread = CreateThread(nullptr, 0, serverListenerThread, nullptr, 0, nullptr);
    started = thread && log.waitForText("started on port " + std::to_string(g_config.port));
  }
  DWORD stop() {
    serverRequestStop();
    DWORD code = 0;
    if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0 || !GetExitCodeThread(thread, &code)) code = 99;
    CloseHandle(thread);
    serverClearStop();
    return code;
  }
  HANDLE thread = nullptr;
  bool started = false;
};

TEST(Listener, GoesOnWithoutAConnectionListAndLeavesTheOtherListsAlone) {
  suite::LogCollector log;
  ASSERT_TRUE(log.start(suite::LogCollector::uniqueName("listener")));
  zelextLogSetSlot(log.name().c_str());
  TempDir dir;
  g_config.port = freeLoopbackPort();
  ASSERT_NE(g_config.port, 0);
  snprintf(g_config.listenAddress, sizeof g_config.listenAddress, "127.0.0.1");
  snprintf(g_config.collectionsDir, sizeof g_config.collectionsDir, "%s", dir.path.c_str());
  g_serverStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(g_serverStopEvent, nullptr);

  // The list module is not running: the listener does not start it behind
  // the back of the module that owns it.
  ASSERT_EQ(listCreate(), -1);
  {
    ListenerRun run(log);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(log.waitForText("listCreate() failed with error code -1"));
    EXPECT_EQ(listCreate(), -1);
    EXPECT_EQ(run.stop(), 1u);
  }

  // Every list slot is taken: the lists of the other modules stay whole, and
  // connections are still accepted.
  ASSERT_EQ(listInit(), 0);
  int kept = listCreate();
  ASSERT_GE(kept, 0);
  ASSERT_GE(listAddItem(kept, "user", 5), 0);
  while (listCreate() >= 0) {
  }
  log.clear();
  {
    ListenerRun run(log);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(log.waitForText("listCreate() failed with error code -3"));
    EXPECT_EQ(listGetCount(kept), 1);
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(g_config.port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    // The connection thread runs (and, without the buffer module, closes it).
    EXPECT_TRUE(log.waitFor([](const suite::LogRecord& r) { return r.text.rfind("bufmodOpen() returned error code", 0) == 0; }));
    char c;
    EXPECT_EQ(recv(s, &c, 1, 0), 0);
    close(s);
    EXPECT_EQ(run.stop(), 1u);
    EXPECT_EQ(listGetCount(kept), 1);
  }
  listShutdown();
  CloseHandle(g_serverStopEvent);
  g_serverStopEvent = nullptr;
  zelextLogSetSlot(nullptr);
}

}  // namespace
