#pragma once
// The board's own plain versions of the camera procedures that set-up needs, in place until the
// operation-code and acquisition layers register theirs: only what set-up asks of them.
#include "camera/api/board_record.h"

namespace lmv::plain {

// The table up to and including its end word (bits 8-11 all set) to the current board.
int LoadUserCoc(unsigned short* table);
// Run mode 0 (continuous, command set by camera_flags bit 0) and the direct run commands 4-6.
int StartCamera(int board, board_record& rec, int run_mode);
// Stop with the stop modes 0 to 5: stop command, wait for the camera, settle, arm again.
int StopCamera(int board, board_record& rec, int stop_mode);
// Clear commands while a picture waits; -333 after more than 100.
int EmptyBoardBuffer(int board);
// Read mode 0 only: the picture as it is, with one retry after image_ms + 5 ms (100 if none).
int ReadImage12Bit(int mode, int width, int height, unsigned short* buffer);

}  // namespace lmv::plain
