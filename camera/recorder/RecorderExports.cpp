// The recorder's exports.
#include <cstdint>
#include <mutex>

#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/recorder/Arena.h"
#include "camera/recorder/BoardBuffers.h"
#include "camera/recorder/Recorder.h"
#include "camera/recorder/RecorderRun.h"
#include "camera/recorder/RecorderWalk.h"
#include "lmvntcam.h"

namespace lmv {
namespace {

constexpr unsigned kLogRecorderErrors = kLogErrors | kLogRecorder;
constexpr uint32_t kCallersWaitMs = 5000;

// Releases every board's buffers; the caller has made sure nothing records.
void release_all_buffers() {
    for (int b = 0; b < kBoardSlots; ++b)
        if (board_record* rec = record_of(b)) (void)buffers_release(b, *rec);
}

int free_recorder() {
    std::lock_guard<std::mutex> lock(recorder_mutex());
    log_message(kLogRecorder, "FREE_RECORDER() \r\n");
    if (!arena_present()) return arena_release(recorder_settings{});
    if (recorder_any_active()) {
        log_message(kLogRecorderErrors, "FREE_RECORDER() error dma is running\r\n");
        return kRecorderOwnsBoard;
    }
    release_all_buffers();
    return arena_release(recorder_read_settings());
}

}  // namespace

void recorder_release_board(int board) {
    recorder_join(board);
    std::lock_guard<std::mutex> lock(recorder_mutex());
    if (board_record* rec = record_of(board)) (void)buffers_release(board, *rec);
}

void recorder_unload() {
    for (int b = 0; b < kBoardSlots; ++b) recorder_join(b);
    (void)free_recorder();
    // A caller still inside RUN_DMA reads its result from the state below; if one does not come
    // out, the state is left behind rather than pulled from under it.
    if (!recorder_callers_gone(kCallersWaitMs)) return;
    std::lock_guard<std::mutex> lock(recorder_mutex());
    recorder_boards_forget();
    arena_forget();
}

bool recorder_owns_board(int board) {
    board_record* rec = record_of(board);
    return rec && (dma_active_of(*rec).load() || rec->recorder_busy);
}

}  // namespace lmv

using namespace lmv;

extern "C" {

LMV_API int ALLOC_RECORDER(int* count, int size) {
    if (!count) return kNoMemory;
    std::lock_guard<std::mutex> lock(recorder_mutex());
    // The old arena goes: nothing may still write into it, and no board keeps buffers in it.
    if (recorder_any_active()) return kRecorderOwnsBoard;
    release_all_buffers();
    return arena_allocate(*count, size, recorder_read_settings());
}

LMV_API int FREE_RECORDER(void) {
    return free_recorder();
}

LMV_API int SET_BUFFER_SIZE(int* count, int width, int height) {
    if (!count) return kNoMemory;
    const int board = library().currentBoard.load();
    std::lock_guard<std::mutex> lock(recorder_mutex());
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    return buffers_set_size(board, *rec, *count, width, height, recorder_read_settings());
}

LMV_API int GET_BUFFER_ADDR(int picnr, void** address, int* width, int* height) {
    std::lock_guard<std::mutex> lock(recorder_mutex());
    board_record* rec = current_record();
    if (!rec) return kNoMemory;
    return buffers_address(*rec, picnr, address, width, height);
}

LMV_API int GET_RECORDER_ADDR(void* /*first*/, void* /*second*/) {
    return kWrongParameter;
}

LMV_API int RUN_DMA(int pics, int pice, int mode) {
    return recorder_run(library().currentBoard.load(), pics, pice, mode, 0);
}

LMV_API int RUN_DMA_AVG(int pics, int pice, int mode, int avg) {
    if (avg < 1) return kWrongParameter;
    return recorder_run(library().currentBoard.load(), pics, pice, mode, avg);
}

LMV_API int STOP_DMA(void) {
    if (board_record* rec = current_record()) recorder_request_stop(*rec);
    return kOk;
}

LMV_API int GET_DMA_STATUS(int* status) {
    if (!status) return kNoMemory;
    std::lock_guard<std::mutex> lock(recorder_mutex());
    board_record* rec = current_record();
    if (!rec || !rec->buffers) {
        *status = 0;
        return kNoMemory;
    }
    *status = dma_count_of(*rec).load() + 1;
    return kOk;
}

LMV_API int GET_DMA_COUNTERS(unsigned int* frames, unsigned int* wraps, unsigned int* dropped,
                             unsigned int* errors) {
    if (!frames || !wraps || !dropped || !errors) return kNoMemory;
    const int board = library().currentBoard.load();
    if (!record_of(board)) return kNoMemory;
    const recorder_counters& c = recorder_board_of(board).counters;
    *frames = c.frames.load();
    *wraps = c.wraps.load();
    *dropped = c.dropped.load();
    *errors = c.errors.load();
    return kOk;
}

LMV_API int DMA_START_SINGLE(int picnr) {
    const int board = library().currentBoard.load();
    std::lock_guard<std::mutex> lock(recorder_mutex());
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    return single_start(board, *rec, picnr);
}

LMV_API int DMA_DONE(int* status) {
    const int board = library().currentBoard.load();
    std::lock_guard<std::mutex> lock(recorder_mutex());
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    return single_done(board, *rec, status);
}

LMV_API int DMATHREADR(void* params) {
    return recorder_walk_entry(params, recorder_walk::plain);
}

LMV_API int AVGTHREADR(void* params) {
    return recorder_walk_entry(params, recorder_walk::averaging);
}

}  // extern "C"
