#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "winport/Event.h"

using winport::Event;

TEST(Event, WaitTimesOutWhenNotSignalled) {
    Event e(true, false);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(e.Wait(30));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(25));
    EXPECT_FALSE(e.Wait(0));
}

TEST(Event, InitialStateAndReset) {
    Event manual(true, true);
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0)) << "a manual-reset event stays signalled";
    manual.Reset();
    EXPECT_FALSE(manual.Wait(0));

    Event automatic(false, true);
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0)) << "the wait resets an auto-reset event";
}

// Counts how many of `waiters` threads get through within a generous bound after `sets` Sets.
static int Released(Event& e, int waiters, int sets) {
    std::atomic<int> through{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < waiters; ++i)
        threads.emplace_back([&] {
            if (e.Wait(1500)) ++through;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < sets; ++i) {
        e.Set();
        // Let a woken waiter take the signal before the next Set; a second Set on a still
        // signalled auto-reset event is not a second release.
        for (int spin = 0; spin < 2000 && !e.IsManualReset() && e.IsSet(); ++spin)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (auto& t : threads) t.join();
    return through;
}

TEST(Event, AutoResetReleasesOneWaiterPerSet) {
    Event e(false, false);
    EXPECT_EQ(Released(e, 4, 2), 2);
    EXPECT_FALSE(e.IsSet());
}

TEST(Event, ManualResetReleasesAllWaiters) {
    Event e(true, false);
    EXPECT_EQ(Released(e, 4, 1), 4);
    EXPECT_TRUE(e.IsSet());
}

TEST(Event, SetFromAnotherThreadWakesInfiniteWait) {
    Event e(false, false);
    std::thread t([&] { e.Set(); });
    EXPECT_TRUE(e.Wait(winport::kInfinite));
    t.join();
}

TEST(EventFd, SignalWritesOneCount) {
    int fd = eventfd(0, EFD_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(winport::SignalEventFd(fd));
    ASSERT_TRUE(winport::SignalEventFd(fd));
    uint64_t count = 0;
    ASSERT_EQ(read(fd, &count, sizeof count), static_cast<ssize_t>(sizeof count));
    EXPECT_EQ(count, 2u);
    close(fd);
    EXPECT_FALSE(winport::SignalEventFd(-1));
    EXPECT_FALSE(winport::SignalEventFd(fd)) << "a closed descriptor is refused";
}
