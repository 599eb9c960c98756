// Private profile files: lookups, truncation, lists, writes, deletion.
#include <windows.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <thread>
#include <vector>

#include "testdir.h"

namespace {

std::vector<std::string> splitList(const char *p) {
    std::vector<std::string> out;
    for (; *p; p += strlen(p) + 1) out.emplace_back(p);
    return out;
}

class Profile : public ::testing::Test {
protected:
    TestDir dir;
    std::string ini = dir.path("cradle.ini");
};

TEST_F(Profile, LookupIsCaseInsensitiveTrimsAndUnquotes) {
    dir.write("cradle.ini",
              "; comment\n[Photo]\nEnable = 1 \nName=\"  quoted \"\nEmpty=\n\n[other]\nEnable=0\n[PHOTO]\nLate=x\n");
    char buf[64];
    EXPECT_EQ(GetPrivateProfileStringA("photo", "ENABLE", "d", buf, sizeof buf, ini.c_str()), 1u);
    EXPECT_STREQ(buf, "1");
    EXPECT_EQ(GetPrivateProfileStringA("Photo", "Name", "d", buf, sizeof buf, ini.c_str()), 9u);
    EXPECT_STREQ(buf, "  quoted ");
    // Present but empty is not missing.
    EXPECT_EQ(GetPrivateProfileStringA("Photo", "Empty", "d", buf, sizeof buf, ini.c_str()), 0u);
    EXPECT_STREQ(buf, "");
    // Missing key: the default, without its trailing blanks; NULL default is "".
    EXPECT_EQ(GetPrivateProfileStringA("Photo", "None", "dflt  ", buf, sizeof buf, ini.c_str()), 4u);
    EXPECT_STREQ(buf, "dflt");
    EXPECT_EQ(GetPrivateProfileStringA("Photo", "None", nullptr, buf, sizeof buf, ini.c_str()), 0u);
    EXPECT_STREQ(buf, "");
    // Only the first section of a name counts.
    EXPECT_EQ(GetPrivateProfileStringA("photo", "Late", "no", buf, sizeof buf, ini.c_str()), 2u);
    // Missing file: the default.
    std::string none = dir.path("none.ini");
    EXPECT_EQ(GetPrivateProfileStringA("a", "b", "def", buf, sizeof buf, none.c_str()), 3u);
    EXPECT_STREQ(buf, "def");
}

TEST_F(Profile, ByteOrderMarkAndWindowsLineEnds) {
    dir.write("cradle.ini", "\xEF\xBB\xBF[photo]\r\nPort=8888\r\n");
    EXPECT_EQ(GetPrivateProfileIntA("photo", "Port", 0, ini.c_str()), 8888u);
    EXPECT_TRUE(WritePrivateProfileStringA("photo", "Enable", "1", ini.c_str()));
    EXPECT_EQ(dir.read("cradle.ini"), "\xEF\xBB\xBF[photo]\r\nPort=8888\r\nEnable=1\r\n");
}

TEST_F(Profile, ValueTruncation) {
    dir.write("cradle.ini", "[s]\nk=abcdef\n");
    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buf, 4, ini.c_str()), 3u);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buf, 0, ini.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileStringA("s", "none", "longdefault", buf, 4, ini.c_str()), 3u);
    EXPECT_STREQ(buf, "lon");
}

TEST_F(Profile, ListsOfSectionsKeysAndEntries) {
    dir.write("cradle.ini", "[a]\nk1=v1\nk2 = v 2\n[b]\n[c]\nx=y\n");
    char buf[256];
    DWORD n = GetPrivateProfileSectionNamesA(buf, sizeof buf, ini.c_str());
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(splitList(buf), (std::vector<std::string>{"a", "b", "c"}));
    n = GetPrivateProfileStringA("A", nullptr, "", buf, sizeof buf, ini.c_str());
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(splitList(buf), (std::vector<std::string>{"k1", "k2"}));
    n = GetPrivateProfileSectionA("a", buf, sizeof buf, ini.c_str());
    EXPECT_EQ(splitList(buf), (std::vector<std::string>{"k1=v1", "k2=v 2"}));
    EXPECT_EQ(n, 13u);
    EXPECT_EQ(GetPrivateProfileSectionA("b", buf, sizeof buf, ini.c_str()), 0u);
    EXPECT_EQ(buf[0], '\0');
    // Lines without "=" come back as they are; comments do not.
    dir.write("rename.ini", "[rename]\n; note\nold.dll\nnew.dll=x.dll\n");
    std::string renameIni = dir.path("rename.ini");
    GetPrivateProfileSectionA("rename", buf, sizeof buf, renameIni.c_str());
    EXPECT_EQ(splitList(buf), (std::vector<std::string>{"old.dll", "new.dll=x.dll"}));
    // Too small: cut, double NUL at the end, size - 2.
    char small[5];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(small, sizeof small, ini.c_str()), 3u);
    EXPECT_EQ(small[3], '\0');
    EXPECT_EQ(small[4], '\0');
    EXPECT_EQ(std::string(small), "a");
}

TEST_F(Profile, IntParsing) {
    dir.write("cradle.ini", "[s]\ndec=42\nneg=-1\nhex=0x1F\ntext=abc\nlead=12abc\nempty=\n");
    EXPECT_EQ(GetPrivateProfileIntA("s", "dec", 7, ini.c_str()), 42u);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("s", "neg", 7, ini.c_str())), -1);
    EXPECT_EQ(GetPrivateProfileIntA("s", "hex", 7, ini.c_str()), 31u);
    EXPECT_EQ(GetPrivateProfileIntA("s", "text", 7, ini.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("s", "lead", 7, ini.c_str()), 12u);
    EXPECT_EQ(GetPrivateProfileIntA("s", "empty", 7, ini.c_str()), 7u);
    EXPECT_EQ(GetPrivateProfileIntA("s", "missing", 8888, ini.c_str()), 8888u);
}

TEST_F(Profile, WritesKeepOtherLinesAndDeleteKeysAndSections) {
    dir.write("cradle.ini", "; keep me\n[a]\nk1=v1\nK2=v2\n\n[b]\nx=1\n");
    EXPECT_TRUE(WritePrivateProfileStringA("A", "k2", "new", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("a", "k3", "three", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("c", "n", "1", ini.c_str()));
    EXPECT_EQ(dir.read("cradle.ini"), "; keep me\n[a]\nk1=v1\nk2=new\nk3=three\n\n[b]\nx=1\n\n[c]\nn=1\n");
    EXPECT_TRUE(WritePrivateProfileStringA("a", "k1", nullptr, ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("b", nullptr, nullptr, ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("nosuch", "k", nullptr, ini.c_str()));
    EXPECT_EQ(dir.read("cradle.ini"), "; keep me\n[a]\nk2=new\nk3=three\n\n[c]\nn=1\n");
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", ini.c_str()));
}

TEST_F(Profile, LineBreaksCannotInjectKeysOrSections) {
    dir.write("cradle.ini", "[photo]\nEnable=1\n");
    EXPECT_FALSE(WritePrivateProfileStringA("photo", "Name", "x\n[admin]\nPassword=", ini.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(WritePrivateProfileStringA("photo", "Enable=0\rX", "1", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("a]b", "k", "v", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileSectionA("photo", "ok=1\0bad=1\nEnable=0\0", ini.c_str()));
    EXPECT_EQ(dir.read("cradle.ini"), "[photo]\nEnable=1\n");
}

TEST_F(Profile, WriteCreatesTheFileButNotItsDirectory) {
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", ini.c_str()));
    EXPECT_EQ(dir.read("cradle.ini"), "[s]\nk=v\n");
    std::string deep = dir.path("missing/x.ini");
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", deep.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// A rewrite replaces the file but keeps its permissions: a profile that holds
// secrets stays private, a shared one stays readable.
TEST_F(Profile, RewritesKeepTheFilesPermissions) {
    for (mode_t mode : {0600, 0640, 0664}) {
        dir.write("cradle.ini", "[a]\nk=1\n");
        ASSERT_EQ(chmod(ini.c_str(), mode), 0);
        EXPECT_TRUE(WritePrivateProfileStringA("a", "k", "2", ini.c_str()));
        struct stat st {};
        ASSERT_EQ(stat(ini.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_TRUE(WritePrivateProfileSectionA("b", "x=1\0", ini.c_str()));
        EXPECT_TRUE(WritePrivateProfileStringA("a", nullptr, nullptr, ini.c_str()));
        ASSERT_EQ(stat(ini.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(dir.read("cradle.ini"), "[b]\nx=1\n");
    }
}

TEST_F(Profile, WriteSectionReplacesTheSection) {
    dir.write("cradle.ini", "[a]\nold=1\n\n[b]\nx=1\n");
    EXPECT_TRUE(WritePrivateProfileSectionA("a", "n1=1\0n2=2\0", ini.c_str()));
    EXPECT_TRUE(WritePrivateProfileSectionA("new", "z=9\0", ini.c_str()));
    EXPECT_EQ(dir.read("cradle.ini"), "[a]\nn1=1\nn2=2\n\n[b]\nx=1\n\n[new]\nz=9\n");
    EXPECT_TRUE(WritePrivateProfileSectionA("a", nullptr, ini.c_str()));
    EXPECT_EQ(dir.read("cradle.ini"), "[b]\nx=1\n\n[new]\nz=9\n");
}

TEST_F(Profile, ConcurrentWritersLoseNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < 25; ++i) {
                std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
                WritePrivateProfileStringA("s", key.c_str(), "v", ini.c_str());
            }
        });
    for (auto &th : threads) th.join();
    char buf[4096];
    GetPrivateProfileStringA("s", nullptr, "", buf, sizeof buf, ini.c_str());
    EXPECT_EQ(splitList(buf).size(), 100u);
    // No temporary files are left beside it.
    int files = 0;
    for (auto &e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1);
}

}  // namespace
