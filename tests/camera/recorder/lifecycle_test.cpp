// The recorder when its board is released or the library unloads in the middle of a recording.
#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/recorder/Recorder.h"
#include "recorder_fixture.h"

namespace testing_recorder {
namespace {

using lmv::kNoMemory;
using lmv::kOk;

TEST_F(RecorderTest, ReleasingTheBoardEndsTheRecordingFirst) {
    Buffers(3);
    RunCamera();
    StartRecording(1, 3, 1);
    ASSERT_TRUE(WaitFor([] { return Counters().frames >= 2; }));
    EXPECT_EQ(SET_INIT(0), kOk);
    EXPECT_EQ(Finish(), kOk);
    EXPECT_EQ(lmv::record_of(0), nullptr);
    // The board's share of the arena is free again for the next board.
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), kOk);
    void* address = nullptr;
    int w = 0, h = 0;
    EXPECT_EQ(GET_BUFFER_ADDR(1, &address, &w, &h), kNoMemory);
    int count = 3;
    EXPECT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kOk);
    EXPECT_EQ(count, 3);
}

TEST_F(RecorderTest, ReleasingTheBoardWaitsForAPendingSingleTransfer) {
    (void)lmv::driver::close_channel(0);
    Sim("HANG", "read");
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), kOk);
    Buffers(3);
    ASSERT_EQ(RUN_COC(4), kOk);
    ASSERT_TRUE(WaitFor([] { return DMA_START_SINGLE(1) != lmv::kNoPicture; }));
    EXPECT_EQ(lmv::record_of(0)->recorder_busy, 1);
    EXPECT_EQ(SET_INIT(0), kOk);
    EXPECT_EQ(lmv::record_of(0), nullptr);
    EXPECT_FALSE(lmv::driver::dma_in_progress(0));
}

TEST_F(RecorderTest, UnloadEndsRecordingsAndFreesTheArena) {
    OpenLog(4);
    Buffers(3);
    RunCamera();
    StartRecording(1, 3, 1);
    ASSERT_TRUE(WaitFor([] { return Counters().frames >= 2; }));
    lmv::recorder_unload();
    EXPECT_EQ(Finish(), kOk);
    EXPECT_FALSE(Recording());
    void* address = nullptr;
    int w = 0, h = 0;
    EXPECT_EQ(GET_BUFFER_ADDR(1, &address, &w, &h), kNoMemory);
    EXPECT_NE(LogText().find("FREE_RECORDER() VirtualFree() release done err=0\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace testing_recorder
