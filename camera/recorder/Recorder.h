#pragma once
// What the session asks of the recorder when a board is released or the library unloads.
namespace lmv {

// Stops and joins the board's recording thread and single transfer, then releases its buffers.
void recorder_release_board(int board);
// The same for every board, then the arena (FREE_RECORDER at unload).
void recorder_unload();
// True while a recording thread or single transfer owns the board.
bool recorder_owns_board(int board);

}  // namespace lmv
