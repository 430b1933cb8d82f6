#pragma once
// The camera's command words (written to register 0) and the few driver-level procedures every
// layer shares: the picture-waiting test, waiting while the camera is busy, emptying the board
// buffer.
#include <cstdint>

namespace lmv::camera {

inline constexpr uint32_t kStop = 0;
inline constexpr uint32_t kSinglePicture = 4;
inline constexpr uint32_t kRun = 5;  // continuous run of the standard command set
inline constexpr uint32_t kArmInternal = 10;
inline constexpr uint32_t kArmExternal = 11;
inline constexpr uint32_t kAoiStart = 12;  // + region start and the CCD's area-of-interest offset
inline constexpr uint32_t kAoiEnd = 13;

// A picture waits in the board buffer.
[[nodiscard]] bool picture_waiting(uint32_t status);

// Reads the status word: 0 and `waiting`, or the driver error (`waiting` false).
[[nodiscard]] int read_picture_waiting(int board, bool& waiting);

// Polls while the camera reports busy, up to `limit_ms`: 0 once it is idle, -2 when it still is
// busy at the limit, or a read error.
[[nodiscard]] int wait_not_busy(int board, uint32_t limit_ms);

// Sends the clear command while a picture waits in the board buffer: 0, -333 after more than
// 100 commands, or a driver error.
[[nodiscard]] int empty_board_buffer(int board);

// The two area-of-interest command words of a region from roixmin to roixmax.
struct aoi_words {
    uint32_t start;
    uint32_t end;
};
[[nodiscard]] aoi_words aoi_words_of(int32_t roixmin, int32_t roixmax, int32_t aoi_offset);

}  // namespace lmv::camera
