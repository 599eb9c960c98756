// The list module: results, ordering, ids, failed allocations and the
// process-wide lock shared with other copies of the module.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "listmod.h"
#include "listmod_alloc.h"

namespace {

class ListModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(listInit(), 0); }
    void TearDown() override {
        listmodAllocate = std::malloc;
        listShutdown();
    }

    static int add(int list, int value) { return listAddItem(list, &value, sizeof value); }
    static int valueOf(int list, int id) {
        int value = -1;
        return listGetItem(list, id, &value, sizeof value) == sizeof value ? value : -1;
    }
};

TEST(ListModuleState, OperationsNeedInitialisationAndInitOnlyOnce) {
    int value = 1;
    EXPECT_EQ(listCreate(), -1);
    EXPECT_EQ(listGetCount(0), -1);
    EXPECT_EQ(listShutdown(), -1);
    ASSERT_EQ(listInit(), 0);
    EXPECT_EQ(listInit(), -1);
    int list = listCreate();
    ASSERT_GE(list, 0);
    EXPECT_GE(listAddItem(list, &value, sizeof value), 0);
    EXPECT_EQ(listShutdown(), 0);
    EXPECT_EQ(listAddItem(list, &value, sizeof value), -1);
    EXPECT_EQ(listGetItemId(list, 0), -1);
    EXPECT_EQ(listShutdown(), -1);
}

TEST_F(ListModule, HandlesAreCheckedAndSlotsReused) {
    EXPECT_EQ(listGetCount(-1), -2);
    EXPECT_EQ(listGetCount(MAX_LISTS), -2);
    EXPECT_EQ(listGetCount(3), -2);  // never created
    for (int i = 0; i < MAX_LISTS; ++i) ASSERT_EQ(listCreate(), i);
    EXPECT_EQ(listCreate(), -3);
    EXPECT_EQ(listDestroy(5), 0);
    EXPECT_EQ(listGetCount(5), -2);
    EXPECT_EQ(listDestroy(5), -2);
    EXPECT_EQ(listCreate(), 5);
    EXPECT_EQ(listCreate(), -3);
}

TEST_F(ListModule, AddingRejectsBadDataAndKeepsInsertionOrderWithSharedIds) {
    int a = listCreate(), b = listCreate();
    int value = 9;
    EXPECT_EQ(listAddItem(a, &value, 0), -2);
    EXPECT_EQ(listAddItem(a, &value, -4), -2);
    EXPECT_EQ(listAddItem(a, nullptr, 4), -2);
    EXPECT_EQ(listGetCount(a), 0);
    EXPECT_EQ(listGetItemId(a, 0), -5);

    EXPECT_EQ(add(a, 10), 0);
    EXPECT_EQ(add(b, 20), 1);
    EXPECT_EQ(add(a, 11), 2);
    EXPECT_EQ(add(a, 12), 3);
    EXPECT_EQ(listGetCount(a), 3);
    EXPECT_EQ(listGetItemId(a, 0), 0);
    EXPECT_EQ(listGetItemId(a, 1), 2);
    EXPECT_EQ(listGetItemId(a, 2), 3);
    EXPECT_EQ(listGetItemId(a, 3), -5);
    EXPECT_EQ(listGetItemId(a, -1), -5);
    EXPECT_EQ(valueOf(a, 2), 11);
    EXPECT_EQ(listGetItem(a, 1, &value, sizeof value), -5);  // id 1 lives in list b

    // Deleting does not give an id back.
    EXPECT_EQ(listDeleteItem(a, 2), 0);
    EXPECT_EQ(listDeleteItem(a, 2), -5);
    EXPECT_EQ(listGetCount(a), 2);
    EXPECT_EQ(add(a, 13), 4);
    EXPECT_EQ(listGetItemId(a, 1), 3);
    EXPECT_EQ(listGetItemId(a, 2), 4);
}

TEST_F(ListModule, GetItemCopiesAtMostTheBufferAndSizeIsReported) {
    int list = listCreate();
    const char text[] = "abcdefgh";
    int id = listAddItem(list, text, sizeof text);
    EXPECT_EQ(listGetItemSize(list, id), static_cast<int>(sizeof text));
    EXPECT_EQ(listGetItemSize(list, id + 1), -5);
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(listGetItem(list, id, small, 3), 3);
    EXPECT_EQ(std::memcmp(small, "abcx", 4), 0);
    char large[32];
    EXPECT_EQ(listGetItem(list, id, large, sizeof large), static_cast<int>(sizeof text));
    EXPECT_STREQ(large, text);
    EXPECT_EQ(listGetItem(list, id, nullptr, 8), 0);
}

TEST_F(ListModule, TakeItemTakesTheFirstOrTheNamedItem) {
    int list = listCreate();
    for (int i = 0; i < 7; ++i) listDeleteItem(list, add(list, i));  // ids 0 to 6 are used up
    EXPECT_EQ(add(list, 70), 7);
    EXPECT_EQ(add(list, 80), 8);
    EXPECT_EQ(add(list, 90), 9);
    int value = 0;
    EXPECT_EQ(listTakeItem(list, -1, &value, sizeof value), static_cast<int>(sizeof value));
    EXPECT_EQ(value, 70);
    EXPECT_EQ(listTakeItem(list, 9, &value, sizeof value), static_cast<int>(sizeof value));
    EXPECT_EQ(value, 90);
    EXPECT_EQ(listGetCount(list), 1);
    EXPECT_EQ(listGetItemId(list, 0), 8);
    EXPECT_EQ(listTakeItem(list, 9, &value, sizeof value), -5);
    EXPECT_EQ(listTakeItem(list, -1, &value, sizeof value), static_cast<int>(sizeof value));
    EXPECT_EQ(listTakeItem(list, -1, &value, sizeof value), -5);
    EXPECT_EQ(listGetCount(list), 0);
}

TEST_F(ListModule, UpdateKeepsIdAndPositionAndSurvivesFailedAllocation) {
    int list = listCreate();
    add(list, 1);
    int id = add(list, 2);
    add(list, 3);
    const char bigger[] = "a longer record";
    EXPECT_EQ(listUpdateItem(list, id, bigger, sizeof bigger), 0);
    EXPECT_EQ(listGetItemId(list, 1), id);
    EXPECT_EQ(listGetItemSize(list, id), static_cast<int>(sizeof bigger));
    EXPECT_EQ(listUpdateItem(list, id, nullptr, 4), -2);
    EXPECT_EQ(listUpdateItem(list, id, bigger, 0), -2);
    EXPECT_EQ(listUpdateItem(list, id + 10, bigger, sizeof bigger), -5);

    listmodAllocate = [](std::size_t) -> void * { return nullptr; };
    int value = 5;
    EXPECT_EQ(listUpdateItem(list, id, &value, sizeof value), -4);
    EXPECT_EQ(listAddItem(list, &value, sizeof value), -4);
    listmodAllocate = std::malloc;
    char out[32] = {};
    EXPECT_EQ(listGetItem(list, id, out, sizeof out), static_cast<int>(sizeof bigger));
    EXPECT_STREQ(out, bigger);
    EXPECT_EQ(listGetCount(list), 3);
}

TEST_F(ListModule, FailedSecondAllocationAddsNothing) {
    int list = listCreate();
    add(list, 1);
    static int calls;
    calls = 0;
    listmodAllocate = [](std::size_t size) -> void * { return ++calls == 2 ? nullptr : std::malloc(size); };
    EXPECT_EQ(add(list, 2), -4);
    listmodAllocate = std::malloc;
    EXPECT_EQ(listGetCount(list), 1);
    int id = add(list, 3);
    EXPECT_EQ(listGetItemId(list, 1), id);
    EXPECT_EQ(listGetItemId(list, 2), -5);
}

TEST(ListModuleState, ShutdownFreesEverythingAndRestartsIds) {
    ASSERT_EQ(listInit(), 0);
    int value = 1;
    for (int i = 0; i < 10; ++i) {
        int list = listCreate();
        for (int j = 0; j < 10; ++j) listAddItem(list, &value, sizeof value);
    }
    EXPECT_EQ(listShutdown(), 0);
    ASSERT_EQ(listInit(), 0);
    int list = listCreate();
    EXPECT_EQ(list, 0);
    EXPECT_EQ(listAddItem(list, &value, sizeof value), 0);
    EXPECT_EQ(listShutdown(), 0);
}

// Threads that add, read and delete at once never see a torn list: every
// thread finds exactly its own items, and the counts add up.
TEST_F(ListModule, ConcurrentUseKeepsListsConsistent) {
    int list = listCreate();
    constexpr int kThreads = 4, kItems = 500;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<int> ids;
            for (int i = 0; i < kItems; ++i) {
                int record[2] = {t, i};
                int id = listAddItem(list, record, sizeof record);
                if (id < 0) failures++;
                ids.push_back(id);
            }
            for (int i = 0; i < kItems; ++i) {
                int record[2] = {-1, -1};
                if (listGetItem(list, ids[i], record, sizeof record) != sizeof record || record[0] != t ||
                    record[1] != i)
                    failures++;
                if (i % 2 == 0 && listDeleteItem(list, ids[i]) != 0) failures++;
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(listGetCount(list), kThreads * kItems / 2);
    int walked = 0;
    while (listGetItemId(list, walked) >= 0) ++walked;
    EXPECT_EQ(walked, kThreads * kItems / 2);
}

// Every copy of the module in the process takes the same named lock: while
// another holder has it, an operation waits; the holder may take it again.
TEST_F(ListModule, SharesTheProcessWideNamedLock) {
    char name[64];
    std::snprintf(name, sizeof name, "listmodThreadMutex%x", static_cast<unsigned>(GetCurrentProcessId()));
    HANDLE lock = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name);
    ASSERT_NE(lock, nullptr);
    int list = listCreate();
    ASSERT_EQ(WaitForSingleObject(lock, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(add(list, 1), 0);  // re-entrant for the holder

    std::atomic<bool> done{false};
    std::thread other([&] {
        add(list, 2);
        done = true;
    });
    Sleep(150);
    EXPECT_FALSE(done.load());
    ReleaseMutex(lock);
    other.join();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(listGetCount(list), 2);
    CloseHandle(lock);
}

}  // namespace
