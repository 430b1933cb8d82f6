#pragma once
// The recorder's own per-board state beside the board_record: the recording thread with its
// parameter block, the pending single transfer, the counters and whether the buffers are locked.
// It is made on first use and dropped at the library's unload.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "camera/api/board_record.h"

namespace lmv {

struct recorder_buffer {
    uint16_t* address;
    uint32_t reserved;
};

enum class recorder_walk : int { none = 0, plain = 1, averaging = 2 };

// What a recording thread is started with; live until the thread has taken it.
struct recorder_params {
    int board = 0;
    int start = 0;  // first and last buffer, 0-based
    int end = 0;
    int mode = 0;  // 0 stop after the end buffer, 1 ring
    int avg = 1;
};

struct recorder_counters {
    std::atomic<uint32_t> frames{0};
    std::atomic<uint32_t> wraps{0};
    std::atomic<uint32_t> dropped{0};  // pictures thrown away by clearing the board buffer
    std::atomic<uint32_t> errors{0};
    void reset() { frames = wraps = dropped = errors = 0; }
};

struct recorder_board {
    std::mutex join_mutex;  // whoever joins a thread holds it
    std::thread thread;
    recorder_params params;
    std::atomic<recorder_walk> live{recorder_walk::none};
    std::atomic<int> result{0};
    std::vector<uint32_t> sums;  // 32-bit sums of an average over more than 16 pictures
    recorder_counters counters;
    bool locked = false;  // buffers page-locked; under recorder_mutex()
    std::thread single;   // the read of a single transfer
    std::atomic<int> single_result{0};
};

// Board slots 0 to 19 (the caller checks the number).
recorder_board& recorder_board_of(int board);
// Drops the per-board state at the library's unload; every thread must be joined.
void recorder_boards_forget();

// The fields the recording thread and STOP_DMA share.
inline std::atomic_ref<int32_t> dma_active_of(board_record& rec) {
    return std::atomic_ref<int32_t>(rec.dma_active);
}
inline std::atomic_ref<int32_t> dma_stop_of(board_record& rec) {
    return std::atomic_ref<int32_t>(rec.dma_stop);
}
inline std::atomic_ref<int32_t> dma_count_of(board_record& rec) {
    return std::atomic_ref<int32_t>(rec.dma_count);
}

// The buffer table's entry `index` (0-based; buffer_count is the averaging work buffer).
inline uint16_t* buffer_at(const board_record& rec, int index) {
    return rec.buffers[index].address;
}

}  // namespace lmv
