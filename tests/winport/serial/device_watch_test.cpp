#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "PtyPeer.h"
#include "winport/DeviceWatch.h"

namespace {

// Subscribes a second callback, makes a device come and waits until the watch has handed that
// change out: a callback that was going to be called for it (wrongly) has had its turn then.
void WaitUntilTheWatchHasPassedOnANewDevice() {
    auto seen = std::make_shared<std::atomic<int>>(0);
    int token = winport::DeviceWatch::Instance().Subscribe([seen] { ++*seen; });
    ASSERT_GE(token, 0);
    zrtest::PtyPeer device;
    ASSERT_TRUE(zrtest::WaitFor([&] { return *seen > 0; }));
    winport::DeviceWatch::Instance().Unsubscribe(token);  // returns after the running call
}

TEST(DeviceWatchTest, PseudoTerminalComingAndGoingIsNoticed) {
    auto calls = std::make_shared<std::atomic<int>>(0);
    int token = winport::DeviceWatch::Instance().Subscribe([calls] { ++*calls; });
    ASSERT_GE(token, 0);

    auto peer = std::make_unique<zrtest::PtyPeer>();
    ASSERT_TRUE(zrtest::WaitFor([&] { return *calls > 0; }));
    int before = *calls;
    peer.reset();
    ASSERT_TRUE(zrtest::WaitFor([&] { return *calls > before; }));

    winport::DeviceWatch::Instance().Unsubscribe(token);
    int after = *calls;
    WaitUntilTheWatchHasPassedOnANewDevice();
    EXPECT_EQ(*calls, after);
}

TEST(DeviceWatchTest, UnsubscribingFromTheCallbackItselfIsAllowed) {
    std::atomic<int> token{-1};
    std::atomic<int> calls{0};
    token = winport::DeviceWatch::Instance().Subscribe([&] {
        ++calls;
        winport::DeviceWatch::Instance().Unsubscribe(token);
    });
    ASSERT_GE(token.load(), 0);
    zrtest::PtyPeer first;
    ASSERT_TRUE(zrtest::WaitFor([&] { return calls > 0; }));
    WaitUntilTheWatchHasPassedOnANewDevice();
    EXPECT_EQ(calls, 1);
}

}  // namespace
