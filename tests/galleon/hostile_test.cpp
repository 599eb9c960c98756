// The real plug-in under hostile requests: every way of naming a protected
// object, ways out of the collections, hidden names, links, clients that hold
// slots, huge heads, huge numbers, cookie and log injection.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "galleon_fixture.h"

using gtest_http::Connection;
using gtest_http::Response;
using Clock = std::chrono::steady_clock;

namespace {

const char* kPasswordHeader = "Authorization: Basic eDpvcGVuc2VzYW1l\r\n";  // x:opensesame

Response rawGet(int port, const std::string& target, const std::string& headers = "") {
  Connection c(port);
  return c.request("GET " + target + " HTTP/1.0\r\n" + headers + "\r\n");
}

long residentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

class GalleonHostile : public ::testing::Test {
 protected:
  void startWith(const std::string& photoLines = "") {
    g.writeUserDatabase("Private", "opensesame");
    ASSERT_EQ(g.start(photoLines), 0);
    ASSERT_TRUE(g.waitRunning());
    g.writeFile("Collections/Private/secret.txt", "top secret");
    g.writeFile("Collections/Private/photo.jpg", std::string(2000, 'p'));
    g.writeFile("Collections/Private/album/a.txt", "inner");
    g.writeFile("Collections/Public/notes.txt", "public notes");
    g.writeFile("Collections/Public/a..b.jpg", "dots");
  }
  // Status of a request without credentials, and the body must not leak.
  void expectClosed(const std::string& target) {
    Response r = rawGet(g.port, target);
    EXPECT_EQ(r.status, 401) << target;
    EXPECT_EQ(r.body.find("top secret"), std::string::npos) << target;
    EXPECT_EQ(r.body.find("secret.txt"), std::string::npos) << target;
    EXPECT_EQ(rawGet(g.port, target, kPasswordHeader).status, 200) << target;
  }
  GalleonInstance g;
};

TEST_F(GalleonHostile, EveryWayOfNamingAProtectedObjectAsksForItsPassword) {
  startWith();
  for (const char* path : {"/Private/secret.txt", "/./Private/secret.txt", "/%2e/Private/secret.txt",
                           "\\Private/secret.txt", "%5cPrivate/secret.txt", "/%5CPrivate%5Csecret.txt",
                           "//Private//secret.txt", "/Public/../Private/secret.txt",
                           "/nothing/%2e%2e/Private/secret.txt", "/%50rivate/secret.txt", "Private/secret.txt",
                           "/Private/./album/../secret.txt"}) {
    expectClosed(path);
  }
  // Listings of the protected collection and its folders.
  for (const char* path : {"/Private/", "/./Private/", "/%2e/Private/album/", "\\Private\\", "/Public/../Private/"})
    expectClosed(path);
  // Every image prefix with every form of the protected path.
  for (const char* prefix : {"/cif:", "/cid:", "/cib:", "/CIF%3A", "/cib%3a"}) {
    for (const char* path : {"/Private/photo.jpg", "/./Private/photo.jpg", "\\Private\\photo.jpg",
                             "/%2e/Private/album/", "//Private/photo.jpg"}) {
      expectClosed(std::string(prefix) + path);
    }
  }
  // Icons tell nothing about which names exist in a protected collection.
  for (const char* prefix : {"/cid:", "/cib:", "/cif:"}) {
    EXPECT_EQ(rawGet(g.port, std::string(prefix) + "/Private/secret.txt").status, 401);
    EXPECT_EQ(rawGet(g.port, std::string(prefix) + "/Private/no-such-name.txt").status, 401);
  }
  // Public paths still answer; a name with two dots is a name.
  EXPECT_EQ(rawGet(g.port, "/Public/notes.txt").body, "public notes");
  EXPECT_EQ(rawGet(g.port, "/Public/a..b.jpg").body, "dots");
  EXPECT_EQ(rawGet(g.port, "/Public/sub/../notes.txt").body, "public notes");
}

TEST_F(GalleonHostile, NothingOutsideTheCollectionsIsListedOrServed) {
  startWith();
  std::string collections = g.path("Collections");
  std::vector<std::string> targets = {"/Public/../../?list=details", "/../", "/..%2f..%2f..%2fetc/",
                                      "/Public/..\\..\\", "/cid:/../cradle.ini", "/cif:/..%5c..%5cetc/passwd"};
  // Many "./" then more ".." than there are segments, at the largest size a target may have.
  std::string dots = "/Public/";
  while (dots.size() < 900) dots += "./";
  targets.push_back(dots + "../../?list=details");
  for (int ups = 2; ups < 12; ups++) {
    std::string up = "/Public/";
    for (int i = 0; i < ups; i++) up += "../";
    targets.push_back(up + "etc/");
  }
  for (const std::string& target : targets) {
    Response r = rawGet(g.port, target);
    EXPECT_EQ(r.status, 400) << target;
    EXPECT_EQ(r.body.find("cradle.ini"), std::string::npos) << target;
    EXPECT_EQ(r.body.find(collections), std::string::npos) << target;
  }
  // Longer than a request line may be, with ".." beyond any buffer: refused whole, never cut.
  std::string longDots = "/Public/";
  while (longDots.size() < 3000) longDots += "./";
  for (const std::string& target : {longDots + "../../", std::string("/") + std::string(2000, 'a') + "/../../"}) {
    Response r = rawGet(g.port, target);
    EXPECT_EQ(r.status, 414) << target.size();
    EXPECT_EQ(r.body.find("cradle.ini"), std::string::npos);
  }
  // The root lists collections only, never the hidden Recycle Bin.
  Response root = rawGet(g.port, "/?list=details");
  EXPECT_EQ(root.status, 200);
  EXPECT_NE(root.body.find("Public"), std::string::npos);
  EXPECT_EQ(root.body.find("Recycle"), std::string::npos);
  EXPECT_EQ(root.body.find("cradle.ini"), std::string::npos);
}

TEST_F(GalleonHostile, HiddenNamesAndTheRecycleBinAreAnsweredLikeMissingOnes) {
  startWith();
  g.writeFile("Collections/Recycle Bin/May 7, 2026/Private/secret.txt", "deleted secret");
  g.writeFile("Collections/Public/.dotfile", "dot");
  g.writeFile("Collections/Public/photo.tmb", "thumbnail bytes");
  g.writeFile("Collections/Public/listed.txt", "listed hidden");
  g.writeFile("Collections/Public/hiddendir/x.txt", "in hidden dir");
  g.writeFile("Collections/Public/.hidden", "listed.txt\nhiddendir\n");
  for (const char* target :
       {"/Recycle%20Bin/May%207,%202026/Private/secret.txt", "/Recycle Bin/", "/recycle%20bin/",
        "/./Recycle%20Bin/May%207,%202026/", "/Public/.dotfile", "/Public/.hidden", "/Public/photo.tmb",
        "/Public/PHOTO.TMB", "/Public/listed.txt", "/Public/hiddendir/x.txt", "/Public/hiddendir/"}) {
    Response r = rawGet(g.port, target);
    EXPECT_EQ(r.status, 404) << target;
    for (const char* leak : {"deleted secret", "dot", "thumbnail bytes", "listed hidden", "in hidden dir"})
      EXPECT_EQ(r.body.find(leak), std::string::npos) << target;
  }
  // A thumbnail request for a hidden name gets an icon, not the hidden bytes.
  for (const char* target : {"/cif:/Public/photo.tmb", "/cif:/Recycle Bin/May 7, 2026/Private/secret.txt"}) {
    Response r = rawGet(g.port, target);
    EXPECT_EQ(r.status, 200) << target;
    EXPECT_EQ(r.get("content-type"), "image/png") << target;
  }
}

TEST_F(GalleonHostile, LinksNeedThePasswordOfTheCollectionTheyLeadInto) {
  startWith();
  std::string col = g.path("Collections/");
  ASSERT_EQ(symlink("../Private", (col + "Public/peek").c_str()), 0);
  ASSERT_EQ(symlink((col + "Private/secret.txt").c_str(), (col + "Public/s.txt").c_str()), 0);
  ASSERT_EQ(symlink("Private", (col + "Alias").c_str()), 0);
  ASSERT_EQ(symlink("../Private/photo.jpg", (col + "Public/p.jpg").c_str()), 0);
  for (const char* target : {"/Public/peek/secret.txt", "/Public/s.txt", "/Public/peek/", "/Alias/secret.txt",
                             "/Alias/", "/cif:/Public/p.jpg", "/cib:/Public/peek/", "/cid:/Alias/secret.txt",
                             "/Public/peek/album/a.txt"}) {
    expectClosed(target);
  }
  // A link inside the same collection needs nothing more.
  ASSERT_EQ(symlink("notes.txt", (col + "Public/again.txt").c_str()), 0);
  EXPECT_EQ(rawGet(g.port, "/Public/again.txt").body, "public notes");
}

TEST_F(GalleonHostile, SilentAndSlowClientsDoNotKeepOthersOut) {
  startWith("Timeout=3");
  // Sixty-four clients that connect and say nothing take every slot.
  std::vector<std::unique_ptr<Connection>> silent;
  for (int i = 0; i < 64; i++) silent.push_back(std::make_unique<Connection>(g.port));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let each take its slot
  auto start = Clock::now();
  Response served = rawGet(g.port, "/Public/notes.txt");
  EXPECT_EQ(served.status, 200);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(silent.front()->closedByPeer(1000));  // the one waiting longest made room
  silent.clear();

  // A client that sends its head a byte at a time is cut at the deadline,
  // though no gap between two bytes reaches the time-out.
  Connection slow(g.port);
  std::atomic<bool> closed{false};
  std::string head = "GET /Public/notes.txt HTTP/1.0\r\nUser-Agent: " + std::string(60, 's') + "\r\n\r\n";
  start = Clock::now();
  std::thread sender([&] {
    for (char c : head) {
      if (closed || !slow.send(std::string(1, c))) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  // Meanwhile a normal client is answered at once.
  EXPECT_EQ(rawGet(g.port, "/Public/notes.txt").status, 200);
  EXPECT_TRUE(slow.closedByPeer(6000));
  closed = true;
  sender.join();
  auto took = Clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(4500));  // about the 3 s deadline, not 9 s of trickle
}

TEST_F(GalleonHostile, AHundredThousandHeadersAreAnsweredQuicklyWithBoundedMemory) {
  startWith();
  long before = residentKiB();
  Connection c(g.port);
  std::atomic<bool> done{false};
  std::thread sender([&] {
    std::string chunk;
    c.send("GET /Public/notes.txt HTTP/1.0\r\n");
    for (int i = 0; i < 100000 && !done; i++) {
      chunk += "X-Header-" + std::to_string(i) + ": v\r\n";
      if (chunk.size() > 16384) {
        if (!c.send(chunk)) break;
        chunk.clear();
      }
    }
  });
  auto start = Clock::now();
  Response r = c.read(false, 5000);
  done = true;
  sender.join();
  EXPECT_EQ(r.status, 431);
  EXPECT_EQ(r.get("connection"), "close");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_LT(residentKiB() - before, 20 * 1024);
  // The same header lines within the limits are read as usual.
  std::string fine = "GET /Public/notes.txt HTTP/1.0\r\n";
  for (int i = 0; i < 90; i++) fine += "X-Header-" + std::to_string(i) + ": v\r\n";
  Connection d(g.port);
  EXPECT_EQ(d.request(fine + "\r\n").status, 200);
}

TEST_F(GalleonHostile, UsagePicturesRefuseNumbersOutOfRange) {
  startWith();
  EXPECT_EQ(rawGet(g.port, "/cip:/C/75,40,60").status, 200);
  EXPECT_EQ(rawGet(g.port, "/cip:/C/500,1,1").status, 200);
  for (const char* target :
       {"/cip:/C/75,9223372036854775807,9223372036854775807", "/cip:/C/99999999999999999999999,1,1",
        "/cip:/C/-5,1,1", "/cip:/C/75,-1,2", "/cip:/C/0,1,1", "/cip:/C/75,1", "/cip:/C/75,1,2x",
        "/cip:/C/18446744073709551617,1,1", "/cip:/C/75,40,60000000000000000000"}) {
    EXPECT_EQ(rawGet(g.port, target).status, 500) << target;
  }
  // The server is still there.
  EXPECT_EQ(rawGet(g.port, "/Public/notes.txt").status, 200);
  // The preview position is range-checked too.
  EXPECT_EQ(rawGet(g.port, "/Public/?list=preview&item=99999999999999999999").status, 200);
}

TEST_F(GalleonHostile, TheViewCookieCarriesOnlyAViewNameOnASafePath) {
  startWith();
  g.writeFile("Collections/Holi;day x/a.txt", "a");
  Response good = rawGet(g.port, "/Public/?list=details&set=1");
  EXPECT_EQ(good.get("set-cookie"), "list=details; path=/Public/; expires=Monday, 31-Dec-2029 23:59:59 GMT;");
  for (const char* target : {"/Public/?set=1&list=x;%20domain=evil.example;%20secure", "/Public/?set=1&list=Icons",
                             "/Public/?set=1&list=details%0d%0aX-Injected:%201", "/Public/?set=1&list=%e9"}) {
    Response r = rawGet(g.port, target);
    EXPECT_EQ(r.status, 200) << target;
    EXPECT_FALSE(r.has("set-cookie")) << target;
    EXPECT_FALSE(r.has("x-injected")) << target;
  }
  Response odd = rawGet(g.port, "/Holi%3Bday%20x/?list=icons&set=1");
  EXPECT_EQ(odd.status, 200);
  EXPECT_EQ(odd.get("set-cookie"), "list=icons; path=/Holi%3Bday%20x/; expires=Monday, 31-Dec-2029 23:59:59 GMT;");
  Response utf = rawGet(g.port, "/Public/%C3%A9t%C3%A9/../?list=list&set=1");
  EXPECT_EQ(utf.get("set-cookie"), "list=list; path=/Public/; expires=Monday, 31-Dec-2029 23:59:59 GMT;");
}

TEST_F(GalleonHostile, EveryLogRecordEndsWithStatusAndBytes) {
  startWith();
  std::string quotes(900, '"');
  rawGet(g.port, "/Public/" + quotes);
  rawGet(g.port, "/Public/notes.txt", "User-Agent: " + std::string(1000, '\x01') + "\r\nReferer: " +
                                          std::string(1000, '\\') + "\r\n");
  rawGet(g.port, "/Public/notes.txt", "Authorization: Basic " + std::string(300, 'Q') + "\r\n");
  rawGet(g.port, "/Public/notes.txt?" + std::string(1000, 'q'));
  std::string log = g.readFile("galleon.log");
  std::istringstream lines(log);
  std::regex record(R"re(^127\.0\.0\.1 - \S+ \[[^\]]+\] "[A-Z]+ [^"]*" \d{3} \d+ "[^"]*" "[^"]*"$)re");
  int count = 0;
  for (std::string line; std::getline(lines, line); count++) {
    EXPECT_LE(line.size(), 1024u);
    EXPECT_TRUE(std::regex_match(line, record)) << line;
    // A cut never splits an escape: every backslash starts a whole "\xhh".
    for (size_t at = line.find('\\'); at != std::string::npos; at = line.find('\\', at + 1))
      EXPECT_TRUE(std::regex_match(line.substr(at, 4), std::regex(R"(\\x[0-9a-f]{2})"))) << line.substr(at);
  }
  EXPECT_EQ(count, 4);
  EXPECT_NE(log.find("...\" 404 "), std::string::npos);
}

TEST_F(GalleonHostile, ADamagedUserDatabaseKeepsProtectedCollectionsClosed) {
  g.writeFile("galleon.dbu", std::string("\x30\x02\x00\x00system", 10));  // a record cut short
  ASSERT_EQ(g.start(), 0);
  ASSERT_TRUE(g.waitRunning());
  g.writeFile("Collections/Private/secret.txt", "top secret");
  EXPECT_TRUE(g.log.waitForText(g.path("galleon.dbu") +
                                " could not be read whole; protected collections stay closed until it is repaired"));
  EXPECT_EQ(rawGet(g.port, "/Private/secret.txt").status, 401);
  EXPECT_EQ(rawGet(g.port, "/Private/secret.txt", kPasswordHeader).status, 401);
  EXPECT_EQ(rawGet(g.port, "/cif:/Private/secret.txt").status, 401);
  EXPECT_EQ(rawGet(g.port, "/").status, 200);
  ASSERT_EQ(g.stop(), 0);
  EXPECT_EQ(g.readFile("galleon.dbu"), std::string("\x30\x02\x00\x00system", 10));  // kept for repair
}

TEST_F(GalleonHostile, ShutDownWaitsForAConnectionBlockedInAWrite) {
  startWith();
  g.writeFile("Collections/Public/big.bin", std::string(8 << 20, 'b'));
  Connection reader(g.port);
  reader.send("GET /Public/big.bin HTTP/1.0\r\n\r\n");  // and never read: the thread blocks in its write
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto start = Clock::now();
  EXPECT_EQ(g.stop(), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(g.log.waitForText("stopped"));
}

}  // namespace
