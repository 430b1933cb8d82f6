#pragma once
// SET_COC's commit: the checked parameters go into a copy of the board record, which replaces
// the record once its table is loaded.
#include "camera/api/board_record.h"
#include "camera/coc/CocParams.h"
#include "camera/coc/TestCoc.h"

namespace lmv {

// Stores checked parameters into `copy`: option bits, black lines, submode, trigger, time
// values, region and binning. 0, -3 (a refused setting), -8 (CCD type without the submode) or
// -21 (a line sequence larger than the board memory).
int coc_commit_parameters(board_record& copy, const coc_check& checked);

}  // namespace lmv
