// Times, date formats, system information, strings and sockets.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

class TimeZone : public ::testing::Test {
protected:
    void SetUp() override {
        const char *tz = getenv("TZ");
        had = tz != nullptr;
        if (had) saved = tz;
    }
    void TearDown() override {
        if (had) setenv("TZ", saved.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    void use(const char *tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    bool had = false;
    std::string saved;
};

TEST_F(TimeZone, FileTimesRoundTripAndConvertToLocal) {
    SYSTEMTIME st = {2026, 12, 0, 6, 9, 5, 3, 70};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    SYSTEMTIME back;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, 2026);
    EXPECT_EQ(back.wMonth, 12);
    EXPECT_EQ(back.wDay, 6);
    EXPECT_EQ(back.wDayOfWeek, 0);  // a Sunday
    EXPECT_EQ(back.wHour, 9);
    EXPECT_EQ(back.wMilliseconds, 70);
    SYSTEMTIME epoch = {1601, 1, 0, 1, 0, 0, 0, 0};
    SystemTimeToFileTime(&epoch, &ft);
    EXPECT_EQ(ft.dwLowDateTime, 0u);
    EXPECT_EQ(ft.dwHighDateTime, 0u);
    SYSTEMTIME bad = {2026, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));

    use("CET-1CEST,M3.5.0,M10.5.0/3");
    SYSTEMTIME summer = {2026, 7, 0, 1, 12, 0, 0, 0}, winter = {2026, 1, 0, 15, 12, 0, 0, 0};
    FILETIME utc, local;
    SystemTimeToFileTime(&summer, &utc);
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &back);
    EXPECT_EQ(back.wHour, 14);
    FILETIME again;
    LocalFileTimeToFileTime(&local, &again);
    EXPECT_EQ(CompareFileTime(&again, &utc), 0);
    SystemTimeToFileTime(&winter, &utc);
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &back);
    EXPECT_EQ(back.wHour, 13);
    EXPECT_EQ(CompareFileTime(&utc, &local), -1);

    TIME_ZONE_INFORMATION tzi;
    DWORD id = GetTimeZoneInformation(&tzi);
    EXPECT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(tzi.Bias, -60);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_EQ(tzi.DaylightDate.wMonth, 3);
    EXPECT_EQ(tzi.StandardDate.wMonth, 10);
    EXPECT_EQ(tzi.StandardDate.wHour, 3);

    use("UTC0");
    EXPECT_EQ(GetTimeZoneInformation(&tzi), static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN));
    EXPECT_EQ(tzi.Bias, 0);
    use("EST5");
    GetTimeZoneInformation(&tzi);
    EXPECT_EQ(tzi.Bias, 300);
}

TEST(Time, LocalAndSystemClocksAgree) {
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SYSTEMTIME fromFile;
    FileTimeToSystemTime(&now, &fromFile);
    EXPECT_EQ(fromFile.wYear, utc.wYear);
    EXPECT_EQ(fromFile.wDayOfWeek, utc.wDayOfWeek);
}

class DateFormats : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *name : {"LC_ALL", "LC_TIME", "LANG"}) {
            const char *v = getenv(name);
            saved.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
            unsetenv(name);
        }
    }
    void TearDown() override {
        for (auto &[name, value] : saved) {
            if (value) setenv(name, value->c_str(), 1);
            else unsetenv(name);
        }
    }
    std::vector<std::pair<const char *, std::optional<std::string>>> saved;
};

TEST_F(DateFormats, CLocalePicturesAndFlags) {
    ASSERT_STREQ(setlocale(LC_TIME, nullptr), "C");
    SYSTEMTIME st = {2026, 3, 0, 7, 14, 5, 9, 0};
    char buf[64];
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, sizeof buf), 9);
    EXPECT_STREQ(buf, "03/07/26");
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "dddd d MMM yyyy 'at' h", buf, sizeof buf);
    EXPECT_STREQ(buf, "Saturday 7 Mar 2026 at h");
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, buf, sizeof buf);
    EXPECT_STREQ(buf, "Saturday, March 07, 2026");
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, sizeof buf), 9);
    EXPECT_STREQ(buf, "14:05:09");
    GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, buf, sizeof buf);
    EXPECT_STREQ(buf, "14:05");
    GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, "h:mm:ss tt", buf, sizeof buf);
    EXPECT_STREQ(buf, "2:05 PM");
    GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT, &st, "hh:mm tt", buf, sizeof buf);
    EXPECT_STREQ(buf, "14:05");
    // Size queries and a buffer too small.
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, nullptr, 0), 9);
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    SYSTEMTIME bad = st;
    bad.wMonth = 13;
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &bad, nullptr, buf, sizeof buf), 0);
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, "d", buf, sizeof buf), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    // A locale the system does not have falls back to "C".
    setenv("LC_TIME", "xx_YY.UTF-8", 1);
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, sizeof buf);
    EXPECT_STREQ(buf, "03/07/26");
}

TEST(SystemInfo, VersionDirectoriesAndNames) {
    OSVERSIONINFOA v = {};
    EXPECT_FALSE(GetVersionExA(&v));
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_EQ(v.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_GE(v.dwMajorVersion, 5u);

    char dir[MAX_PATH];
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(dir), n);
    EXPECT_EQ(GetSystemDirectoryA(dir, 2), n + 1);

    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ(std::strlen(name), size);
    EXPECT_LE(size, static_cast<DWORD>(MAX_COMPUTERNAME_LENGTH));
    DWORD tiny = 1;
    EXPECT_FALSE(GetComputerNameA(name, &tiny));
    EXPECT_EQ(tiny, size + 1);

    char user[UNLEN + 1];
    DWORD userSize = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &userSize));
    EXPECT_EQ(std::strlen(user) + 1, userSize);

    EXPECT_TRUE(SetEnvironmentVariableA("PLATFORM_TEST_VAR", "value"));
    char value[16];
    EXPECT_EQ(GetEnvironmentVariableA("PLATFORM_TEST_VAR", value, sizeof value), 5u);
    EXPECT_EQ(GetEnvironmentVariableA("PLATFORM_TEST_VAR", value, 3), 6u);
    EXPECT_TRUE(SetEnvironmentVariableA("PLATFORM_TEST_VAR", nullptr));
    EXPECT_EQ(GetEnvironmentVariableA("PLATFORM_TEST_VAR", value, sizeof value), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST(SystemInfo, ClassicColours) {
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
    EXPECT_EQ(GetSysColor(COLOR_MENUBAR), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(31), 0u);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

TEST(Strings, CopyTruncatesAndFormatLimits) {
    char buf[8];
    lstrcpynA(buf, "abcdefghij", sizeof buf);
    EXPECT_STREQ(buf, "abcdefg");
    lstrcpynA(buf, "xy", 1);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(lstrlenA(nullptr), 0);
    EXPECT_EQ(lstrcmpiA("Photo", "PHOTO"), 0);
    EXPECT_EQ(lstrcmpA("a", "b"), -1);
    char big[1100];
    std::string long_text(2000, 'z');
    EXPECT_EQ(wsprintfA(big, "%s", long_text.c_str()), 1024);
    EXPECT_EQ(std::strlen(big), 1024u);
    EXPECT_EQ(wsprintfA(big, "%d-%s", 42, "x"), 4);
    EXPECT_EQ(MulDiv(8, 96, 72), 11);   // 10.67 rounds up
    EXPECT_EQ(MulDiv(-8, 96, 72), -11);
    EXPECT_EQ(MulDiv(5, 1, 2), 3);      // halves away from zero
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 2), -1);
}

TEST(Winsock, StartupErrorsAndNonBlocking) {
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 0), &data), WSAVERNOTSUPPORTED);
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    unsigned long on = 1;
    EXPECT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
    char c;
    SOCKET pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ(ioctlsocket(pair[0], FIONBIO, &on), 0);
    EXPECT_EQ(recv(pair[0], &c, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    send(pair[1], "abc", 3, 0);
    unsigned long available = 0;
    EXPECT_EQ(ioctlsocket(pair[0], FIONREAD, &available), 0);
    EXPECT_EQ(available, 3u);
    struct sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(1);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    SOCKET blocking = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(connect(blocking, reinterpret_cast<SOCKADDR *>(&to), sizeof to), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
    WSASetLastError(WSAEMSGSIZE);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    EXPECT_EQ(closesocket(blocking), 0);
    EXPECT_EQ(closesocket(s), 0);
    closesocket(pair[0]);
    closesocket(pair[1]);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEBADF);
    EXPECT_EQ(WSACleanup(), 0);
}

}  // namespace
