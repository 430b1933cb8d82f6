// A serial port's waits on a faster clock: cut short only when the line's stand-in vouches that
// nothing can arrive, otherwise their full time in real milliseconds.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "PtyPeer.h"
#include "winport/Clock.h"
#include "winport/LineTraffic.h"
#include "winport/SerialPort.h"

namespace {

constexpr uint32_t kScale = 1000;
constexpr uint32_t kWaitMs = 400;  // waits that must last it in real time
// Waits that end on the clock: a tenth of a second in real time, but 100 s if they did not.
constexpr uint32_t kLongMs = 100000;

class SerialClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer_.ok());
        line_ = winport::CreateLineTraffic(peer_.path());
        ASSERT_EQ(port_.Open(peer_.path()), winport::SerialStatus::Ok);
    }
    void TearDown() override { line_->DetachPeer(); }

    // Real and clock milliseconds a wait of ms took, with its result.
    struct Took {
        winport::SerialStatus status;
        uint64_t realMs;
        uint32_t clockMs;
    };
    Took Wait(uint32_t ms) {
        const uint64_t real = winport::RealNowMs();
        const uint32_t tick = winport::TickCount();
        const winport::SerialStatus status = port_.WaitReadable(ms);
        return {status, winport::RealNowMs() - real, winport::TicksSince(tick)};
    }

    winport::ScopedScaledClock faster_{kScale};
    zrtest::PtyPeer peer_;
    std::shared_ptr<winport::LineTraffic> line_;
    winport::SerialPort port_;
};

TEST_F(SerialClockTest, WithoutAStandInAWaitLastsItsFullTimeInRealTerms) {
    const Took took = Wait(kWaitMs);
    EXPECT_EQ(took.status, winport::SerialStatus::Timeout);
    EXPECT_GE(took.realMs, kWaitMs);
}

TEST_F(SerialClockTest, AVouchedWaitEndsOnTheClockNeverBeforeItsTime) {
    std::atomic<uint64_t> askedFor{0};
    line_->AttachPeer([&](uint64_t deadlineUs) {
        askedFor = deadlineUs;
        return false;
    });
    const uint64_t before = winport::CurrentClock().NowUs();
    const Took took = Wait(kLongMs);
    EXPECT_EQ(took.status, winport::SerialStatus::Timeout);
    EXPECT_GE(took.clockMs, kLongMs);
    EXPECT_LT(took.realMs, kLongMs);
    EXPECT_GE(askedFor.load(), before + uint64_t{kLongMs} * 1000u) << "about its own deadline";
}

TEST_F(SerialClockTest, BytesTheStandInHasNotTakenInKeepTheWaitGoing) {
    line_->AttachPeer([](uint64_t) { return false; });
    size_t written = 0;
    ASSERT_EQ(port_.Write("JA?\r", 4, 1000, written), winport::SerialStatus::Ok);
    // The stand-in never reads them: the port cannot know no answer comes.
    const Took took = Wait(kWaitMs);
    EXPECT_EQ(took.status, winport::SerialStatus::Timeout);
    EXPECT_GE(took.realMs, kWaitMs);
    line_->PeerRead(4);
    EXPECT_EQ(peer_.ReadBytes(4), "JA?\r");
    EXPECT_LT(Wait(kLongMs).realMs, kLongMs) << "taken in: vouched again";
}

TEST_F(SerialClockTest, AnAnswerOnItsWayIsWaitedFor) {
    std::atomic<bool> answering{true};
    line_->AttachPeer([&](uint64_t) { return answering.load(); });
    const uint32_t start = winport::TickCount();
    std::thread answer([&] {
        // The stand-in answers after the clock's deadline, long before the real one.
        while (winport::TicksSince(start) < kLongMs) std::this_thread::yield();
        line_->PeerWrites([&] {
            peer_.Write("OK\r");
            return 3;
        });
        answering = false;
    });
    const Took took = Wait(kLongMs);
    answer.join();
    EXPECT_EQ(took.status, winport::SerialStatus::Ok);
    char buffer[8];
    size_t got = 0;
    ASSERT_EQ(port_.Read(buffer, sizeof buffer, got), winport::SerialStatus::Ok);
    EXPECT_EQ(std::string(buffer, got), "OK\r");
}

TEST_F(SerialClockTest, SentBytesNotYetReadKeepTheWaitGoingUntilTheyAre) {
    line_->AttachPeer([](uint64_t) { return false; });
    // Counted as sent but not on the line: as if still on their way through the terminal.
    line_->PeerWrites([] { return 2; });
    EXPECT_GE(Wait(kWaitMs).realMs, kWaitMs);
    ASSERT_EQ(port_.PurgeInput(), winport::SerialStatus::Ok);  // gone with the purge
    EXPECT_LT(Wait(kLongMs).realMs, kLongMs);
}

}  // namespace

TEST(ScaledClock, RunsFasterAndNeverSleepsShort) {
    const uint32_t before = winport::TickCount();
    {
        winport::ScopedScaledClock faster(50);
        EXPECT_EQ(winport::CurrentClock().Scale(), 50u);
        const uint32_t start = winport::TickCount();
        EXPECT_LT(winport::TicksElapsed(before, start), 1u << 31) << "goes on from where it stood";
        const uint64_t real = winport::RealNowMs();
        winport::SleepMs(1000);
        const uint64_t realSpent = winport::RealNowMs() - real;
        const uint32_t spent = winport::TicksSince(start);
        EXPECT_GE(spent, 1000u);
        EXPECT_GE(spent + 50u, realSpent * 50u) << "fifty of its milliseconds to a real one";
        auto t = winport::SteadyClock::now() + std::chrono::milliseconds(500);
        winport::SleepUntil(t);
        EXPECT_GE(winport::SteadyClock::now(), t);
    }
    EXPECT_EQ(winport::CurrentClock().Scale(), 1u) << "the system clock is back";
}

TEST(ScaledClock, WaitsForOtherThreadsShrinkOnlyWhenLong) {
    EXPECT_EQ(winport::RealMsForWork(10000), 10000u) << "system clock";
    winport::ScopedScaledClock faster(20);
    struct Case {
        uint32_t ms, real;
    } cases[] = {{0, 0}, {500, 500}, {2000, 2000}, {5000, 2000}, {100000, 5000}};
    for (const Case& c : cases) EXPECT_EQ(winport::RealMsForWork(c.ms), c.real) << c.ms;
    EXPECT_EQ(winport::CurrentClock().RealMs(1), 1u);
    EXPECT_EQ(winport::CurrentClock().RealMs(41), 3u);
}

TEST(ScaledClock, ScaleFromTheEnvironment) {
    struct Case {
        const char* text;
        uint32_t scale;
    } cases[] = {{"20", 20}, {"1", 1},  {"1000", 1000}, {"0", 1}, {"1001", 1},
                 {"x", 1},   {"5x", 1}, {"-3", 1},      {"", 1}};
    for (const Case& c : cases) {
        ::setenv("WINPORT_TEST_TIME_SCALE", c.text, 1);
        EXPECT_EQ(winport::TimeScaleFromEnvironment("WINPORT_TEST_TIME_SCALE"), c.scale) << c.text;
    }
    ::unsetenv("WINPORT_TEST_TIME_SCALE");
    EXPECT_EQ(winport::TimeScaleFromEnvironment("WINPORT_TEST_TIME_SCALE"), 1u);
}
