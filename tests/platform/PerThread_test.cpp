#include "platform/PerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace kq {
namespace {

std::atomic<int> g_made{0};
std::atomic<int> g_destroyed{0};
std::atomic<int> g_damaged{0};

// Counts what is made and destroyed; its destructor also checks that its
// memory still holds what the constructor wrote (a runtime that frees a
// thread's storage before its objects are destroyed fails here).
struct CCounted {
    static constexpr uint64_t kMark = 0x5045525448524541;
    CCounted()
    {
        ++g_made;
        for (uint64_t& m : m_aMark) m = kMark;
    }
    ~CCounted()
    {
        for (const uint64_t m : m_aMark)
            if (m != kMark) {
                ++g_damaged;
                break;
            }
        ++g_destroyed;
    }
    CCounted(const CCounted&) = delete;
    CCounted& operator=(const CCounted&) = delete;
    uint64_t m_aMark[8];
    int m_nValue = 0;
    std::vector<int> m_aGrown;  // memory of its own, freed by the destructor
};

struct COtherSite;

// Threads that start, use their object and end, many times over: each gets
// an object of its own, made once, and it is destroyed by the thread's end
// (not later, and not on memory the thread's end already freed).
TEST(PerThread, EachThreadHasItsOwnObjectUntilItEnds)
{
    g_made = 0;
    g_destroyed = 0;
    g_damaged = 0;
    constexpr int kRounds = 40;
    constexpr int kThreads = 8;
    std::atomic<int> wrong{0};
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&wrong, t] {
                CCounted& mine = PerThread<CCounted>();
                if (mine.m_nValue != 0) ++wrong;
                mine.m_nValue = t + 1;
                mine.m_aGrown.assign(1000, t);
                std::this_thread::yield();
                if (&PerThread<CCounted>() != &mine || PerThread<CCounted>().m_nValue != t + 1) ++wrong;
                // Another site keeping the same type has an object of its own.
                if (&PerThread<CCounted, COtherSite>() == &mine) ++wrong;
            });
        for (std::thread& t : threads) t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(g_made.load(), 2 * kRounds * kThreads);
    EXPECT_EQ(g_destroyed.load(), g_made.load());
    EXPECT_EQ(g_damaged.load(), 0);
}

}  // namespace
}  // namespace kq
