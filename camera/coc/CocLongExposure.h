#pragma once
// Tables of the long-exposure cameras (general builder), by submode. Each writes its whole
// sequence except the final end words and returns 0, -3 or -21.
#include "camera/coc/CocContext.h"

namespace lmv {

int coc_long_exposure(coc_context& ctx);           // submode 0
int coc_overlapped_exposure(coc_context& ctx);     // submode 1
int coc_timed_marks(coc_context& ctx);             // submode 2
int coc_overlapped_timed_marks(coc_context& ctx);  // submode 3
int coc_fixed_test_table(coc_context& ctx);        // submode 4
int coc_line_sequence(coc_context& ctx);           // submode 5
int coc_double_exposure(coc_context& ctx);         // submode 6

// Dispatch of the general builder by submode; -3 for submodes without a table.
int coc_build_long_exposure(coc_context& ctx);

// Mark times of a timed-marks table (µs on the table's time axis). Marks on the same
// microsecond are moved a line time apart.
void coc_set_marks(coc_context& ctx, float m1, float m2, bool move_second);

}  // namespace lmv
