// A thread that has made a window can be posted to before its message loop
// first runs: another thread's stop request right after start-up must not be
// lost.
#include "uitest.h"

#include <gtest/gtest.h>

#include <thread>

using namespace uitest;

TEST(MessageQueueOfNewWindow, TakesPostsBeforeTheLoopRuns) {
    HWND h = CreateWindowExA(0, recorderClass(), "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    BOOL posted = FALSE;
    DWORD error = 0;
    std::thread([&] {
        posted = PostMessageA(h, WM_CLOSE, 0, 0);
        error = GetLastError();
    }).join();
    EXPECT_TRUE(posted) << "error " << error;
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, h, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(m.hwnd, h);
    DestroyWindow(h);
}
