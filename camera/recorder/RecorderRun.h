#pragma once
// Starting, stopping and joining a board's recording thread, and the single transfer.
#include <cstdint>

#include "camera/api/board_record.h"
#include "camera/recorder/RecorderState.h"

namespace lmv {

// RUN_DMA (avg 0) and RUN_DMA_AVG: checks, starts the thread and waits until it ends. The thread's
// result, or -3, -23, -28.
int recorder_run(int board, int pics, int pice, int mode, int avg);
// Asks the board's thread to stop; it ends within one wait slice or the transfer in hand.
void recorder_request_stop(board_record& rec);
// Stops and joins the board's thread and a pending single transfer. Afterwards nothing of the
// recorder runs on the board.
void recorder_join(int board);
// Marks a caller inside RUN_DMA or RUN_DMA_AVG for its scope.
class callers_inside_mark {
  public:
    callers_inside_mark();
    ~callers_inside_mark();
    callers_inside_mark(const callers_inside_mark&) = delete;
    callers_inside_mark& operator=(const callers_inside_mark&) = delete;
};
// Waits up to `ms` until no caller is inside; false when one still is.
bool recorder_callers_gone(uint32_t ms);

// True while any board records or transfers.
bool recorder_any_active();

// DMA_START_SINGLE and DMA_DONE.
int single_start(int board, board_record& rec, int picnr);
int single_done(int board, board_record& rec, int* status);
// Waits for a pending single transfer's read and gives the board back.
void single_join(int board);

}  // namespace lmv
