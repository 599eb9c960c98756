// Events, mutexes, semaphores, waits and threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

DWORD WINAPI returnParameter(LPVOID p) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(p)); }

DWORD WINAPI exitEarly(LPVOID) {
    ExitThread(42);
}

TEST(Handles, ValuesAreSmallIntegersAndCloseOnce) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(e, nullptr);
    uintptr_t v = reinterpret_cast<uintptr_t>(e);
    EXPECT_LT(v, 0x80000000u);
    EXPECT_EQ(ULongToHandle(HandleToULong(e)), e);
    EXPECT_TRUE(CloseHandle(e));
    EXPECT_FALSE(CloseHandle(e));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
}

TEST(Events, ManualAndAutoReset) {
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE autoEvent = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);

    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
    CloseHandle(manual);
    CloseHandle(autoEvent);
}

TEST(Events, WaitWakesOnSetFromAnotherThreadAndHonoursTimeout) {
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::thread setter([e] {
        Sleep(50);
        SetEvent(e);
    });
    EXPECT_EQ(WaitForSingleObject(e, 5000), WAIT_OBJECT_0);
    setter.join();
    DWORD before = GetTickCount();
    EXPECT_EQ(WaitForSingleObject(e, 100), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount() - before, 90u);
    CloseHandle(e);
}

TEST(Events, AutoResetPulseIsLatchedUntilAWaiterComes) {
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_TRUE(PulseEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    CloseHandle(e);
}

TEST(Events, ManualResetPulseReleasesCurrentWaitersOnly) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> released{0};
    std::thread waiter([&] {
        SetEvent(ready);
        if (WaitForSingleObject(e, 5000) == WAIT_OBJECT_0) ++released;
    });
    WaitForSingleObject(ready, INFINITE);
    Sleep(50);  // let the waiter reach its wait
    PulseEvent(e);
    waiter.join();
    EXPECT_EQ(released.load(), 1);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    CloseHandle(e);
    CloseHandle(ready);
}

TEST(Waits, MultipleObjectsAnyAndAll) {
    HANDLE a = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE b = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE both[2] = {a, b};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(b);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    SetEvent(b);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
    // A failed wait-all takes nothing: b is still set.
    SetEvent(a);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
    HANDLE bad[2] = {a, ULongToHandle(0x7ffffff0)};
    EXPECT_EQ(WaitForMultipleObjects(2, bad, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, both, FALSE, 0), WAIT_FAILED);
    CloseHandle(a);
    CloseHandle(b);
}

TEST(Mutexes, NamedReentrantAndOwned) {
    HANDLE m1 = CreateMutexA(nullptr, FALSE, "platform-test-mutex");
    ASSERT_NE(m1, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE m2 = CreateMutexA(nullptr, TRUE, "platform-test-mutex");
    ASSERT_NE(m2, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(m1, m2);
    // Existing mutex: bInitialOwner is ignored, so nobody owns it yet.
    EXPECT_FALSE(ReleaseMutex(m2));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    EXPECT_EQ(WaitForSingleObject(m1, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(m2, 0), WAIT_OBJECT_0);  // re-entrant, same object
    std::atomic<DWORD> other{0};
    std::thread t([&] { other = WaitForSingleObject(m1, 50); });
    t.join();
    EXPECT_EQ(other.load(), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(m1));
    std::thread t2([&] { other = WaitForSingleObject(m1, 50); });
    t2.join();
    EXPECT_EQ(other.load(), WAIT_TIMEOUT);  // still held once
    EXPECT_TRUE(ReleaseMutex(m2));
    std::thread t3([&] {
        other = WaitForSingleObject(m1, 1000);
        ReleaseMutex(m1);
    });
    t3.join();
    EXPECT_EQ(other.load(), WAIT_OBJECT_0);
    // A name of another kind of object cannot be taken.
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "platform-test-mutex"), nullptr);
    CloseHandle(m1);
    CloseHandle(m2);
    // Gone with its last handle: the name is free again.
    HANDLE m3 = CreateMutexA(nullptr, FALSE, "platform-test-mutex");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(m3);
}

TEST(Mutexes, OwnerThatEndsLeavesItAbandoned) {
    HANDLE m = CreateMutexA(nullptr, FALSE, nullptr);
    std::thread owner([m] { WaitForSingleObject(m, 0); });
    owner.join();
    EXPECT_EQ(WaitForSingleObject(m, 1000), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_FALSE(ReleaseMutex(m));
    // A waiter already asleep when the owner ends is woken too.
    HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        WaitForSingleObject(m, 0);
        SetEvent(taken);
        WaitForSingleObject(quit, INFINITE);
    });
    WaitForSingleObject(taken, INFINITE);
    std::thread ender([&] {
        Sleep(100);
        SetEvent(quit);
    });
    EXPECT_EQ(WaitForSingleObject(m, INFINITE), WAIT_ABANDONED);
    holder.join();
    ender.join();
    ReleaseMutex(m);
    CloseHandle(taken);
    CloseHandle(quit);
    CloseHandle(m);
}

TEST(Semaphores, CountAndLimit) {
    HANDLE s = CreateSemaphoreA(nullptr, 0, 2, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_TIMEOUT);
    LONG previous = -1;
    EXPECT_TRUE(ReleaseSemaphore(s, 2, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(s, 1, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_TIMEOUT);
    CloseHandle(s);
}

TEST(Threads, SuspendedThreadRunsAfterResumeAndReportsExitCode) {
    DWORD id = 0;
    HANDLE t = CreateThread(nullptr, 0, returnParameter, reinterpret_cast<LPVOID>(7), CREATE_SUSPENDED, &id);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_TRUE(SetThreadPriority(t, THREAD_PRIORITY_BELOW_NORMAL));
    EXPECT_EQ(GetThreadPriority(t), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(WaitForSingleObject(t, 50), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(ResumeThread(t), 1u);
    EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(ResumeThread(t), 0u);
    CloseHandle(t);
}

TEST(Threads, ExitThreadSetsCodeAndClosedHandleLetsThreadFinish) {
    HANDLE t = CreateThread(nullptr, 0, exitEarly, nullptr, 0, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, 42u);
    CloseHandle(t);
    EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), 7));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(LastError, IsPerThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    std::thread t([] {
        EXPECT_EQ(GetLastError(), 0u);
        SetLastError(ERROR_FILE_NOT_FOUND);
    });
    t.join();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(CriticalSections, ReentrantAndExclusive) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs));
    std::atomic<BOOL> other{TRUE};
    std::thread t([&] { other = TryEnterCriticalSection(&cs); });
    t.join();
    EXPECT_FALSE(other.load());
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    DeleteCriticalSection(&cs);
}

}  // namespace
