// Mailslots: one reader, writers that fail without it, one message per write.
#include <windows.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "testdir.h"

namespace {

class Mailslots : public ::testing::Test {
protected:
    void SetUp() override {
        const char *old = getenv("XDG_RUNTIME_DIR");
        saved = old ? old : "";
        hadRuntime = old != nullptr;
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    }
    void TearDown() override {
        if (hadRuntime) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
    }
    TestDir dir;
    std::string saved;
    bool hadRuntime = false;
};

HANDLE openWriter(const char *path) {
    return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(Mailslots, WriterNeedsAReader) {
    HANDLE w = openWriter("\\\\.\\mailslot\\zellog");
    EXPECT_EQ(w, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Mailslots, MessagesArriveWholeAndInOrder) {
    HANDLE r = CreateMailslotA("\\\\.\\mailslot\\zellog", 0, 0, nullptr);
    ASSERT_NE(r, INVALID_HANDLE_VALUE);
    struct stat st;
    ASSERT_EQ(stat(dir.path("mailslot").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(dir.exists("mailslot/zellog"));

    HANDLE w = openWriter("//./mailslot/zellog");
    ASSERT_NE(w, INVALID_HANDLE_VALUE);
    std::string big(5000, 'x');
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(w, "first", 6, &written, nullptr));
    EXPECT_EQ(written, 6u);
    EXPECT_TRUE(WriteFile(w, big.data(), static_cast<DWORD>(big.size()), &written, nullptr));

    DWORD next = 0;
    EXPECT_TRUE(GetMailslotInfo(r, nullptr, &next, nullptr, nullptr));
    EXPECT_EQ(next, 6u);
    char buffer[8192];
    DWORD got = 0;
    char tiny[3];
    EXPECT_FALSE(ReadFile(r, tiny, sizeof tiny, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_TRUE(ReadFile(r, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 6u);
    EXPECT_STREQ(buffer, "first");
    // Sized by GetMailslotInfo: a buffer of exactly the message's size takes
    // it; one byte less leaves it queued.
    EXPECT_TRUE(GetMailslotInfo(r, nullptr, &next, nullptr, nullptr));
    ASSERT_EQ(next, 5000u);
    std::vector<char> exact(next - 1);
    EXPECT_FALSE(ReadFile(r, exact.data(), next - 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    exact.resize(next);
    EXPECT_TRUE(ReadFile(r, exact.data(), next, &got, nullptr));
    EXPECT_EQ(got, 5000u);
    EXPECT_EQ(std::string(exact.begin(), exact.end()), big);
    // Empty with time-out 0: fails at once.
    EXPECT_FALSE(ReadFile(r, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SEM_TIMEOUT));
    EXPECT_TRUE(GetMailslotInfo(r, nullptr, &next, nullptr, nullptr));
    EXPECT_EQ(next, MAILSLOT_NO_MESSAGE);

    // Reader gone: the writer's next write fails, and the socket file is removed.
    CloseHandle(r);
    EXPECT_FALSE(dir.exists("mailslot/zellog"));
    EXPECT_FALSE(WriteFile(w, "late", 5, &written, nullptr));
    CloseHandle(w);
    EXPECT_EQ(openWriter("\\\\.\\mailslot\\zellog"), INVALID_HANDLE_VALUE);
}

TEST_F(Mailslots, OneReaderAndStaleSocketsAreReplaced) {
    HANDLE r = CreateMailslotA("\\\\.\\mailslot\\one", 0, MAILSLOT_WAIT_FOREVER, nullptr);
    ASSERT_NE(r, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateMailslotA("\\\\.\\mailslot\\one", 0, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    // A blocking read waits for the message.
    std::thread writer([] {
        Sleep(50);
        HANDLE w = openWriter("\\\\.\\mailslot\\one");
        DWORD n;
        WriteFile(w, "hi", 3, &n, nullptr);
        CloseHandle(w);
    });
    char buffer[16];
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(r, buffer, sizeof buffer, &got, nullptr));
    EXPECT_STREQ(buffer, "hi");
    writer.join();
    CloseHandle(r);

    // A socket file left by a reader that died is taken over.
    int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    struct sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::string path = dir.path("mailslot/stale");
    strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<struct sockaddr *>(&address), sizeof address), 0);
    close(fd);
    EXPECT_EQ(openWriter("\\\\.\\mailslot\\stale"), INVALID_HANDLE_VALUE);
    HANDLE r2 = CreateMailslotA("\\\\.\\mailslot\\stale", 0, 100, nullptr);
    ASSERT_NE(r2, INVALID_HANDLE_VALUE);
    DWORD timeout = 0;
    EXPECT_TRUE(GetMailslotInfo(r2, nullptr, nullptr, nullptr, &timeout));
    EXPECT_EQ(timeout, 100u);
    EXPECT_FALSE(ReadFile(r2, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SEM_TIMEOUT));
    CloseHandle(r2);
    EXPECT_EQ(CreateMailslotA("\\\\.\\mailslot\\bad/name", 0, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(Mailslots, ClosingTheReaderEndsAWaitingReadAndFreesTheName) {
    HANDLE r = CreateMailslotA("\\\\.\\mailslot\\closing", 0, MAILSLOT_WAIT_FOREVER, nullptr);
    ASSERT_NE(r, INVALID_HANDLE_VALUE);
    std::atomic<bool> returned{false};
    DWORD error = 0;
    std::thread reader([&] {
        char buffer[16];
        DWORD got;
        if (!ReadFile(r, buffer, sizeof buffer, &got, nullptr)) error = GetLastError();
        returned = true;
    });
    Sleep(50);
    EXPECT_FALSE(returned.load());
    CloseHandle(r);
    reader.join();
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    HANDLE again = CreateMailslotA("\\\\.\\mailslot\\closing", 0, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST_F(Mailslots, FallbackDirectoryWithoutRuntimeDir) {
    unsetenv("XDG_RUNTIME_DIR");
    std::string name = "platform-test-" + std::to_string(getpid());
    std::string slot = "\\\\.\\mailslot\\" + name;
    HANDLE r = CreateMailslotA(slot.c_str(), 0, 0, nullptr);
    ASSERT_NE(r, INVALID_HANDLE_VALUE);
    std::string expected = "/tmp/mailslot-" + std::to_string(getuid()) + "/" + name;
    struct stat st;
    EXPECT_EQ(stat(expected.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    CloseHandle(r);
}

}  // namespace
