#pragma once
// Tables of the long-exposure cameras (general builder), by submode. Each writes its whole
// sequence except the final end words and returns 0, -3 or -21.
#include "camera/coc/CocContext.h"
#include "camera/coc/CocCountdown.h"

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

// Pieces of the timed-marks tables shared with the CCD 21-22 builder. boundary_marks: after a
// boundary word 209 the marks are written as 2497 and 2241.
// Exposure of an overlapped table left before the readout, normal or powered down, with its time.
void coc_write_overlap_exposure(coc_context& ctx, const coc_overlap& start, bool tail_blocks);
// Marks from delay, exposure and the two mark offsets; the axis starts with the first 209.
void coc_start_timed_marks(coc_context& ctx, bool boundary_marks);
// Waiting words up to each mark, then 2498 and 2242.
int coc_end_timed_marks(coc_context& ctx);
// Marks of an overlapped exposure; the axis starts at the readout time when the exposure began
// before the readout, else at the start of the exposure.
void coc_start_overlap_marks(coc_context& ctx, const coc_overlap& start, bool boundary_marks);
// 207 closing the exposure part, on the axis when the exposure began before the readout.
void coc_overlap_marks_exposure_end(coc_context& ctx, const coc_overlap& start);
// 2498 and 2242 for marks within three line times of the end.
int coc_end_overlap_marks(coc_context& ctx);

// Mark times of a timed-marks table (µs on the table's time axis). Marks on the same
// microsecond are moved a line time apart.
void coc_set_marks(coc_context& ctx, float m1, float m2, bool move_second);

}  // namespace lmv
