// Global atoms: one store per user, shared by that user's processes only.
#include <windows.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "testdir.h"

namespace {

// Each test has a runtime directory of its own, so that nothing else of the
// user's session sees or disturbs its atoms.
class Atoms : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1); }
    void TearDown() override {
        if (saved) setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
    }
    const char *saved = getenv("XDG_RUNTIME_DIR");
    std::string savedValue = saved ? saved : "";
    TestDir dir;
};

// Runs the body in a child process; its result is the child's exit status
// (0 when the body returned true).
template <typename F>
int inChild(F body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(Atoms, ReferenceCountedCaseInsensitiveStrings) {
    ATOM a = GlobalAddAtomA("Holiday Photos");
    ASSERT_GE(a, 0xC000);
    EXPECT_EQ(GlobalAddAtomA("holiday photos"), a);
    EXPECT_EQ(GlobalFindAtomA("HOLIDAY PHOTOS"), a);
    char name[64];
    EXPECT_EQ(GlobalGetAtomNameA(a, name, sizeof name), 14u);
    EXPECT_STREQ(name, "Holiday Photos");
    EXPECT_EQ(GlobalGetAtomNameA(a, name, 5), 4u);
    EXPECT_STREQ(name, "Holi");
    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtomA("Holiday Photos"), a);  // one reference left
    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtomA("Holiday Photos"), 0);
    EXPECT_EQ(GlobalGetAtomNameA(a, name, sizeof name), 0u);
    EXPECT_EQ(GlobalDeleteAtom(a), a);

    EXPECT_EQ(GlobalAddAtomA("#123"), 123);
    EXPECT_EQ(GlobalAddAtomA(MAKEINTATOM(77)), 77);
    EXPECT_EQ(GlobalGetAtomNameA(123, name, sizeof name), 4u);
    EXPECT_STREQ(name, "#123");
    EXPECT_EQ(GlobalAddAtomA(std::string(256, 'x').c_str()), 0);
    EXPECT_EQ(GlobalAddAtomA(""), 0);
}

TEST_F(Atoms, SharedWithTheUsersOtherProcesses) {
    // A second start adds an atom for its command line; the running copy
    // reads it and deletes it.
    ATOM mine = GlobalAddAtomA("--open Holiday");
    ASSERT_NE(mine, 0);
    ATOM theirs = 0;
    EXPECT_EQ(inChild([&] {
                  char name[64];
                  return GlobalFindAtomA("--OPEN holiday") == mine && GlobalGetAtomNameA(mine, name, sizeof name) == 14 &&
                         std::string(name) == "--open Holiday" && GlobalAddAtomA("--open Holiday") == mine &&
                         GlobalAddAtomA("from the child") != 0;
              }),
              0);
    theirs = GlobalFindAtomA("from the child");
    ASSERT_NE(theirs, 0);
    EXPECT_NE(theirs, mine);
    EXPECT_EQ(GlobalDeleteAtom(mine), 0);
    EXPECT_EQ(GlobalFindAtomA("--open Holiday"), mine);  // the child's reference
    EXPECT_EQ(inChild([&] { return GlobalDeleteAtom(mine) == 0 && GlobalDeleteAtom(theirs) == 0; }), 0);
    EXPECT_EQ(GlobalFindAtomA("--open Holiday"), 0);
    EXPECT_EQ(GlobalFindAtomA("from the child"), 0);

    struct stat st;
    ASSERT_EQ(stat(dir.path("atoms").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Atoms, ConcurrentProcessesLoseNoReference) {
    constexpr int kProcesses = 4, kRounds = 100;
    pid_t pids[kProcesses];
    for (int p = 0; p < kProcesses; ++p) {
        pids[p] = fork();
        if (pids[p] == 0) {
            std::string own = "own " + std::to_string(p);
            bool ok = true;
            for (int i = 0; i < kRounds; ++i) {
                ok = ok && GlobalAddAtomA("common") != 0 && GlobalAddAtomA(own.c_str()) != 0;
                if (i % 2) ok = ok && GlobalDeleteAtom(GlobalFindAtomA("common")) == 0;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Every reference that was added and not deleted is there, no more.
    auto references = [](const char *name) {
        int n = 0;
        for (ATOM a = GlobalFindAtomA(name); a && GlobalDeleteAtom(a) == 0; a = GlobalFindAtomA(name)) ++n;
        return n;
    };
    EXPECT_EQ(references("common"), kProcesses * kRounds / 2);
    for (int p = 0; p < kProcesses; ++p) EXPECT_EQ(references(("own " + std::to_string(p)).c_str()), kRounds);
}

TEST_F(Atoms, TheStoreIsBoundedAndRepairsItself) {
    for (int i = 0; i < 1024; ++i) ASSERT_NE(GlobalAddAtomA(("atom " + std::to_string(i)).c_str()), 0) << i;
    EXPECT_EQ(GlobalAddAtomA("one too many"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    // Another reference to a stored name still works, and a freed number is reused.
    ATOM first = GlobalFindAtomA("atom 0");
    EXPECT_EQ(GlobalAddAtomA("ATOM 0"), first);
    EXPECT_EQ(GlobalDeleteAtom(first), 0);
    EXPECT_EQ(GlobalDeleteAtom(first), 0);
    EXPECT_EQ(GlobalAddAtomA("one more"), first);

    // A damaged table reads as empty and is rewritten by the next change.
    dir.write("atoms/table", "PLATOMS1\x01\xC0\x05\x00\x00\x00\xFFshort");
    EXPECT_EQ(GlobalFindAtomA("one more"), 0);
    ATOM fresh = GlobalAddAtomA("fresh");
    EXPECT_EQ(fresh, MAXINTATOM);
    EXPECT_EQ(GlobalFindAtomA("fresh"), fresh);
}

TEST_F(Atoms, AnotherUsersStoreIsNeverRead) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
    constexpr uid_t kOther = 65534;
    ASSERT_NE(GlobalAddAtomA("secret"), 0);

    // The other user pointed at our runtime directory reads nothing.
    EXPECT_EQ(inChild([&] {
                  if (setgid(kOther) != 0 || setuid(kOther) != 0) return false;
                  return GlobalFindAtomA("secret") == 0 && GetLastError() == ERROR_ACCESS_DENIED &&
                         GlobalAddAtomA("mine") == 0;
              }),
              0);

    // A store the other user made (in a directory we are pointed at) is not
    // read, nor is a link to it.
    TestDir theirs;
    ASSERT_EQ(chown(theirs.path().c_str(), kOther, kOther), 0);
    EXPECT_EQ(inChild([&] {
                  if (setgid(kOther) != 0 || setuid(kOther) != 0) return false;
                  setenv("XDG_RUNTIME_DIR", theirs.path().c_str(), 1);
                  return GlobalAddAtomA("planted") != 0;
              }),
              0);
    setenv("XDG_RUNTIME_DIR", theirs.path().c_str(), 1);
    EXPECT_EQ(GlobalFindAtomA("planted"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GlobalAddAtomA("planted"), 0);

    TestDir linked;
    ASSERT_EQ(symlink(theirs.path("atoms").c_str(), linked.path("atoms").c_str()), 0);
    setenv("XDG_RUNTIME_DIR", linked.path().c_str(), 1);
    EXPECT_EQ(GlobalFindAtomA("planted"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
