// The real plug-in serving over loopback: files, keep-alive, limits, time-outs,
// conditional requests, path safety and stopping.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "galleon_fixture.h"
#include "plugin_host.h"

using gtest_http::Connection;
using gtest_http::Response;
namespace fs = std::filesystem;

namespace {

std::string keepAliveGet(const std::string& target) {
  return "GET " + target + " HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n";
}

class GalleonServer : public ::testing::Test {
 protected:
  void startWith(const std::string& photoLines = "") {
    ASSERT_EQ(g.start(photoLines), 0);
    ASSERT_TRUE(g.waitRunning());
    g.writeFile("Collections/Holiday/beach.jpg", std::string(5000, 'j'));
    g.writeFile("Collections/Holiday/notes.txt", "sand and sea\n");
  }
  GalleonInstance g;
};

TEST(GalleonPluginManager, LoadsThePlugInAndServesFiles) {
  suite::PluginHost host;
  int port = gtest_http::freePort();
  host.addDistPlugin("galleon.dll");
  host.setConfig("[photo]\nPort=" + std::to_string(port) + "\nListenAddress=127.0.0.1\n");
  ASSERT_EQ(host.start(), 0);
  ASSERT_TRUE(host.log().waitForText("started on port " + std::to_string(port)));
  EXPECT_TRUE(fs::is_directory(host.directory() + "Collections/Recycle Bin"));
  {
    std::ofstream(host.directory() + "Collections/hello.txt") << "hello";
  }
  Response r = gtest_http::get(port, "/hello.txt");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "hello");
  host.stop();
  EXPECT_TRUE(host.log().waitForText("stopped"));
  EXPECT_TRUE(host.log().waitForText("shutdown complete."));
}

TEST_F(GalleonServer, AnswersFilesWithTheirHeaders) {
  startWith();
  Response r = gtest_http::get(g.port, "/Holiday/notes.txt");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.statusLine, "HTTP/1.0 200 OK");
  EXPECT_EQ(r.body, "sand and sea\n");
  EXPECT_EQ(r.get("content-type"), "text/plain");
  EXPECT_EQ(r.get("content-length"), "13");
  EXPECT_EQ(r.get("connection"), "close");
  EXPECT_EQ(r.get("server").rfind("galleon/1.02", 0), 0u);
  EXPECT_NE(r.get("last-modified").find(" GMT"), std::string::npos);

  g.writeFile("Collections/Holiday/PHOTO.JPG", "x");
  g.writeFile("Collections/Holiday/README", "x");
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/PHOTO.JPG").get("content-type"), "image/jpeg");
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/README").get("content-type"), "application/octet-stream");
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/a%20b.txt").status, 404);
  g.writeFile("Collections/Holiday/a b.txt", "spaced");
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/a%20b.txt").body, "spaced");
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/a+b.txt").body, "spaced");
  // Hidden names are answered like missing ones.
  g.writeFile("Collections/Holiday/.beach.tmb", "thumb");
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/.beach.tmb").status, 404);

  // HEAD: the same headers, no body.
  Connection c(g.port);
  c.send("HEAD /Holiday/beach.jpg HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n");
  Response head = c.read(true);
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.get("content-length"), "5000");
  Response next = c.request(keepAliveGet("/Holiday/notes.txt"));  // no body bytes were left in between
  EXPECT_EQ(next.status, 200);
  EXPECT_EQ(next.body, "sand and sea\n");

  std::string viaCurl = gtest_http::curl("-I http://127.0.0.1:" + std::to_string(g.port) + "/Holiday/beach.jpg");
  EXPECT_NE(viaCurl.find("Content-Length: 5000"), std::string::npos) << viaCurl;
}

TEST_F(GalleonServer, RefusesDotDotInEveryEncodedForm) {
  startWith();
  g.writeFile("secret.txt", "secret");
  for (const char* target : {"/../secret.txt", "/Holiday/../../secret.txt", "/x/..%2F..%2Fsecret.txt",
                             "/%2e%2e/secret.txt", "/%2E%2E%2fsecret.txt", "/Holiday/%2e./%2e%2e/secret.txt",
                             "/..%5csecret.txt", "/.%2e/secret.txt"}) {
    Response r = gtest_http::get(g.port, target);
    EXPECT_EQ(r.status, 400) << target;
    EXPECT_EQ(r.body.find("secret"), std::string::npos) << target;
  }
}

TEST_F(GalleonServer, ServesSymbolicLinksOnlyWhenTheyStayInsideTheCollections) {
  startWith();
  g.writeFile("outside/secret.txt", "secret");
  ASSERT_EQ(symlink(g.path("outside/secret.txt").c_str(), g.path("Collections/Holiday/leak.txt").c_str()), 0);
  ASSERT_EQ(symlink(g.path("outside").c_str(), g.path("Collections/Holiday/outdir").c_str()), 0);
  ASSERT_EQ(symlink(g.path("Collections/Holiday/notes.txt").c_str(), g.path("Collections/Holiday/link.txt").c_str()),
            0);
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/leak.txt").status, 404);
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/outdir/secret.txt").status, 404);
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/outdir/").status, 404);
  Response inside = gtest_http::get(g.port, "/Holiday/link.txt");
  EXPECT_EQ(inside.status, 200);
  EXPECT_EQ(inside.body, "sand and sea\n");
}

TEST_F(GalleonServer, AnswersIfModifiedSinceByTheExactSecond) {
  startWith();
  // Fri, 21 May 2004 16:00:00 GMT
  struct timespec times[2] = {{1085155200, 0}, {1085155200, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, g.path("Collections/Holiday/notes.txt").c_str(), times, 0), 0);
  Response same = gtest_http::get(g.port, "/Holiday/notes.txt", "If-Modified-Since: Fri, 21 May 2004 16:00:00 GMT\r\n");
  EXPECT_EQ(same.status, 304);
  EXPECT_EQ(same.get("content-length"), "0");
  EXPECT_EQ(same.get("content-type"), "text/html");
  EXPECT_TRUE(same.body.empty());
  Response later = gtest_http::get(g.port, "/Holiday/notes.txt", "If-Modified-Since: Fri, 21 May 2004 16:00:01 GMT\r\n");
  EXPECT_EQ(later.status, 200);
  EXPECT_EQ(later.body, "sand and sea\n");
  // RFC 850 form with the same date.
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/notes.txt", "If-Modified-Since: Friday, 21-May-04 16:00:00 GMT\r\n").status,
            200);
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/notes.txt", "If-Modified-Since: Friday, 21-May-2004 16:00:00 GMT\r\n").status,
            304);
}

TEST_F(GalleonServer, CountsKeepAliveRequestsAndClosesAfterTheHundredth) {
  startWith();
  Connection c(g.port);
  for (int i = 1; i <= 100; i++) {
    Response r = c.request(keepAliveGet("/Holiday/notes.txt"));
    ASSERT_EQ(r.status, 200) << "request " << i;
    if (i < 100) {
      EXPECT_EQ(r.get("keep-alive"), "timeout=60, max=" + std::to_string(100 - i)) << i;
      EXPECT_EQ(r.get("connection"), "Keep-Alive");
    } else {
      EXPECT_EQ(r.get("connection"), "close");
      EXPECT_FALSE(r.has("keep-alive"));
    }
  }
  EXPECT_TRUE(c.closedByPeer());
}

TEST_F(GalleonServer, ReadsRequestsSplitAcrossReceivesAndLongLines) {
  startWith();
  Connection c(g.port);
  std::string request = "GET /Holiday/notes.txt HTTP/1.0\r\nUser-Agent: " + std::string(3000, 'a') +
                        "\r\nConnection: Keep-Alive\r\n\r\n";
  for (size_t i = 0; i < request.size(); i += 700) {
    c.send(request.substr(i, 700));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Response r = c.read();
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "sand and sea\n");
  // A piece of an over-long header never counts as a header of its own.
  std::string tricky = "GET /Holiday/notes.txt HTTP/1.0\r\nX-Long: " + std::string(1023 - 8, 'b') +
                       "Connection: Keep-Alive\r\n\r\n";
  Response second = c.request(tricky);
  EXPECT_EQ(second.status, 200);
  EXPECT_EQ(second.get("connection"), "close");
  EXPECT_TRUE(c.closedByPeer());

  // A line that never ends is cut off at 64 KiB.
  Connection endless(g.port);
  endless.send("GET /Holiday/notes.txt HTTP/1.0\r\nX-Endless: ");
  std::string chunk(8192, 'z');
  for (int i = 0; i < 9; i++) endless.send(chunk);
  EXPECT_TRUE(endless.closedByPeer());
}

TEST_F(GalleonServer, ASixtyFifthConnectionTakesTheSlotOfTheLongestIdleOne) {
  startWith("Timeout=3");
  std::vector<std::unique_ptr<Connection>> open;
  for (int i = 0; i < 64; i++) {
    open.push_back(std::make_unique<Connection>(g.port));
    Response r = open.back()->request(keepAliveGet("/Holiday/notes.txt"));
    ASSERT_EQ(r.status, 200) << "connection " << i;
    EXPECT_EQ(r.get("keep-alive"), "timeout=3, max=99");
  }
  // Every slot is held by an idle keep-alive connection: the newcomer is
  // served, and the one idle longest (the first) makes room.
  Connection extra(g.port);
  Response served = extra.request(keepAliveGet("/Holiday/notes.txt"));
  EXPECT_EQ(served.status, 200);
  EXPECT_TRUE(open.front()->closedByPeer(1000));
  EXPECT_EQ(open[1]->request(keepAliveGet("/Holiday/notes.txt")).status, 200);
  // Idle keep-alive connections end after the time-out.
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(open[2]->closedByPeer(5000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

TEST_F(GalleonServer, AnswersUnknownMethodsWithNotImplementedAndCloses) {
  startWith();
  for (const char* line : {"get /Holiday/notes.txt HTTP/1.0", "PUT /Holiday/notes.txt HTTP/1.0",
                           "Host: example", "\x16\x03\x01\x02\x00\x01"}) {
    Connection c(g.port);
    c.send(std::string(line) + "\r\nConnection: Keep-Alive\r\n\r\n");
    Response r = c.read(false, 3000);
    EXPECT_EQ(r.status, 501) << line;
    EXPECT_EQ(r.get("connection"), "close") << line;
    EXPECT_TRUE(c.closedByPeer(2000)) << line;
  }
  EXPECT_NE(g.readFile("galleon.log").find("\"PUT /Holiday/notes.txt HTTP/1.0\" 501 "), std::string::npos);
}

TEST_F(GalleonServer, StopsWithOpenKeepAliveConnectionsWithinAboutASecond) {
  startWith();
  std::vector<std::unique_ptr<Connection>> open;
  for (int i = 0; i < 5; i++) {
    open.push_back(std::make_unique<Connection>(g.port));
    ASSERT_EQ(open.back()->request(keepAliveGet("/Holiday/notes.txt")).status, 200);
  }
  Connection half(g.port);
  half.send("GET /Holiday/notes.txt HTTP/1.0\r\n");  // a request still being read
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(g.stop(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  for (auto& c : open) EXPECT_TRUE(c->closedByPeer(500));
  EXPECT_TRUE(g.log.waitForText("stopped"));
}

TEST_F(GalleonServer, KeepsInjectedTextOutOfTheCookieHeader) {
  startWith();
  Response good = gtest_http::get(g.port, "/Holiday/?list=icons&set=1");
  EXPECT_EQ(good.get("set-cookie"), "list=icons; path=/Holiday/; expires=Monday, 31-Dec-2029 23:59:59 GMT;");
  Response bad = gtest_http::get(g.port, "/Holiday/?list=x%0D%0ASet-Cookie:%20evil=1&set=1");
  EXPECT_FALSE(bad.has("set-cookie")) << bad.head;
  EXPECT_EQ(bad.head.find("evil"), std::string::npos) << bad.head;
  Response tab = gtest_http::get(g.port, "/Holiday/?list=a%09b&set=1");
  EXPECT_FALSE(tab.has("set-cookie"));
}

TEST_F(GalleonServer, BindFailureIsReportedAndTheStatusStopped) {
  int busy = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(g.port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(busy, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(busy, 1), 0);
  ASSERT_EQ(g.start(), 0);
  EXPECT_TRUE(g.log.waitForText("Unable to bind to port " + std::to_string(g.port) + "; port is already in use"));
  close(busy);
}

TEST_F(GalleonServer, DisabledServerDoesNotListen) {
  ASSERT_EQ(g.start("Enable=0"), 0);
  EXPECT_TRUE(g.log.waitForText("server not enabled."));
  Connection c(g.port);
  EXPECT_FALSE(c.ok());
}

}  // namespace

namespace {

TEST_F(GalleonServer, NeverTakesAPostBodyForTheNextRequest) {
  startWith();
  g.writeFile("Collections/secret.txt", "not for a smuggled request");
  Connection c(g.port);
  std::string body = "GET /secret.txt HTTP/1.0\r\n\r\n";
  Response r = c.request("POST /Holiday/notes.txt HTTP/1.0\r\nConnection: Keep-Alive\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "sand and sea\n");
  EXPECT_EQ(r.get("connection"), "close");
  EXPECT_TRUE(c.closedByPeer());
  EXPECT_EQ(c.read(false, 500).status, 0);
  // Without a body the connection stays open.
  Connection empty(g.port);
  Response first = empty.request(
      "POST /Holiday/notes.txt HTTP/1.0\r\nConnection: Keep-Alive\r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(first.get("connection"), "Keep-Alive");
  EXPECT_EQ(empty.request(keepAliveGet("/Holiday/notes.txt")).status, 200);
}

}  // namespace

namespace {

TEST_F(GalleonServer, AnswersInSeveralPiecesDoNotWaitForDelayedAcknowledgements) {
  startWith();
  // A 404 page leaves as header and body in two writes. With Nagle's
  // algorithm on, every such answer would wait about 40 ms for the client's
  // delayed acknowledgement: forty answers would take well over a second.
  Connection c(g.port);
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 40; i++) ASSERT_EQ(c.request(keepAliveGet("/missing.txt")).status, 404);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

}  // namespace

namespace {

TEST_F(GalleonServer, AnswersAFifoAsMissingWithoutWaitingForAWriter) {
  startWith();
  ASSERT_EQ(mkfifo(g.path("Collections/Holiday/pipe").c_str(), 0644), 0);
  Response r = gtest_http::get(g.port, "/Holiday/pipe");
  EXPECT_EQ(r.status, 404);
  EXPECT_EQ(gtest_http::get(g.port, "/Holiday/notes.txt").status, 200);
}

}  // namespace
