#pragma once
// The COC reload that every change of COC settings uses (SET_COC, SET_BOARD, SET_POWERDOWN):
// build the table of a record, stop the camera, empty the board buffer, load the table, write
// the area of interest and the arm command, and start the camera again in its run mode.
#include <cstdint>
#include <vector>

#include "camera/api/board_record.h"

namespace lmv {

// Reloads from `rec` (the board's record or a copy that replaces it on success). 0, a build
// error (-3, -8, -21), -28 while a recorder transfer owns the board, -2 when the board stays
// busy with another operation, or a driver error.
int coc_reload(int board, board_record& rec);

// The register command that arms the camera: 11 when it waits for an external trigger, else 10.
uint32_t coc_arm_command(int32_t trigger);

// Builds the table of `rec` with the builder every load shares (it keeps the constants of its
// last build for CCD types without their own): 0 or the build error (-3, -8, -21).
int coc_build_table(board_record& rec, std::vector<uint16_t>& table);

// Loads the COC of `rec` while the caller holds the board (its sync_event): stops the camera,
// waits up to 400 ms for it to stop, empties the board buffer, loads the table (on an opened
// board) and notes its picture time in `rec`, writes the area-of-interest words and, with `arm`,
// the arm command. `built` is the table built beforehand, or null to build it once the board
// buffer is empty. Stops at the first failure; the camera is not started.
int coc_load_held(int board, board_record& rec, const std::vector<uint16_t>* built, bool arm);

// Reloads the board's own record; -23 when it has none.
int coc_reload_board(int board);

// Runs `rec` with its run mode once (the caller sets it) and, within 100 ms, clears the picture
// it leaves in the board buffer.
void coc_run_once(int board, board_record& rec);

// Sends the clear command while a picture waits in the board buffer: 0, -333 after more than
// 100 commands, or a driver error.
int coc_empty_board_buffer(int board);

// The camera start of the acquisition layer (the start procedure of RUN_COC), applied to the
// record being loaded. Until one is registered a reload leaves the camera stopped.
using coc_start_procedure = int (*)(int board, board_record& rec, int run_mode);
void coc_set_start_procedure(coc_start_procedure start);

}  // namespace lmv
