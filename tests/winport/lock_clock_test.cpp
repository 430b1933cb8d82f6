#include <gtest/gtest.h>

#include <thread>

#include "winport/Clock.h"
#include "winport/CriticalSection.h"
#include "winport/Thread.h"

TEST(CriticalSection, IsReentrant) {
    winport::CriticalSection cs;
    winport::ScopedLock a(cs);
    winport::ScopedLock b(cs);
    EXPECT_TRUE(cs.TryEnter());
    cs.Leave();
}

TEST(CriticalSection, ExcludesOtherThreadsUntilFullyLeft) {
    winport::CriticalSection cs;
    cs.Enter();
    cs.Enter();
    cs.Leave();
    bool other = true;
    std::thread([&] { other = cs.TryEnter(); }).join();
    EXPECT_FALSE(other) << "still held once";
    cs.Leave();
    std::thread([&] {
        other = cs.TryEnter();
        if (other) cs.Leave();
    }).join();
    EXPECT_TRUE(other);
}

TEST(Clock, ElapsedIsTakenModulo32Bits) {
    struct Case {
        uint32_t start, now, elapsed;
    } cases[] = {
        {100, 250, 150},
        {0xFFFFFF00u, 0x00000010u, 0x110},  // across the wrap
        {0xFFFFFFFFu, 0u, 1},
        {5, 5, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(winport::TicksElapsed(c.start, c.now), c.elapsed);
}

TEST(Clock, TickCountAdvances) {
    uint32_t t0 = winport::TickCount();
    winport::SleepMs(20);
    uint32_t d = winport::TicksSince(t0);
    EXPECT_GE(d, 15u);
    EXPECT_LT(d, 60000u);
}

TEST(ThreadPriority, ScopedRaiseRestoresThePriority) {
    auto before = winport::GetCurrentThreadPriority();
    {
        winport::ScopedThreadPriority raise(winport::ThreadPriority::Highest);
        if (raise.Raised()) {
            EXPECT_EQ(winport::GetCurrentThreadPriority(), winport::ThreadPriority::Highest);
        }
    }
    EXPECT_EQ(winport::GetCurrentThreadPriority(), before);
}
