#include "recorder_fixture.h"

#include <cstdlib>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "winport/Clock.h"

namespace testing_recorder {

int PatternFrame(const uint16_t* buffer, int pixels) {
    for (uint32_t f = 0; f < 4096; ++f) {
        if (PatternPixel(0, f) != buffer[0]) continue;
        for (int i = 0; i < pixels; ++i)
            if (buffer[i] != PatternPixel(uint32_t(i), f)) return -1;
        return int(f);
    }
    return -1;
}

bool WaitFor(const std::function<bool()>& condition, int ms) {
    const uint32_t start = winport::TickCount();
    while (!condition()) {
        if (winport::TicksSince(start) > uint32_t(ms)) return false;
        winport::SleepMs(1);
    }
    return true;
}

counters Counters() {
    counters c;
    EXPECT_EQ(GET_DMA_COUNTERS(&c.frames, &c.wraps, &c.dropped, &c.errors), lmv::kOk);
    return c;
}

void RecorderTest::SetUp() {
    ::setenv("WINPORT_AVAILABLE_MEMORY", std::to_string(kMemoryCap).c_str(), 1);
    Sim("IMAGE_MS", "0");
    ReadyBoardTest::SetUp();
}

void RecorderTest::TearDown() {
    if (recorder_.joinable()) {
        STOP_DMA();
        recorder_.join();
    }
    EXPECT_EQ(FREE_RECORDER(), lmv::kOk);
    ::unsetenv("WINPORT_AVAILABLE_MEMORY");
    ReadyBoardTest::TearDown();
}

void RecorderTest::Buffers(int count, int images) {
    int n = images;
    ASSERT_EQ(ALLOC_RECORDER(&n, kPixels), lmv::kOk);
    ASSERT_GE(n, images);
    int c = count;
    ASSERT_EQ(SET_BUFFER_SIZE(&c, kWidth, kHeight), lmv::kOk);
    ASSERT_EQ(c, count);
}

uint16_t* RecorderTest::Buffer(int picnr) const {
    void* address = nullptr;
    int w = 0, h = 0;
    EXPECT_EQ(GET_BUFFER_ADDR(picnr, &address, &w, &h), lmv::kOk);
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
    return static_cast<uint16_t*>(address);
}

void RecorderTest::RunCamera() {
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
}

void RecorderTest::StartRecording(int pics, int pice, int mode, int avg) {
    result_ = -999;
    recorder_ = std::thread([=, this] {
        result_ = avg == 0 ? RUN_DMA(pics, pice, mode) : RUN_DMA_AVG(pics, pice, mode, avg);
    });
    ASSERT_TRUE(WaitFor([this] { return Recording() || result_ != -999; }));
}

int RecorderTest::Finish() {
    if (recorder_.joinable()) recorder_.join();
    return result_;
}

bool RecorderTest::Recording() const {
    lmv::board_record* rec = lmv::record_of(0);
    return rec && std::atomic_ref<int32_t>(rec->dma_active).load() != 0;
}

}  // namespace testing_recorder
