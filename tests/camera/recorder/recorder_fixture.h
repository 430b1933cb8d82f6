#pragma once
// A ready board on the simulated board delivering every picture at once, the recorder's memory
// capped small, and the helpers that tell which picture a buffer holds.
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "camera/fixture/camera_fixture.h"
#include "lmvntcam.h"

namespace testing_recorder {

inline constexpr int kWidth = 32;
inline constexpr int kHeight = 16;
inline constexpr int kPixels = kWidth * kHeight;
inline constexpr size_t kMemoryCap = 48u << 20;

// Pixel i of the board's test pattern in picture (frame) f.
inline uint16_t PatternPixel(uint32_t i, uint32_t f) {
    return static_cast<uint16_t>((i * 7u + f * 13u) & 0xFFF);
}
// The frame (mod 4096) whose pattern the buffer holds, or -1 when it holds none.
int PatternFrame(const uint16_t* buffer, int pixels = kPixels);
// The frame number the board stamped into the first two pixels.
inline uint32_t StampedFrame(const uint16_t* buffer) {
    return uint32_t(buffer[0]) | uint32_t(buffer[1]) << 16;
}

// Waits up to `ms` for the condition, checking often.
bool WaitFor(const std::function<bool()>& condition, int ms = 10000);

struct counters {
    unsigned frames = 0, wraps = 0, dropped = 0, errors = 0;
};
counters Counters();

class RecorderTest : public testing_lmv::ReadyBoardTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The arena for `images` pictures of kWidth x kHeight, then `count` buffers on board 0.
    void Buffers(int count, int images = 64);
    uint16_t* Buffer(int picnr) const;
    // Starts the camera running continuously.
    void RunCamera();
    // RUN_DMA (avg 0) or RUN_DMA_AVG in a thread of its own; Finish joins it and gives its result.
    void StartRecording(int pics, int pice, int mode, int avg = 0);
    int Finish();
    bool Recording() const;

    std::thread recorder_;
    std::atomic<int> result_{-999};
};

}  // namespace testing_recorder
