// Files: share modes, dispositions, pointers, listings, hidden names, moves.
#include <windows.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "testdir.h"

namespace {

class Files : public ::testing::Test {
protected:
    TestDir dir;
    std::string p(const std::string &name) const { return dir.path(name); }
    std::vector<std::string> hiddenFile() const {
        std::vector<std::string> names;
        std::istringstream in(dir.read(".hidden"));
        for (std::string line; std::getline(in, line);) names.push_back(line);
        return names;
    }
};

HANDLE open(const std::string &path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(Files, DispositionsAndTheirErrors) {
    std::string f = p("a.txt");
    EXPECT_EQ(open(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(open(p("no/a.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HANDLE h = open(f, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n;
    EXPECT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
    CloseHandle(h);
    EXPECT_EQ(open(f, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    h = open(f, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 11u);
    CloseHandle(h);
    h = open(f, GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
}

TEST_F(Files, ReadWriteSeekAndTimes) {
    std::string f = p("b.bin");
    HANDLE h = open(f, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
    EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);
    char buffer[16] = {};
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 4u);
    EXPECT_STREQ(buffer, "6789");
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));  // end of file: TRUE, 0 bytes
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(h, 5, nullptr, FILE_BEGIN), 5u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 5u);

    FILETIME when;
    SYSTEMTIME st = {2020, 2, 0, 29, 12, 30, 15, 0};
    SystemTimeToFileTime(&st, &when);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &when));
    FILETIME written;
    EXPECT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
    EXPECT_EQ(CompareFileTime(&written, &when), 0);
    CloseHandle(h);
    EXPECT_FALSE(ReadFile(h, buffer, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, ShareModesBetweenHandles) {
    std::string f = p("thumb.tmb");
    HANDLE w1 = open(f, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(w1, INVALID_HANDLE_VALUE);
    // A second writer of the same file must not succeed, nor truncate it.
    DWORD n;
    WriteFile(w1, "data", 4, &n, nullptr);
    EXPECT_EQ(open(f, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(open(f, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA(f.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    struct stat st;
    stat(f.c_str(), &st);
    EXPECT_EQ(st.st_size, 4);
    CloseHandle(w1);

    // Readers that share reading coexist; a writer then needs them to share writing.
    HANDLE r1 = open(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    HANDLE r2 = open(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(r1, INVALID_HANDLE_VALUE);
    EXPECT_NE(r2, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(f, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    CloseHandle(r1);
    CloseHandle(r2);
    HANDLE rw = open(f, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    HANDLE ww = open(f, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    EXPECT_NE(ww, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileA(f.c_str()));
    CloseHandle(rw);
    CloseHandle(ww);
}

TEST_F(Files, ConcurrentExclusiveCreatorsOnlyOneWins) {
    for (int round = 0; round < 20; ++round) {
        std::string f = p("race" + std::to_string(round));
        std::atomic<int> winners{0};
        std::vector<std::thread> threads;
        std::vector<HANDLE> handles(4, INVALID_HANDLE_VALUE);
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                handles[t] = open(f, GENERIC_WRITE, 0, CREATE_ALWAYS);
                if (handles[t] != INVALID_HANDLE_VALUE) ++winners;
            });
        for (auto &th : threads) th.join();
        EXPECT_EQ(winners.load(), 1);
        for (HANDLE h : handles)
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
}

TEST_F(Files, FindListsMatchesWithAttributes) {
    dir.write("one.jpg", "12345");
    dir.write("two.JPG", "1");
    dir.write("three.txt", "");
    dir.write("noext", "");
    dir.write(".dot", "");
    CreateDirectoryA(p("sub").c_str(), nullptr);
    dir.write(".hidden", "three.txt\n");

    auto list = [&](const std::string &pattern) {
        std::map<std::string, WIN32_FIND_DATAA> found;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(p(pattern).c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return found;
        do found[data.cFileName] = data;
        while (FindNextFileA(h, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(h));
        return found;
    };
    auto jpgs = list("*.jpg");
    EXPECT_EQ(jpgs.size(), 2u);
    EXPECT_EQ(jpgs["one.jpg"].nFileSizeLow, 5u);
    auto all = list("*.*");
    EXPECT_EQ(all.size(), 9u);  // with ".", "..", ".hidden", "noext" and "sub"
    EXPECT_TRUE(all["sub"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(all["three.txt"].dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(all[".dot"].dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(all["one.jpg"].dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(list("t?o.jpg").size(), 1u);
    EXPECT_EQ(list("noext").size(), 1u);

    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA(p("*.png").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA(p("missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, HiddenAttributeIsKeptInTheDirectoryList) {
    dir.write("a", "");
    dir.write("b", "");
    EXPECT_EQ(GetFileAttributesA(p("a").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(SetFileAttributesA(p("a").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(SetFileAttributesA(p("b").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(hiddenFile(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(GetFileAttributesA(p("b").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));

    // Moves carry the mark; deletes drop it.
    EXPECT_TRUE(MoveFileExA(p("a").c_str(), p("c").c_str(), 0));
    EXPECT_EQ(hiddenFile(), (std::vector<std::string>{"b", "c"}));
    EXPECT_TRUE(SetFileAttributesA(p("b").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileA(p("c").c_str()));
    EXPECT_FALSE(dir.exists(".hidden"));
    EXPECT_EQ(GetFileAttributesA(p("missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // A name left listed by a file removed behind the layer's back does not
    // hide a new file of that name.
    dir.write(".hidden", "stale\n");
    HANDLE h = CreateFileA(p("stale").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(h);
    EXPECT_EQ(GetFileAttributesA(p("stale").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    DeleteFileA(p("stale").c_str());

    CreateDirectoryA(p("Recycle Bin").c_str(), nullptr);
    EXPECT_TRUE(SetFileAttributesA(p("Recycle Bin").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesA(p("Recycle Bin").c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(RemoveDirectoryA(p("Recycle Bin").c_str()));
    EXPECT_FALSE(dir.exists(".hidden"));
}

TEST_F(Files, CreatedHiddenAndDeletedOnClose) {
    HANDLE h = CreateFileA(p("made").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(GetFileAttributesA(p("made").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    h = CreateFileA(p("scratch").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    EXPECT_TRUE(dir.exists("scratch"));
    CloseHandle(h);
    EXPECT_FALSE(dir.exists("scratch"));
    // Directories open only with backup semantics, for their times.
    CreateDirectoryA(p("d").c_str(), nullptr);
    EXPECT_EQ(open(p("d"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    h = CreateFileA(p("d").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                    nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST_F(Files, ConcurrentHideLosesNoName) {
    const int kFiles = 40;
    for (int i = 0; i < kFiles; ++i) dir.write("f" + std::to_string(i), "");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = t; i < kFiles; i += 4) SetFileAttributesA(p("f" + std::to_string(i)).c_str(), FILE_ATTRIBUTE_HIDDEN);
        });
    for (auto &th : threads) th.join();
    auto names = hiddenFile();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), static_cast<size_t>(kFiles));
}

TEST_F(Files, MoveCopyAndDirectories) {
    dir.write("src", "source");
    dir.write("dst", "target");
    EXPECT_FALSE(MoveFileExA(p("src").c_str(), p("dst").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(MoveFileExA(p("src").c_str(), p("dst").c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(dir.read("dst"), "source");

    EXPECT_FALSE(CopyFileA(p("dst").c_str(), p("dst").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(CopyFileA(p("dst").c_str(), p("copy").c_str(), TRUE));
    EXPECT_EQ(dir.read("copy"), "source");
    EXPECT_FALSE(CopyFileA(p("none").c_str(), p("copy2").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_TRUE(CreateDirectoryA(p("d1").c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(p("d1").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA(p("x/y").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(CreateDirectoryA(p("d2").c_str(), nullptr));
    // A directory never replaces another one, even when asked to.
    EXPECT_FALSE(MoveFileExA(p("d1").c_str(), p("d2").c_str(), MOVEFILE_REPLACE_EXISTING));
    dir.write("d1/f", "");
    EXPECT_FALSE(RemoveDirectoryA(p("d1").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(DeleteFileA(p("d1").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(MoveFileA(p("d1").c_str(), p("d3").c_str()));
    EXPECT_TRUE(dir.exists("d3/f"));
}

TEST_F(Files, TempNamesAndDirectories) {
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(dir.path().c_str(), "zelix", 0x12ABCD, name), 0xABCDu);
    EXPECT_EQ(std::string(name), p("zelABCD.tmp"));
    EXPECT_FALSE(dir.exists("zelABCD.tmp"));  // a given number only makes the name
    UINT n = GetTempFileNameA(dir.path().c_str(), "zel", 0, name);
    EXPECT_NE(n, 0u);
    EXPECT_TRUE(std::filesystem::exists(name));
    UINT m = GetTempFileNameA(dir.path().c_str(), "zel", 0, name);
    EXPECT_NE(m, n);
    EXPECT_EQ(GetTempFileNameA(p("none").c_str(), "zel", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    char cwd[MAX_PATH];
    DWORD len = GetCurrentDirectoryA(sizeof cwd, cwd);
    ASSERT_GT(len, 0u);
    EXPECT_EQ(GetCurrentDirectoryA(2, cwd), len + 1);  // too small: the size needed
    std::string old(cwd, GetCurrentDirectoryA(sizeof cwd, cwd));
    EXPECT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    char full[MAX_PATH];
    LPSTR part = nullptr;
    GetFullPathNameA("a/../b/./c.txt", sizeof full, full, &part);
    EXPECT_EQ(std::string(full), std::filesystem::canonical(dir.path()).string() + "/b/c.txt");
    EXPECT_STREQ(part, "c.txt");
    EXPECT_TRUE(SetCurrentDirectoryA(old.c_str()));
    EXPECT_FALSE(SetCurrentDirectoryA(p("none").c_str()));
}

}  // namespace
