#include "camera/recorder/RecorderRun.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <system_error>

#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/recorder/Arena.h"
#include "camera/recorder/RecorderWalk.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace lmv {
namespace {

constexpr int kMostAveraged = 4096;
constexpr int kSumsAbove = 16;
constexpr int kRunModeSingle = 4;
constexpr unsigned kLogRecorderErrors = kLogErrors | kLogRecorder;

void join_thread(recorder_board& rb) {
    std::lock_guard<std::mutex> lock(rb.join_mutex);
    if (rb.thread.joinable()) rb.thread.join();
}

int check_run(const board_record& rec, int pics, int pice, int mode) {
    if (pics < 1 || pice < 1) {
        log_message(kLogRecorderErrors, "RUN_DMA error pics or pice <1\r\n");
        return kWrongParameter;
    }
    if (pics > rec.buffer_count || pice > rec.buffer_count) {
        log_message(kLogRecorderErrors, "RUN_DMA error pics or pice, maximal number is %d\r\n",
                    rec.buffer_count);
        return kWrongParameter;
    }
    if (mode != 0 && mode != 1) return kWrongParameter;
    return kOk;
}

// The sum buffer of a long average; -23 when it cannot be had.
int prepare_sums(recorder_board& rb, board_record& rec, int avg) {
    rb.sums.clear();
    if (avg <= kSumsAbove) return kOk;
    try {
        rb.sums.assign(size_t(rec.buffer_size) / 2, 0u);
    } catch (const std::bad_alloc&) {
        rec.pics_per_start = 1;
        return kNoMemory;
    }
    return kOk;
}

// Under recorder_mutex(): everything up to the running thread.
int start_run(int board, board_record& rec, int pics, int pice, int mode, int avg) {
    if (int rc = check_run(rec, pics, pice, mode); rc != kOk) return rc;
    if (avg != 0 && (avg < 1 || avg > kMostAveraged)) return kWrongParameter;
    if (dma_active_of(rec).load() || driver::dma_in_progress(board)) {
        log_message(kLogRecorderErrors, "RUN_DMA dma is already running\r\n");
        return kRecorderOwnsBoard;
    }
    recorder_board& rb = recorder_board_of(board);
    // The previous thread has cleared dma_active and is about to return.
    std::lock_guard<std::mutex> joining(rb.join_mutex);
    if (rb.thread.joinable()) rb.thread.join();
    const recorder_walk kind = avg == 0 ? recorder_walk::plain : recorder_walk::averaging;
    if (int rc = prepare_sums(rb, rec, avg); rc != kOk) return rc;
    rb.params = recorder_params{board, pics - 1, std::max(pics, pice) - 1, mode, std::max(avg, 1)};
    rb.counters.reset();
    rb.result = kOk;
    rb.live = kind;
    if (kind == recorder_walk::averaging) {
        rec.pics_per_start = avg;
        if (rec.run_mode == kRunModeSingle) (void)acquire_start(board, rec, kRunModeSingle);
    }
    // Cleared before the thread exists, so that a stop asked for at once is not lost.
    dma_stop_of(rec).store(0);
    dma_active_of(rec).store(1);
    try {
        rb.thread = std::thread([&rb, kind] { rb.result = recorder_walk_entry(&rb.params, kind); });
    } catch (const std::system_error&) {
        rb.live = recorder_walk::none;
        dma_active_of(rec).store(0);
        log_message(kLogRecorderErrors, "RUN_DMA() error creating thread\r\n");
        return kWrongParameter;
    }
    rec.dma_thread = &rb;
    return kOk;
}

}  // namespace

namespace {
// Callers of RUN_DMA and RUN_DMA_AVG that have not returned yet: the unload waits for them
// before it drops the state they read their result from.
std::atomic<int> callers_inside{0};
}  // namespace

callers_inside_mark::callers_inside_mark() {
    ++callers_inside;
}

callers_inside_mark::~callers_inside_mark() {
    --callers_inside;
}

bool recorder_callers_gone(uint32_t ms) {
    const uint32_t start = winport::TickCount();
    while (callers_inside.load() != 0) {
        if (winport::TicksSince(start) > ms) return false;
        winport::SleepMs(1);
    }
    return true;
}

namespace {
// Made on first use, dropped at the library's unload once every thread is joined.
std::atomic<recorder_board*> the_boards{nullptr};
std::mutex making_boards;
}  // namespace

recorder_board& recorder_board_of(int board) {
    if (recorder_board* b = the_boards.load(std::memory_order_acquire)) return b[board];
    std::lock_guard<std::mutex> lock(making_boards);
    if (!the_boards.load())
        the_boards.store(new recorder_board[kBoardSlots], std::memory_order_release);
    return the_boards.load()[board];
}

void recorder_boards_forget() {
    delete[] the_boards.exchange(nullptr);
}

int recorder_run(int board, int pics, int pice, int mode, int avg) {
    const callers_inside_mark inside;
    {
        std::lock_guard<std::mutex> lock(recorder_mutex());
        board_record* rec = record_of(board);
        if (!rec) return kNoMemory;
        if (int rc = start_run(board, *rec, pics, pice, mode, avg); rc != kOk) return rc;
    }
    // No message queue to serve here: the caller waits, STOP_DMA comes from another thread.
    recorder_board& rb = recorder_board_of(board);
    join_thread(rb);
    return rb.result.load();
}

void recorder_request_stop(board_record& rec) {
    dma_stop_of(rec).store(1);
    // Without a thread nobody writes the count any more.
    if (!dma_active_of(rec).load()) dma_count_of(rec).store(0);
}

void recorder_join(int board) {
    if (board_record* rec = record_of(board); rec && dma_active_of(*rec).load())
        dma_stop_of(*rec).store(1);
    join_thread(recorder_board_of(board));
    single_join(board);
}

bool recorder_any_active() {
    for (int b = 0; b < kBoardSlots; ++b)
        if (board_record* rec = record_of(b);
            rec && (dma_active_of(*rec).load() || rec->recorder_busy))
            return true;
    return false;
}

}  // namespace lmv
