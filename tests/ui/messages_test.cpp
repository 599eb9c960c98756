// Message queues: order of retrieval, filters, quitting, threads, cross-thread
// SendMessageA, timers, registered messages.
#include "uitest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace uitest;

namespace {

HWND makeWindow() {
    return CreateWindowExA(0, recorderClass(), "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
}

std::atomic<DWORD> answeringThread{0};
LRESULT CALLBACK threadProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER + 1) {
        answeringThread = GetCurrentThreadId();
        return static_cast<LRESULT>(w * 2);
    }
    return DefWindowProcA(h, m, w, l);
}

std::vector<UINT_PTR> timerCalls;
void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD) { timerCalls.push_back(id); }

}  // namespace

TEST(Messages, PostedMessagesComeInOrderAndQuitComesAfterThem) {
    HWND h = makeWindow();
    PostMessageA(h, WM_USER + 1, 1, 0);
    PostQuitMessage(3);
    PostMessageA(h, WM_USER + 2, 2, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 3, 0);
    MSG m;
    std::vector<UINT> got;
    while (GetMessageA(&m, nullptr, 0, 0)) got.push_back(m.message);
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(h);
}

TEST(Messages, PeekFiltersByWindowAndRangeAndCanLeaveTheMessage) {
    HWND a = makeWindow(), b = makeWindow();
    PostMessageA(a, WM_USER + 1, 0, 0);
    PostMessageA(b, WM_USER + 2, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(m.hwnd, b);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, a);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    // A destroyed window's posted messages are dropped with it.
    PostMessageA(a, WM_USER + 9, 0, 0);
    DestroyWindow(a);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_USER + 9, WM_USER + 9, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(a, WM_USER, 0, 0));
    DestroyWindow(b);
}

TEST(Messages, AWorkerThreadHasItsOwnQueue) {
    std::atomic<DWORD> tid{0};
    std::atomic<bool> ready{false};
    std::vector<WPARAM> got;
    std::thread worker([&] {
        MSG m;
        PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
        tid = GetCurrentThreadId();
        ready = true;
        while (GetMessageA(&m, nullptr, 0, 0)) got.push_back(m.wParam);
    });
    while (!ready) std::this_thread::yield();
    EXPECT_TRUE(PostThreadMessageA(tid, WM_USER, 10, 0));
    EXPECT_TRUE(PostThreadMessageA(tid, WM_USER, 11, 0));
    EXPECT_TRUE(PostThreadMessageA(tid, WM_QUIT, 0, 0));
    PostThreadMessageA(tid, WM_USER, 12, 0);
    // WM_QUIT posted as a message ends the loop where it stands in the queue.
    worker.join();
    EXPECT_EQ(got, (std::vector<WPARAM>{10, 11}));
    EXPECT_FALSE(PostThreadMessageA(tid, WM_USER, 0, 0));  // the thread's queue went with it
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
}

TEST(Messages, SendFromAnotherThreadRunsOnTheWindowsThreadAndReturnsTheAnswer) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = threadProc;
    wc.lpszClassName = "UiTestThreadProc";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "UiTestThreadProc", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::atomic<LRESULT> answer{0};
    std::atomic<bool> done{false};
    std::thread sender([&] {
        answer = SendMessageA(h, WM_USER + 1, 21, 0);
        // A window's text can be read from any thread.
        char buf[16];
        GetWindowTextA(h, buf, sizeof buf);
        done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    sender.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(answeringThread.load(), GetCurrentThreadId());

    // Unanswered in time (nobody pumps): the sender gets a time-out.
    std::atomic<LRESULT> sent{1};
    std::thread late([&] {
        DWORD_PTR r = 0;
        sent = SendMessageTimeoutA(h, WM_USER + 1, 1, 0, SMTO_NORMAL, 50, &r);
    });
    late.join();
    EXPECT_EQ(sent.load(), 0);
    // The abandoned call is not run later.
    answeringThread = 0;
    pumpUntil([] { return false; }, 50);
    EXPECT_EQ(answeringThread.load(), 0u);
    DestroyWindow(h);
}

TEST(Messages, TimersFireRepeatedlyUntilKilled) {
    HWND h = makeWindow();
    recorded().clear();
    ASSERT_EQ(SetTimer(h, 7, 20, nullptr), 7u);
    int ticks = 0;
    EXPECT_TRUE(pumpUntil([&] {
        ticks = 0;
        for (const Message &m : recorded())
            if (m.hwnd == h && m.msg == WM_TIMER && m.wParam == 7) ++ticks;
        return ticks >= 3;
    }));
    EXPECT_TRUE(KillTimer(h, 7));
    EXPECT_FALSE(KillTimer(h, 7));
    recorded().clear();
    pumpUntil([] { return false; }, 80);
    std::vector<UINT> after = messagesTo(h);
    EXPECT_EQ(std::count(after.begin(), after.end(), static_cast<UINT>(WM_TIMER)), 0);

    // A timer without a window calls its procedure from DispatchMessageA.
    timerCalls.clear();
    UINT_PTR id = SetTimer(nullptr, 0, 15, timerProc);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(pumpUntil([] { return timerCalls.size() >= 2; }));
    KillTimer(nullptr, id);
    EXPECT_EQ(timerCalls.front(), id);
    DestroyWindow(h);
}

TEST(Messages, RegisteredMessagesAreSharedByNameWithoutCase) {
    UINT a = RegisterWindowMessageA("UiTestMessage");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA("uitestmessage"), a);
    EXPECT_NE(RegisterWindowMessageA("UiTestOther"), a);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}
