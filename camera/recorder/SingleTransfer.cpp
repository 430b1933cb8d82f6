// DMA_START_SINGLE and DMA_DONE: one picture into a recorder buffer, read by a worker while the
// application polls.
#include <string>
#include <system_error>

#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/recorder/RecorderRun.h"
#include "winport/Event.h"

namespace lmv {
namespace {

// 0 when a picture waits, 100 when none does, or the read's failure.
int picture_waits(int board) {
    uint32_t status = 0;
    if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
    return camera::picture_waiting(status) ? kOk : kNoPicture;
}

int picture_after_clear(int board, board_record& rec) {
    int rc = picture_waits(board);
    if (rc != kOk || !rec.clear_needed) return rc;
    rc = driver::board_command(board, ioctl::kCmdClearBuffer);
    rec.clear_needed = 0;
    return rc == kOk ? picture_waits(board) : rc;
}

void join_single(recorder_board& rb) {
    std::lock_guard<std::mutex> lock(rb.join_mutex);
    if (rb.single.joinable()) rb.single.join();
}

// The board's part: announce the transfer and queue the read into `buffer`.
int start_transfer(int board, void* buffer, uint32_t bytes) {
    if (!driver::is_open(board)) return kDriverNotOpen;
    if (bytes == 0) return kWrongParameter;
    if (driver::dma_in_progress(board)) return kRecorderOwnsBoard;
    winport::Event* done = driver::dma_event(board);
    if (!done) return kDriverNotOpen;
    driver::set_dma_in_progress(board, true);
    done->Reset();
    int rc = picture_waits(board);
    if (rc == kOk) rc = driver::set_read_pic(board, ioctl::TransferMode::Pixels16);
    recorder_board& rb = recorder_board_of(board);
    if (rc == kOk) {
        join_single(rb);
        try {
            rb.single = std::thread([board, buffer, bytes, done, &rb] {
                rb.single_result = driver::read_announced(board, buffer, bytes);
                done->Set();
            });
        } catch (const std::system_error&) {
            rc = kNoResource;
        }
    }
    if (rc != kOk) driver::set_dma_in_progress(board, false);
    return rc;
}

void give_board_back(int board, board_record& rec) {
    if (winport::Event* done = driver::dma_event(board)) done->Reset();
    driver::set_dma_in_progress(board, false);
    dma_active_of(rec).store(0);
    rec.recorder_busy = 0;
}

}  // namespace

int single_start(int board, board_record& rec, int picnr) {
    if (picnr < 1 || picnr > rec.buffer_count) return kWrongParameter;
    if (dma_active_of(rec).load()) return kRecorderOwnsBoard;
    rec.pics_per_start = 1;
    if (int rc = picture_after_clear(board, rec); rc != kOk) return rc;
    dma_count_of(rec).store(picnr - 1);
    dma_active_of(rec).store(1);
    rec.recorder_busy = 1;
    const int rc = start_transfer(board, buffer_at(rec, picnr - 1), uint32_t(rec.buffer_size));
    if (rc != kOk) {
        dma_active_of(rec).store(0);
        rec.recorder_busy = 0;
    }
    return rc;
}

int single_done(int board, board_record& rec, int* status) {
    if (!status) return kNoMemory;
    if (!rec.recorder_busy) return kWrongParameter;
    winport::Event* done = driver::dma_event(board);
    if (done && !done->IsSet()) {
        *status = dma_count_of(rec).load() + 1;
        return kOk;
    }
    join_single(recorder_board_of(board));
    const int rc = done ? recorder_board_of(board).single_result.load() : kDriverNotOpen;
    give_board_back(board, rec);
    if (rc != kOk) {
        if (library().showMessages.load()) show_warning("readfile failed " + std::to_string(rc));
        return kTransferIncomplete;
    }
    *status = 0;
    if (!rec.firstread) return kOk;
    rec.firstread = 0;
    int stopped = acquire_stop(board, rec, 0);
    if (stopped == kOk) stopped = camera::empty_board_buffer(board);
    return stopped;
}

void single_join(int board) {
    recorder_board& rb = recorder_board_of(board);
    join_single(rb);
    board_record* rec = record_of(board);
    if (rec && rec->recorder_busy) give_board_back(board, *rec);
}

}  // namespace lmv
