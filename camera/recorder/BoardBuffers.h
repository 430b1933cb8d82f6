#pragma once
// A board's image buffers carved from the recorder's arena. The caller holds recorder_mutex().
#include "camera/api/board_record.h"
#include "camera/recorder/RecorderSettings.h"

namespace lmv {

// SET_BUFFER_SIZE: count (in/out) buffers of width x height 16-bit pixels plus the work buffer of
// the averaging thread. 0, -3, -23, -28.
[[nodiscard]] int buffers_set_size(int board, board_record& rec, int& count, int width, int height,
                                   const recorder_settings& settings);
// Releases the board's buffers: 0 also without buffers, -28 while a transfer runs.
int buffers_release(int board, board_record& rec);
// GET_BUFFER_ADDR: 0, -3, -23.
[[nodiscard]] int buffers_address(const board_record& rec, int picnr, void** address, int* width,
                                  int* height);

}  // namespace lmv
