#pragma once
// Loading the COC of a record: build the table, stop the camera, empty the board buffer, load the
// table, write the area of interest and the arm command. Starting the camera again is the
// caller's (the session's reload-and-run).
#include <cstdint>
#include <vector>

#include "camera/api/board_record.h"

namespace lmv {

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

}  // namespace lmv
