// DMA_START_SINGLE and DMA_DONE: one picture into a recorder buffer in the background.
#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "recorder_fixture.h"

namespace testing_recorder {
namespace {

using lmv::kNoPicture;
using lmv::kOk;
using lmv::kRecorderOwnsBoard;
using lmv::kTransferIncomplete;
using lmv::kWrongParameter;

class SingleTest : public RecorderTest {
  protected:
    void TakePicture() {
        ASSERT_EQ(RUN_COC(4), kOk);
        ASSERT_TRUE(WaitFor([] {
            uint32_t status = 0;
            return lmv::driver::read_status(0, &status) == kOk &&
                   (status & lmv::ioctl::kStatusPicture);
        }));
    }
    // Polls DMA_DONE until it reports the picture in (status 0) or a failure.
    int PollDone() {
        int rc = kOk, status = -1;
        EXPECT_TRUE(WaitFor([&] {
            rc = DMA_DONE(&status);
            return rc != kOk || status == 0;
        }));
        return rc;
    }
};

TEST_F(SingleTest, NoPictureGivesOneHundredAndLeavesTheBoardFree) {
    Buffers(3);
    EXPECT_EQ(DMA_START_SINGLE(1), kNoPicture);
    EXPECT_EQ(lmv::record_of(0)->recorder_busy, 0);
    EXPECT_FALSE(Recording());
    int status = 0;
    EXPECT_EQ(DMA_DONE(&status), kWrongParameter) << "nothing pending";
}

TEST_F(SingleTest, PictureArrivesInTheBufferAndDonePollsToZero) {
    Buffers(3);
    TakePicture();
    EXPECT_EQ(DMA_START_SINGLE(2), kOk);
    EXPECT_EQ(PollDone(), kOk);
    EXPECT_GE(PatternFrame(Buffer(2)), 0);
    EXPECT_EQ(lmv::record_of(0)->recorder_busy, 0);
    EXPECT_FALSE(Recording());
    EXPECT_FALSE(lmv::driver::dma_in_progress(0));
    int status = 0;
    EXPECT_EQ(DMA_DONE(&status), kWrongParameter);
    // The next one goes into another buffer.
    TakePicture();
    EXPECT_EQ(DMA_START_SINGLE(3), kOk);
    EXPECT_EQ(PollDone(), kOk);
    EXPECT_EQ(PatternFrame(Buffer(3)), (PatternFrame(Buffer(2)) + 1) % 4096);
}

TEST_F(SingleTest, BufferNumbersOutsideTheBuffersAreRefused) {
    Buffers(3);
    TakePicture();
    for (const int picnr : {0, -1, 4, 1 << 30}) EXPECT_EQ(DMA_START_SINGLE(picnr), kWrongParameter);
    EXPECT_EQ(DMA_DONE(nullptr), lmv::kNoMemory);
}

TEST_F(SingleTest, ShortReadFailsWithMinusTwelveAndTheBoardIsFreeAgain) {
    (void)lmv::driver::close_channel(0);
    Sim("SHORT_READ", "2");
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), kOk);
    Buffers(3);
    TakePicture();
    ASSERT_EQ(DMA_START_SINGLE(1), kOk);
    EXPECT_EQ(PollDone(), kTransferIncomplete);
    EXPECT_EQ(lmv::record_of(0)->recorder_busy, 0);
    EXPECT_FALSE(Recording());
    EXPECT_FALSE(lmv::driver::dma_in_progress(0));
    // Not owned for good: the next transfer starts, and reads work again.
    TakePicture();
    ASSERT_EQ(DMA_START_SINGLE(1), kOk);
    EXPECT_EQ(PollDone(), kTransferIncomplete);
    (void)lmv::driver::close_channel(0);
    ::unsetenv("LMVSIM_SHORT_READ");
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), kOk);
    TakePicture();
    ASSERT_EQ(DMA_START_SINGLE(1), kOk);
    EXPECT_EQ(PollDone(), kOk);
    EXPECT_GE(PatternFrame(Buffer(1)), 0);
}

TEST_F(SingleTest, PendingTransferOwnsTheBoard) {
    (void)lmv::driver::close_channel(0);
    Sim("HANG", "read");
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), kOk);
    Buffers(3);
    TakePicture();
    ASSERT_EQ(DMA_START_SINGLE(3), kOk);
    int status = 0;
    EXPECT_EQ(DMA_DONE(&status), kOk);
    EXPECT_EQ(status, 3) << "still reading buffer 3";
    EXPECT_EQ(DMA_START_SINGLE(1), kRecorderOwnsBoard);
    EXPECT_EQ(RUN_DMA(1, 3, 0), kRecorderOwnsBoard);
    EXPECT_EQ(RUN_COC(0), kRecorderOwnsBoard);
    EXPECT_EQ(FREE_RECORDER(), kRecorderOwnsBoard);
    // The driver's time limit ends the read.
    EXPECT_EQ(PollDone(), kTransferIncomplete);
    EXPECT_EQ(FREE_RECORDER(), kOk);
}

}  // namespace
}  // namespace testing_recorder
