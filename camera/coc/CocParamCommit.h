#pragma once
// SET_COC: the checked parameters are committed into a copy of the board record, the table is
// built and loaded from that copy, and only then the copy replaces the record.
#include "camera/api/board_record.h"
#include "camera/coc/CocParams.h"
#include "camera/coc/TestCoc.h"

namespace lmv {

// Stores checked parameters into `copy`: option bits, black lines, submode, trigger, time
// values, region and binning. 0, -3 (a refused setting), -8 (CCD type without the submode) or
// -21 (a line sequence larger than the board memory).
int coc_commit_parameters(board_record& copy, const coc_check& checked);

// The whole of SET_COC for a board: check (-3 when anything would change), commit, the
// preparatory runs, the reload. -1 when the board has no record.
int coc_set(int board, const coc_parameters& request);

}  // namespace lmv
