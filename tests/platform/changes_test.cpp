// Change notifications: signalled by changes, re-armed, safe when the
// directory disappears.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "testdir.h"

namespace {

const DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

TEST(ChangeNotifications, SignalledByNameChangesAndRearmed) {
    TestDir dir;
    HANDLE h = FindFirstChangeNotificationA(dir.path().c_str(), FALSE, kNames);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WaitForSingleObject(h, 50), WAIT_TIMEOUT);
    dir.write("new.jpg", "x");
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    // Stays signalled until re-armed.
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(FindNextChangeNotification(h));
    EXPECT_EQ(WaitForSingleObject(h, 50), WAIT_TIMEOUT);
    // Content changes do not count for a name filter.
    dir.write("new.jpg", "more");
    EXPECT_EQ(WaitForSingleObject(h, 100), WAIT_TIMEOUT);
    std::filesystem::rename(dir.path("new.jpg"), dir.path("renamed.jpg"));
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(FindCloseChangeNotification(h));
    EXPECT_FALSE(FindNextChangeNotification(h));
}

TEST(ChangeNotifications, SubtreeIncludesNewDirectories) {
    TestDir dir;
    std::filesystem::create_directories(dir.path("Collections/Holiday"));
    std::string root = dir.path("Collections");
    HANDLE h = FindFirstChangeNotificationA(root.c_str(), TRUE, kNames);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    dir.write("Collections/Holiday/a.jpg", "");
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    FindNextChangeNotification(h);
    std::filesystem::create_directories(dir.path("Collections/New"));
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    FindNextChangeNotification(h);
    Sleep(50);  // the watch on the new directory is added by the reading thread
    dir.write("Collections/New/b.jpg", "");
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    CloseHandle(h);
}

TEST(ChangeNotifications, RemovedDirectoryNeitherSpinsNorHangs) {
    TestDir dir;
    std::filesystem::create_directories(dir.path("watched"));
    HANDLE h = FindFirstChangeNotificationA(dir.path("watched").c_str(), TRUE, kNames);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::filesystem::remove_all(dir.path("watched"));
    HANDLE both[2] = {h, stop};
    // One signal for the loss, then re-arming fails and the handle stays quiet,
    // so a watcher waiting on it and its stop event simply waits for the stop.
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(FindNextChangeNotification(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 100), WAIT_TIMEOUT);
    SetEvent(stop);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 1000), WAIT_OBJECT_0 + 1);
    EXPECT_TRUE(FindCloseChangeNotification(h));
    CloseHandle(stop);
}

TEST(ChangeNotifications, BadArguments) {
    TestDir dir;
    EXPECT_EQ(FindFirstChangeNotificationA(dir.path("none").c_str(), FALSE, kNames), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    dir.write("file", "");
    EXPECT_EQ(FindFirstChangeNotificationA(dir.path("file").c_str(), FALSE, kNames), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstChangeNotificationA(dir.path().c_str(), FALSE, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
