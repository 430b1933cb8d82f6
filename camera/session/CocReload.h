#pragma once
// The COC reload-and-run that every change of COC settings uses (SET_COC, SET_BOARD,
// SET_POWERDOWN): the table of a record is loaded and a running camera goes on with it.
#include "camera/api/board_record.h"

namespace lmv {

// Reloads from `rec` (the board's record or a copy that replaces it on success). 0, a build
// error (-3, -8, -21), -28 while a recorder transfer owns the board, -2 when the board stays
// busy with another operation, or a driver error.
int session_reload(int board, board_record& rec);

// Reloads the board's own record; -23 when it has none.
int session_reload_board(int board);

// Runs `rec` with its run mode once (the caller sets it) and, within 100 ms, clears the picture
// it leaves in the board buffer.
void session_run_once(int board, board_record& rec);

}  // namespace lmv
