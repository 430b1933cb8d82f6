// RUN_DMA_AVG: each buffer gets the average of avg consecutive pictures, added up by the board in
// the 16-bit work buffer or, above 16 pictures, in 32-bit sums.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "recorder_fixture.h"

namespace testing_recorder {
namespace {

using lmv::kOk;
using lmv::kWrongParameter;

// The first frame f for which every pixel is the average of pictures f .. f + avg - 1, or -1.
int AveragedFrom(const uint16_t* buffer, int avg, const std::function<uint32_t(uint32_t)>& divide) {
    auto expected = [&](uint32_t i, uint32_t f) {
        uint32_t sum = 0;
        for (int j = 0; j < avg; ++j) sum += PatternPixel(i, f + uint32_t(j));
        return static_cast<uint16_t>(divide(sum));
    };
    for (uint32_t f = 0; f < 4096; ++f) {
        if (expected(0, f) != buffer[0] || expected(1, f) != buffer[1]) continue;
        bool all = true;
        for (int i = 0; i < kPixels && all; ++i) all = expected(uint32_t(i), f) == buffer[i];
        if (all) return int(f);
    }
    return -1;
}

size_t ReadRequests(const std::vector<std::string>& lines, uint32_t mode) {
    const std::string line = "0 ioctl 0x222054 in=" + testing_lmv::Le({mode}) + " out=-";
    return size_t(std::count(lines.begin(), lines.end(), line));
}

TEST_F(RecorderTest, AverageOfFourIsTheSumShiftedAndFollowsOn) {
    Buffers(3);
    RunCamera();
    const auto lines = TraceOf([] { EXPECT_EQ(RUN_DMA_AVG(1, 2, 0, 4), kOk); });
    EXPECT_EQ(ReadRequests(lines, 2), 8u) << "four adding transfers per buffer";
    EXPECT_EQ(ReadRequests(lines, 3), 0u);
    const auto shift = [](uint32_t sum) { return sum >> 2; };
    const int first = AveragedFrom(Buffer(1), 4, shift);
    ASSERT_GE(first, 0);
    EXPECT_EQ(AveragedFrom(Buffer(2), 4, shift), first + 4);
    EXPECT_EQ(Counters().frames, 2u);
    EXPECT_EQ(lmv::record_of(0)->pics_per_start, 4);
}

TEST_F(RecorderTest, AverageOfTwentyGoesThroughThirtyTwoBitSums) {
    Buffers(2);
    RunCamera();
    const auto lines = TraceOf([] { EXPECT_EQ(RUN_DMA_AVG(1, 1, 0, 20), kOk); });
    EXPECT_EQ(ReadRequests(lines, 3), 20u);
    EXPECT_EQ(ReadRequests(lines, 2), 0u);
    EXPECT_GE(AveragedFrom(Buffer(1), 20, [](uint32_t sum) { return sum / 20; }), 0);
}

TEST_F(RecorderTest, AverageOfThreeDivides) {
    Buffers(2);
    RunCamera();
    EXPECT_EQ(RUN_DMA_AVG(2, 2, 0, 3), kOk);
    EXPECT_GE(AveragedFrom(Buffer(2), 3, [](uint32_t sum) { return sum / 3; }), 0);
}

TEST_F(RecorderTest, AverageCountOutsideOneTo4096IsRefused) {
    Buffers(2);
    for (const int avg : {0, -1, 4097, 1 << 30})
        EXPECT_EQ(RUN_DMA_AVG(1, 1, 0, avg), kWrongParameter) << avg;
}

TEST_F(RecorderTest, AveragingRingStopsOnRequest) {
    Buffers(2);
    RunCamera();
    StartRecording(1, 2, 1, 5);
    ASSERT_TRUE(WaitFor([] { return Counters().frames >= 3; }));
    STOP_DMA();
    EXPECT_EQ(Finish(), kOk);
    const counters c = Counters();
    EXPECT_EQ(c.wraps, c.frames / 2);
    const int last = int((c.frames - 1) % 2) + 1;
    const auto by5 = [](uint32_t sum) { return sum / 5; };
    const int newest = AveragedFrom(Buffer(last), 5, by5);
    ASSERT_GE(newest, 0);
    EXPECT_EQ(AveragedFrom(Buffer(3 - last), 5, by5), newest - 5);
}

}  // namespace
}  // namespace testing_recorder
