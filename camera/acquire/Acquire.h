#pragma once
// The acquisition procedures that other parts of the library reuse (COC reload, picture taking of
// the automatic functions, the recorder). None of them takes the board's sync_event: callers that
// need the camera to themselves hold it.
#include <cstdint>

#include "camera/api/DriverRequests.h"
#include "camera/api/board_record.h"

namespace lmv {

inline constexpr int32_t kCameraStopped = 255;

// Start procedure: run mode (low nibble) into the record, the run command sequence to register
// 0. 0, -3 for run modes without a command, -20 when the camera is busy, -23 without record, or
// a driver error.
int acquire_start(int board, board_record& rec, int mode);
// The same on the board's own record, for callers that hold no record (picture taking).
int acquire_start_board(int board, int mode);

// Stop procedure: stop modes 0, 1, 4, 5 write the stop command, 2 and 3 the single-picture
// command, above 5 nothing; then the camera is waited for (up to 600 ms, -2 when it stays busy),
// the CCD settles (except modes 4 and 5) and the arm command is written. 0 when already stopped.
int acquire_stop(int board, board_record& rec, int stop_mode);

// Moves the picture in the board buffer by read: 100 when none waits; -9, -2, -12, -27 as the
// driver channel gives them. The 12-bit transfer logs its failures; the others are silent.
int acquire_transfer_12bit(int board, int width, int height, uint16_t* buffer);
int acquire_transfer_8bit(int board, int width, int height, uint8_t* buffer);
// The averaging transfers of the recorder: 16-bit pixels (mode 2) and 32-bit sums (mode 3).
int acquire_transfer_average16(int board, int width, int height, uint16_t* buffer);
int acquire_transfer_sums32(int board, int width, int height, uint32_t* buffer);
// Direct read of `pixels` 16-bit pixels with the image request, then the board buffer cleared.
int acquire_direct_read(int board, uint32_t pixels, uint16_t* buffer);

// READ_IMAGE_12BIT mode 0 on `board` for a caller that already holds its sync_event: the
// picture check with its retry, the transfer, the stop after a single-shot start.
int acquire_read_12bit_held(int board, int width, int height, uint16_t* buffer);

// Last camera status cached by GET_STATUS (library-wide).
int acquire_last_camera_status();

}  // namespace lmv
