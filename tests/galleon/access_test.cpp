// Host access policies, Basic authentication, automatic blocking, the access
// log and the user database file, on the real plug-in over loopback.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "galleon_fixture.h"

using gtest_http::Connection;
using gtest_http::Response;

namespace {

std::string basic(const std::string& credentials) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < credentials.size(); i += 3) {
    unsigned v = (unsigned char)credentials[i] << 16 | (unsigned char)credentials[i + 1] << 8 |
                 (unsigned char)credentials[i + 2];
    for (int s = 18; s >= 0; s -= 6) out += alphabet[(v >> s) & 63];
  }
  if (credentials.size() - i == 1) {
    unsigned v = (unsigned char)credentials[i] << 16;
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += "==";
  } else if (credentials.size() - i == 2) {
    unsigned v = (unsigned char)credentials[i] << 16 | (unsigned char)credentials[i + 1] << 8;
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += alphabet[(v >> 6) & 63];
    out += '=';
  }
  return "Authorization: Basic " + out + "\r\n";
}

Response getFrom(const char* source, int port, const std::string& target, const std::string& headers = "") {
  Connection c(port, source);
  return c.request("GET " + target + " HTTP/1.0\r\n" + headers + "\r\n");
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

class GalleonAccess : public ::testing::Test {
 protected:
  void startWith(const std::string& photoLines, const std::string& other = "") {
    ASSERT_EQ(g.start(photoLines, other), 0);
    ASSERT_TRUE(g.waitRunning());
    g.writeFile("Collections/Holiday/notes.txt", "sand");
    g.writeFile("Collections/Private/diary.txt", "secret");
    g.writeFile("Collections/notes.txt", "top");
  }
  GalleonInstance g;
};

TEST_F(GalleonAccess, AllowAllExceptListedHostsAndNetworks) {
  startWith("host-access-policy=1", "[photo-host-access]\n127.0.2.0\n127.0.0.9\n");
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/notes.txt").status, 200);
  EXPECT_EQ(getFrom("127.0.3.1", g.port, "/notes.txt").status, 200);
  Response refused = getFrom("127.0.2.77", g.port, "/notes.txt");
  EXPECT_EQ(refused.status, 403);
  EXPECT_EQ(refused.get("connection"), "close");
  EXPECT_NE(refused.body.find("You are not authorized to access this resource."), std::string::npos);
  EXPECT_EQ(getFrom("127.0.0.9", g.port, "/notes.txt").status, 403);
}

TEST_F(GalleonAccess, DenyAllExceptListedHosts) {
  startWith("host-access-policy=2", "[photo-host-access]\n127.0.0.5\n");
  EXPECT_EQ(getFrom("127.0.0.5", g.port, "/notes.txt").status, 200);
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/notes.txt").status, 403);
  EXPECT_EQ(getFrom("127.0.0.6", g.port, "/notes.txt").status, 403);
}

TEST_F(GalleonAccess, DenyAllWithAnEmptyListRefusesEveryone) {
  startWith("host-access-policy=2");
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/notes.txt").status, 403);
  EXPECT_EQ(getFrom("127.0.0.5", g.port, "/").status, 403);
}

TEST_F(GalleonAccess, ProtectedCollectionsAskForTheirPassword) {
  g.writeUserDatabase("Private", "opensesame");
  startWith("", "[General]\nCompany=Test Realm\n");
  // "/" and public collections need no credentials; a top-level file is its own "collection".
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/Holiday/notes.txt").status, 200);
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/notes.txt").status, 200);
  Response challenge = getFrom("127.0.0.1", g.port, "/Private/diary.txt");
  EXPECT_EQ(challenge.status, 401);
  EXPECT_EQ(challenge.statusLine, "HTTP/1.0 401 Authorization Required");
  EXPECT_EQ(challenge.get("www-authenticate"), "Basic realm=\"Test Realm\"");
  EXPECT_LT(challenge.head.find("WWW-Authenticate"), challenge.head.find("Date:"));
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/Private/diary.txt", basic("anna:wrong")).status, 401);
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/private/diary.txt", basic("anna:wrong")).status, 401);
  Response good = getFrom("127.0.0.1", g.port, "/Private/diary.txt", basic("anyone:opensesame"));
  EXPECT_EQ(good.status, 200);
  EXPECT_EQ(good.body, "secret");
  // The password typed into the user field, with an empty password part.
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/Private/diary.txt", basic("opensesame:")).status, 200);
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/Private/diary.txt", basic("opensesame")).status, 200);
  // The escaped form of the collection name is the same collection.
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/%50rivate/diary.txt").status, 401);
  std::string url = "http://127.0.0.1:" + std::to_string(g.port) + "/Private/diary.txt";
  EXPECT_EQ(gtest_http::curl("-u x:opensesame " + url), "secret");
  EXPECT_EQ(gtest_http::curl("-o /dev/null -w %{http_code} -u x:nope " + url), "401");
}

TEST_F(GalleonAccess, BlocksAHostAfterElevenWrongPasswordsAndKeepsTheBlockAcrossARestart) {
  g.writeUserDatabase("Private", "opensesame");
  startWith("AutoReject=1");
  for (int i = 1; i <= 11; i++) {
    Response r = getFrom("127.0.0.7", g.port, "/Private/diary.txt", basic("x:guess" + std::to_string(i)));
    ASSERT_EQ(r.status, 401) << "attempt " << i;
  }
  EXPECT_TRUE(g.log.waitForText("Host 127.0.0.7 has been blocked due to excessive password failures"));
  EXPECT_EQ(getFrom("127.0.0.7", g.port, "/notes.txt").status, 403);
  EXPECT_EQ(getFrom("127.0.0.8", g.port, "/notes.txt").status, 200);

  ASSERT_EQ(g.stop(), 0);
  EXPECT_NE(g.readFile("cradle.ini").find("127.0.0.7"), std::string::npos);
  ASSERT_EQ(g.start("", "", true), 0);
  ASSERT_TRUE(g.waitRunning());
  EXPECT_EQ(getFrom("127.0.0.7", g.port, "/notes.txt").status, 403);
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/notes.txt").status, 200);
}

TEST_F(GalleonAccess, ACorrectPasswordResetsTheCountAndDenyAllNeverBlocks) {
  g.writeUserDatabase("Private", "opensesame");
  startWith("AutoReject=1");
  // A host known from an accepted request is blocked by its tenth failure.
  for (int round = 0; round < 2; round++) {
    EXPECT_EQ(getFrom("127.0.0.3", g.port, "/Private/diary.txt", basic("x:opensesame")).status, 200);
    for (int i = 0; i < 9; i++)
      EXPECT_EQ(getFrom("127.0.0.3", g.port, "/Private/diary.txt", basic("x:bad")).status, 401);
  }
  // Nine failures since the last success: the tenth blocks.
  EXPECT_EQ(getFrom("127.0.0.3", g.port, "/Private/diary.txt", basic("x:bad")).status, 401);
  EXPECT_EQ(getFrom("127.0.0.3", g.port, "/notes.txt").status, 403);
  // Requests that need no password do not clear the count: nine failures, a
  // public file, nine more... still reach the block.
  for (int i = 0; i < 9; i++)
    EXPECT_EQ(getFrom("127.0.0.2", g.port, "/Private/diary.txt", basic("x:bad")).status, 401);
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/notes.txt").status, 200);
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/Holiday/").status, 200);
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/cii:/banner_text").status, 200);
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/Holiday/../notes.txt").status, 200);
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/../notes.txt").status, 400);
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/Private/diary.txt", basic("x:bad")).status, 401);
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/Private/diary.txt", basic("x:bad")).status, 401);
  EXPECT_TRUE(g.log.waitForText("Host 127.0.0.2 has been blocked due to excessive password failures"));
  EXPECT_EQ(getFrom("127.0.0.2", g.port, "/notes.txt").status, 403);
  ASSERT_EQ(g.stop(), 0);

  ASSERT_EQ(g.start("AutoReject=1\nhost-access-policy=2", "[photo-host-access]\n127.0.0.4\n"), 0);
  ASSERT_TRUE(g.waitRunning());
  for (int i = 0; i < 12; i++)
    EXPECT_EQ(getFrom("127.0.0.4", g.port, "/Private/diary.txt", basic("x:bad")).status, 401);
  EXPECT_EQ(getFrom("127.0.0.4", g.port, "/notes.txt").status, 200);
}

TEST_F(GalleonAccess, WritesTheAccessLogInBothFormatsWithEscapedFields) {
  setenv("TZ", "EST5", 1);
  tzset();
  g.writeUserDatabase("Private", "opensesame");
  startWith("host-access-policy=1", "[photo-host-access]\n127.0.0.66\n");
  getFrom("127.0.0.1", g.port, "/Holiday/notes.txt?x=1",
          "Referer: http://example.test/a\r\nUser-Agent: Browser/1.0 \"quoted\" \\ end\r\n");
  getFrom("127.0.0.1", g.port, "/Private/diary.txt", basic("anna:wrong"));
  getFrom("127.0.0.66", g.port, "/notes.txt");
  Connection head(g.port);
  head.request("HEAD /missing.txt HTTP/1.1\r\n\r\n", true);
  ASSERT_EQ(g.stop(), 0);
  unsetenv("TZ");
  tzset();

  std::vector<std::string> log = lines(g.readFile("galleon.log"));
  ASSERT_EQ(log.size(), 4u) << g.readFile("galleon.log");
  // Records of separate connections may land in any order: find each by its request.
  auto find = [&](const std::string& request) {
    for (const std::string& line : log)
      if (line.find(request) != std::string::npos) return line;
    return std::string();
  };
  const std::string date = R"(\[\d\d/[A-Z][a-z]{2}/\d{4}:\d\d:\d\d:\d\d -0500\])";
  std::string first = find("/Holiday/notes.txt");
  EXPECT_TRUE(std::regex_match(first, std::regex(R"(127\.0\.0\.1 - - )" + date +
                                                 R"( "GET /Holiday/notes.txt\?x=1 HTTP/1.0" 200 4 "http://example.test/a" "Browser/1.0 \\x22quoted\\x22 \\x5c end")")))
      << first;
  std::string refused = find("/Private/diary.txt");
  EXPECT_TRUE(std::regex_match(refused, std::regex(R"(127\.0\.0\.1 - anna )" + date +
                                                   R"( "GET /Private/diary.txt HTTP/1.0" 401 [1-9]\d* "" "")")))
      << refused;
  EXPECT_EQ(refused.find("wrong"), std::string::npos);
  std::string blocked = find("127.0.0.66");
  EXPECT_TRUE(std::regex_match(blocked, std::regex(R"(127\.0\.0\.66 - - )" + date + R"( "GET /notes.txt HTTP/1.0" 403 [1-9]\d*)")))
      << blocked;
  std::string missing = find("/missing.txt");
  EXPECT_TRUE(std::regex_match(missing, std::regex(R"(127\.0\.0\.1 - - )" + date + R"( "HEAD /missing.txt HTTP/1.1" 404 0 "" "")")))
      << missing;
}

TEST_F(GalleonAccess, WritesNoLogWhenLoggingIsOff) {
  startWith("AccessLogging=0");
  EXPECT_EQ(getFrom("127.0.0.1", g.port, "/notes.txt").status, 200);
  ASSERT_EQ(g.stop(), 0);
  EXPECT_EQ(g.readFile("galleon.log"), "");
}

TEST_F(GalleonAccess, SavesTheUserDatabaseForItsOwnerOnly) {
  g.writeUserDatabase("Private", "opensesame");
  startWith("");
  ASSERT_EQ(g.stop(), 0);
  struct stat st{};
  ASSERT_EQ(stat(g.path("galleon.dbu").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string bytes = g.readFile("galleon.dbu");
  ASSERT_EQ(bytes.size(), 4u + 560u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x30\x02\0\0", 4));
  EXPECT_EQ(bytes.substr(4 + 32, 10), "opensesame");
}

}  // namespace
