#pragma once
// Board set-up and release behind SET_INIT.
namespace lmv {

// Releases a board as SET_INIT(0) does: the camera dialog module, LUT dialogs and recorder, the
// camera, the log of the board's settings, the device and the record. Always 0.
int release_board(int board);

}  // namespace lmv
