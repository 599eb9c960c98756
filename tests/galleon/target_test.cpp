// The one reading of a request target, driven directly with hostile forms.
#include <gtest/gtest.h>

#include <string>

#include "target.h"

namespace {

const char* kRoot = "/data/Collections";

struct Result {
  int status;
  ResolvedTarget t;
};

Result resolve(const std::string& raw) {
  Result r{};
  r.status = targetResolve(raw.c_str(), kRoot, &r.t);
  return r;
}

std::string pathOf(const std::string& raw) {
  Result r = resolve(raw);
  return r.status ? "<" + std::to_string(r.status) + ">" : std::string(r.t.urlPath);
}

TEST(TargetResolve, DecodesOnceAndMapsBelowTheCollections) {
  Result r = resolve("/a%20b/c.jpg?list=icons");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.t.kind, TARGET_PLAIN);
  EXPECT_STREQ(r.t.urlPath, "/a b/c.jpg");
  EXPECT_STREQ(r.t.fsPath, "/data/Collections/a b/c.jpg");
  EXPECT_STREQ(r.t.collection, "a b");
  // Decoded once only: "%2541" is "%41", not "A".
  EXPECT_EQ(pathOf("/x/%2541"), "/x/%41");
  EXPECT_EQ(pathOf("/x/a+b"), "/x/a b");
  // An encoded '?' is part of the name; a raw one starts the query.
  EXPECT_EQ(pathOf("/x/a%3Fb?c"), "/x/a?b");
  Result root = resolve("/");
  EXPECT_STREQ(root.t.urlPath, "/");
  EXPECT_STREQ(root.t.fsPath, "/data/Collections");
  EXPECT_STREQ(root.t.collection, "");
  EXPECT_EQ(pathOf("Holiday/x"), "/Holiday/x");  // no leading '/'
}

TEST(TargetResolve, ReadsEveryFormOfDotSegmentAndSeparatorTheSameWay) {
  // Each of these names the protected collection "Private", so its password applies.
  for (const char* raw : {"/./Private/secret.txt", "/%2e/Private/secret.txt", "/%2E/Private/secret.txt",
                          "\\Private/secret.txt", "%5cPrivate/secret.txt", "%5CPrivate%5Csecret.txt",
                          "//Private//secret.txt", "/x/../Private/secret.txt", "/x/%2e%2e/Private/secret.txt",
                          "/x/.%2e%5cPrivate/./secret.txt", "/Private/secret.txt/.", "/./././Private/secret.txt"}) {
    Result r = resolve(raw);
    ASSERT_EQ(r.status, 0) << raw;
    EXPECT_STREQ(r.t.collection, "Private") << raw;
    EXPECT_EQ(std::string(r.t.fsPath).rfind("/data/Collections/Private/secret.txt", 0), 0u) << raw;
  }
  EXPECT_EQ(pathOf("/Private/sub/.."), "/Private/");
  EXPECT_EQ(pathOf("/Private/."), "/Private/");
  EXPECT_EQ(pathOf("/Private"), "/Private");
  // A name that merely holds two dots is a name.
  EXPECT_EQ(pathOf("/Holiday/a..b.jpg"), "/Holiday/a..b.jpg");
  EXPECT_EQ(pathOf("/Holiday/..."), "/Holiday/...");
}

TEST(TargetResolve, RefusesClimbingAboveTheRootInEveryEncoding) {
  for (const char* raw : {"/..", "/../secret.txt", "/Holiday/../../secret.txt", "/x/..%2F..%2Fsecret.txt",
                          "/%2e%2e/secret.txt", "/%2E%2E%2fsecret.txt", "/Holiday/%2e./%2e%2e/secret.txt",
                          "/..%5csecret.txt", "/.%2e/secret.txt", "\\..\\..\\etc/passwd", "/cif:/../x.jpg",
                          "/cid:/Holiday/../../x"}) {
    EXPECT_EQ(resolve(raw).status, 400) << raw;
  }
  // Many "./" followed by more ".." than segments, far beyond any buffer.
  std::string deep = "/Public/";
  for (int i = 0; i < 300; i++) deep += "./";
  deep += "../../?list=details";
  EXPECT_EQ(resolve(deep).status, 400);
}

TEST(TargetResolve, RefusesNulControlCharactersAndOverLongTargets) {
  for (const char* raw : {"/a%00b", "/a%0d%0aSet-Cookie:x", "/a%09b", "/a%7f", "/%1b[31m"})
    EXPECT_EQ(resolve(raw).status, 400) << raw;
  std::string longTarget = "/" + std::string(TARGET_MAX, 'a');
  EXPECT_EQ(resolve(longTarget).status, 414);
  // Long because of dot segments: refused by length, never cut to a shorter path.
  std::string dots = "/Holiday";
  while (dots.size() < TARGET_MAX + 10) dots += "/.";
  EXPECT_EQ(resolve(dots).status, 414);
  // A segment longer than a file name can be names nothing.
  EXPECT_EQ(resolve("/Holiday/" + std::string(300, 'n')).status, 404);
  // The longest target that fits is resolved whole.
  std::string fits = "/" + std::string(200, 'a') + "/" + std::string(200, 'b') + "/" + std::string(200, 'c');
  Result r = resolve(fits);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(std::string(r.t.urlPath), fits);
}

TEST(TargetResolve, ReadsImagePrefixesInAnyCaseAndEncoding) {
  struct Case {
    const char* raw;
    int kind;
    const char* path;
  } cases[] = {{"/cif:/Private/photo.jpg", TARGET_CIF, "/Private/photo.jpg"},
               {"/cid%3A/Holiday/a.jpg", TARGET_CID, "/Holiday/a.jpg"},
               {"/CIB%3a/Holiday/", TARGET_CIB, "/Holiday/"},
               {"/cif:/./Private/photo.jpg", TARGET_CIF, "/Private/photo.jpg"},
               {"%5Ccif:%5CPrivate%5Cphoto.jpg", TARGET_CIF, "/Private/photo.jpg"},
               {"/cii:/BANNER_TEXT", TARGET_CII, "/BANNER_TEXT"},
               {"/cip:/C/75,40,60", TARGET_CIP, "/C/75,40,60"},
               {"/Holiday/cif:/x.jpg", TARGET_PLAIN, "/Holiday/cif:/x.jpg"},
               {"//cif:/x.jpg", TARGET_PLAIN, "/cif:/x.jpg"}};
  for (const Case& c : cases) {
    Result r = resolve(c.raw);
    ASSERT_EQ(r.status, 0) << c.raw;
    EXPECT_EQ(r.t.kind, c.kind) << c.raw;
    EXPECT_STREQ(r.t.urlPath, c.path) << c.raw;
  }
  Result thumb = resolve("/cif:/./Private/photo.jpg");
  EXPECT_STREQ(thumb.t.collection, "Private");
  EXPECT_STREQ(thumb.t.fsPath, "/data/Collections/Private/photo.jpg");
  EXPECT_STREQ(resolve("/cii:/banner").t.fsPath, "");  // built-in pictures name no file
}

TEST(TargetResolve, MarksNamesHiddenByTheirForm) {
  for (const char* raw : {"/Holiday/.hidden", "/Holiday/photo.tmb", "/Holiday/PHOTO.TMB", "/Recycle%20Bin/x",
                          "/recycle bin/", "/.config/x", "/cif:/Holiday/photo.tmb", "/cid:/Recycle Bin/"}) {
    Result r = resolve(raw);
    ASSERT_EQ(r.status, 0) << raw;
    EXPECT_TRUE(r.t.hiddenName) << raw;
  }
  for (const char* raw : {"/Holiday/photo.jpg", "/Holiday/Recycle Bin/", "/Holiday/a.tmbx"})
    EXPECT_FALSE(resolve(raw).t.hiddenName) << raw;
}

TEST(TargetHelpers, EscapesCookiePathsAndKnowsTheFiveViews) {
  char out[64];
  EXPECT_EQ(targetEscapePath("/Holi day/ä;x=1,y", out, sizeof out), 30);
  EXPECT_STREQ(out, "/Holi%20day/%C3%A4%3Bx%3D1%2Cy");
  EXPECT_EQ(targetEscapePath(std::string(40, ' ').c_str(), out, sizeof out), -1);
  EXPECT_STREQ(out, "");
  for (const char* view : {"icons", "list", "details", "filmstrip", "preview"}) EXPECT_TRUE(targetIsViewName(view));
  for (const char* other : {"", "Icons", "x; domain=evil.example", "details ", "list\r\n"})
    EXPECT_FALSE(targetIsViewName(other)) << other;
}

}  // namespace
