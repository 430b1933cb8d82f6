#include "camera/recorder/BoardBuffers.h"

#include <cstring>
#include <new>

#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/ImageSize.h"
#include "camera/recorder/Arena.h"
#include "camera/recorder/RecorderState.h"
#include "winport/Memory.h"

namespace lmv {
namespace {

using ll = long long;

constexpr int kMostBuffers = 100000;
constexpr unsigned kLogRecorderErrors = kLogErrors | kLogRecorder;

void clear_fields(board_record& rec) {
    rec.buffers = nullptr;
    rec.buffer_size = 0;
    rec.buffer_width = 0;
    rec.buffer_height = 0;
    rec.buffer_count = 0;
}

// Carves up to `wanted` buffers of `bytes` each from `start` into the table, zeroed and, when
// asked, page-locked; stops at the first lock failure. The number carved.
int carve(recorder_buffer* table, int wanted, uint8_t* start, size_t bytes, bool lock) {
    for (int i = 0; i < wanted; ++i) {
        uint8_t* p = start + size_t(i) * bytes;
        std::memset(p, 0, bytes);
        if (lock) {
            if (const int err = winport::LockRange(p, bytes); err != 0) {
                log_message(kLogRecorder,
                            "SET_BUFFER_SIZE() VirtualLock() failed err=%d break loop at %d\r\n",
                            err, i);
                return i;
            }
        }
        table[i].address = reinterpret_cast<uint16_t*>(p);
    }
    return wanted;
}

void unlock_all(const board_record& rec, int carved) {
    for (int i = 0; i < carved; ++i)
        winport::UnlockRange(rec.buffers[i].address, size_t(rec.buffer_size));
}

}  // namespace

int buffers_release(int board, board_record& rec) {
    if (!rec.buffers) return kOk;
    if (dma_active_of(rec).load()) return kRecorderOwnsBoard;
    recorder_board& rb = recorder_board_of(board);
    arena_drop_segments(board);
    if (rb.locked) unlock_all(rec, rec.buffer_count + 1);
    rb.locked = false;
    delete[] rec.buffers;
    clear_fields(rec);
    return kOk;
}

int buffers_set_size(int board, board_record& rec, int& count, int width, int height,
                     const recorder_settings& settings) {
    log_message(kLogRecorder, "SET_BUFFER_SIZE() numbers %d, width %d, height %d lock=%d\r\n",
                count, width, height, settings.lock ? 1 : 0);
    if (count > kMostBuffers) return kWrongParameter;
    if (image_size_check(width, height, 2, image_empty::refused) != kOk) return kWrongParameter;
    if (int rc = buffers_release(board, rec); rc != kOk) return rc;
    const size_t bytes = size_t(width) * size_t(height) * 2;
    uint8_t* start = nullptr;
    size_t free_bytes = 0;
    arena_free_space(start, free_bytes);
    const auto fit = static_cast<long long>(free_bytes / bytes) - 1;
    if (fit < count) count = static_cast<int>(fit);
    if (count <= 0) {
        count = 0;
        log_message(kLogRecorder, "SET_BUFFER_SIZE() not enough memory commitsize %lld\r\n",
                    ll(arena_commit_size()));
        return kOk;
    }
    auto* table = new (std::nothrow) recorder_buffer[size_t(count) + 2]{};
    if (!table) return kNoMemory;
    const int carved = carve(table, count + 1, start, bytes, settings.lock);
    if ((settings.lock && carved == 0) ||
        !arena_add_segment(board, start, start + size_t(carved) * bytes)) {
        for (int i = 0; i < carved && settings.lock; ++i)
            winport::UnlockRange(table[i].address, bytes);
        delete[] table;
        return kNoMemory;
    }
    count = std::min(count, carved - 1);
    rec.buffers = table;
    rec.buffer_size = static_cast<int32_t>(bytes);
    rec.buffer_width = width;
    rec.buffer_height = height;
    rec.buffer_count = count;
    recorder_board_of(board).locked = settings.lock;
    log_message(kLogRecorder, "SET_BUFFER_SIZE() numbers %d, buffersize %d \r\n", count,
                rec.buffer_size);
    return kOk;
}

int buffers_address(const board_record& rec, int picnr, void** address, int* width, int* height) {
    if (!rec.buffers) {
        log_message(kLogRecorderErrors, "GET_BUFFER_ADDR() error no buffers prepared\r\n");
        return kNoMemory;
    }
    if (picnr < 1 || picnr > rec.buffer_count) {
        log_message(kLogRecorderErrors, "GET_BUFFER_ADDR() error picnr, maximal number is %d\r\n",
                    rec.buffer_count);
        return kWrongParameter;
    }
    if (!address || !width || !height) return kNoMemory;
    *address = rec.buffers[picnr - 1].address;
    *width = rec.buffer_width;
    *height = rec.buffer_height;
    return kOk;
}

}  // namespace lmv
