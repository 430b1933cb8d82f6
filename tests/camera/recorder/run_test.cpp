// RUN_DMA: the recording thread fills buffers once or as a ring, stops on request, and refuses
// what it cannot do.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/recorder/RecorderState.h"
#include "recorder_fixture.h"

namespace testing_recorder {
namespace {

using lmv::kNoMemory;
using lmv::kOk;
using lmv::kRecorderOwnsBoard;
using lmv::kWrongParameter;

TEST_F(RecorderTest, ModeZeroFillsTheBuffersOnceWithConsecutivePictures) {
    Buffers(4);
    RunCamera();
    EXPECT_EQ(RUN_DMA(1, 3, 0), kOk);
    const int first = PatternFrame(Buffer(1));
    ASSERT_GE(first, 0);
    EXPECT_EQ(PatternFrame(Buffer(2)), (first + 1) % 4096);
    EXPECT_EQ(PatternFrame(Buffer(3)), (first + 2) % 4096);
    const uint16_t* fourth = Buffer(4);
    EXPECT_TRUE(std::all_of(fourth, fourth + kPixels, [](uint16_t v) { return v == 0; }));
    const counters c = Counters();
    EXPECT_EQ(c.frames, 3u);
    EXPECT_EQ(c.wraps, 0u);
    EXPECT_EQ(c.dropped, 0u);
    EXPECT_EQ(c.errors, 0u);
    int status = 0;
    EXPECT_EQ(GET_DMA_STATUS(&status), kOk);
    EXPECT_EQ(status, 3);
}

TEST_F(RecorderTest, ModeZeroFromALaterBufferAndASingleOne) {
    Buffers(4);
    RunCamera();
    EXPECT_EQ(RUN_DMA(4, 2, 0), kOk);  // pice below pics: the one buffer pics
    EXPECT_GE(PatternFrame(Buffer(4)), 0);
    const uint16_t* second = Buffer(2);
    EXPECT_TRUE(std::all_of(second, second + kPixels, [](uint16_t v) { return v == 0; }));
    EXPECT_EQ(Counters().frames, 1u);
}

TEST_F(RecorderTest, ModeOneRingStoppedHoldsTheLatestPicturesInRingOrder) {
    Buffers(3);
    RunCamera();
    StartRecording(1, 3, 1);
    ASSERT_TRUE(WaitFor([] { return Counters().frames >= 10; }));
    EXPECT_EQ(STOP_DMA(), kOk);
    EXPECT_EQ(Finish(), kOk);
    const counters c = Counters();
    ASSERT_GE(c.frames, 10u);
    EXPECT_EQ(c.wraps, c.frames / 3);
    EXPECT_EQ(c.errors, 0u);
    const int last = int((c.frames - 1) % 3) + 1;
    const int newest = PatternFrame(Buffer(last));
    ASSERT_GE(newest, 0);
    for (int back = 1; back < 3; ++back) {
        const int picnr = (last - 1 - back + 3) % 3 + 1;
        EXPECT_EQ(PatternFrame(Buffer(picnr)), (newest - back + 4096) % 4096) << picnr;
    }
    int status = 0;
    EXPECT_EQ(GET_DMA_STATUS(&status), kOk);
    EXPECT_EQ(status, 1) << "a stop starts again at the first buffer";
    EXPECT_FALSE(Recording());
}

TEST_F(RecorderTest, RecordingRefusesWrongBuffersModesAndASecondStart) {
    OpenLog(5);
    EXPECT_EQ(RUN_DMA(1, 1, 0), kWrongParameter) << "no buffers";
    Buffers(3);
    const struct {
        int pics, pice, mode;
    } wrong[] = {{0, 1, 0}, {1, 0, 0}, {-5, 2, 1}, {4, 1, 0}, {1, 4, 1}, {1, 3, 2}, {1, 3, -1}};
    for (const auto& w : wrong) {
        EXPECT_EQ(RUN_DMA(w.pics, w.pice, w.mode), kWrongParameter)
            << w.pics << " " << w.pice << " " << w.mode;
        EXPECT_EQ(RUN_DMA_AVG(w.pics, w.pice, w.mode, 2), kWrongParameter);
    }
    const std::string log = LogText();
    EXPECT_NE(log.find("RUN_DMA error pics or pice <1\r\n"), std::string::npos);
    EXPECT_NE(log.find("RUN_DMA error pics or pice, maximal number is 3\r\n"), std::string::npos);
    RunCamera();
    StartRecording(1, 3, 1);
    ASSERT_TRUE(Recording());
    EXPECT_EQ(RUN_DMA(1, 3, 1), kRecorderOwnsBoard);
    EXPECT_EQ(RUN_DMA_AVG(1, 3, 1, 4), kRecorderOwnsBoard);
    EXPECT_EQ(DMA_START_SINGLE(1), kRecorderOwnsBoard);
    int count = 3;
    EXPECT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kRecorderOwnsBoard);
    EXPECT_EQ(FREE_RECORDER(), kRecorderOwnsBoard);
    int n = 4;
    EXPECT_EQ(ALLOC_RECORDER(&n, kPixels), kRecorderOwnsBoard);
    EXPECT_EQ(SET_INIT(1), kRecorderOwnsBoard);
    // The buffers are still there and still being filled.
    const unsigned before = Counters().frames;
    EXPECT_TRUE(WaitFor([&] { return Counters().frames > before + 2; }));
    STOP_DMA();
    EXPECT_EQ(Finish(), kOk);
    EXPECT_NE(LogText().find("RUN_DMA dma is already running\r\n"), std::string::npos);
    EXPECT_NE(LogText().find("FREE_RECORDER() error dma is running\r\n"), std::string::npos);
    EXPECT_NE(LogText().find("RUN_DMA end frames "), std::string::npos);
    EXPECT_EQ(RUN_DMA(1, 2, 0), kOk) << "the board is free again";
}

TEST_F(RecorderTest, ThreadEntriesTakeOnlyTheLibrarysOwnBlocks) {
    int block[16] = {};
    EXPECT_EQ(DMATHREADR(nullptr), kWrongParameter);
    EXPECT_EQ(AVGTHREADR(nullptr), kWrongParameter);
    EXPECT_EQ(DMATHREADR(block), kWrongParameter);
    EXPECT_EQ(AVGTHREADR(block), kWrongParameter);
    // A block the library made, once its thread has taken it, is not live any more.
    Buffers(3);
    RunCamera();
    EXPECT_EQ(RUN_DMA(1, 1, 0), kOk);
    void* params = &lmv::recorder_board_of(0).params;
    EXPECT_EQ(DMATHREADR(params), kWrongParameter);
    EXPECT_EQ(AVGTHREADR(params), kWrongParameter);
    EXPECT_FALSE(Recording());
}

TEST_F(RecorderTest, ClearNeededDropsThePictureWithTheClearCommand) {
    Buffers(3);
    RunCamera();
    lmv::record_of(0)->clear_needed = 1;
    const auto lines = TraceOf([] { EXPECT_EQ(RUN_DMA(1, 1, 0), kOk); });
    EXPECT_EQ(lmv::record_of(0)->clear_needed, 0);
    const std::string clear = "0 ioctl 0x222004 in=" + testing_lmv::Le({4}) + " out=-";
    EXPECT_NE(std::find(lines.begin(), lines.end(), clear), lines.end());
    const counters c = Counters();
    EXPECT_EQ(c.dropped, 1u);
    EXPECT_EQ(c.frames, 1u);
    EXPECT_GE(PatternFrame(Buffer(1)), 0);
}

TEST_F(RecorderTest, FailedTransferEndsTheRecordingWithItsResult) {
    (void)lmv::driver::close_channel(0);
    Sim("SHORT_READ", "2");
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), kOk);
    Buffers(3);
    RunCamera();
    EXPECT_EQ(RUN_DMA(1, 3, 1), lmv::kTransferIncomplete);
    const counters c = Counters();
    EXPECT_EQ(c.errors, 1u);
    EXPECT_EQ(c.frames, 0u);
    EXPECT_FALSE(Recording());
}

TEST_F(RecorderTest, CountersNeedARecordAndPointers) {
    unsigned v = 0;
    EXPECT_EQ(GET_DMA_COUNTERS(nullptr, &v, &v, &v), kNoMemory);
    EXPECT_EQ(GET_DMA_COUNTERS(&v, &v, &v, nullptr), kNoMemory);
    lmv::library().currentBoard = 5;
    EXPECT_EQ(GET_DMA_COUNTERS(&v, &v, &v, &v), kNoMemory);
    EXPECT_EQ(STOP_DMA(), kOk);
    int status = 0;
    EXPECT_EQ(GET_DMA_STATUS(&status), kNoMemory);
    EXPECT_EQ(GET_DMA_STATUS(nullptr), kNoMemory);
    lmv::library().currentBoard = 0;
}

// Stops at random moments, many times: whatever was recorded lies in ring order.
TEST_F(RecorderTest, StopAtRandomMomentsLeavesRingOrder) {
    ::unsetenv("LMVSIM_TRACE");
    (void)lmv::driver::close_channel(0);
    Sim("FRAME_NUMBER", "1");
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), kOk);
    Buffers(3);
    RunCamera();
    std::mt19937 random(31);
    for (int run = 0; run < 200; ++run) {
        const unsigned after = random() % 8;
        StartRecording(1, 3, 1);
        ASSERT_TRUE(WaitFor([&] { return Counters().frames >= after || !Recording(); }));
        STOP_DMA();
        ASSERT_EQ(Finish(), kOk) << run;
        const counters c = Counters();
        ASSERT_EQ(c.errors, 0u);
        if (c.frames == 0) continue;
        const int last = int((c.frames - 1) % 3) + 1;
        const uint32_t newest = StampedFrame(Buffer(last));
        for (unsigned back = 1; back < std::min(c.frames, 3u); ++back) {
            const int picnr = (last - 1 - int(back) + 3) % 3 + 1;
            ASSERT_EQ(StampedFrame(Buffer(picnr)), newest - back) << run << " " << picnr;
        }
    }
}

}  // namespace
}  // namespace testing_recorder
