#include "camera/recorder/RecorderWalk.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "camera/acquire/Acquire.h"
#include "camera/acquire/EventFd.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"
#include "winport/Event.h"

namespace lmv {
namespace {

constexpr int kStopSliceMs = 100;
constexpr uint32_t kSyncExtraMs = 1000;

// What one step of the walk came to.
enum class step { stored, skipped, stopped, ended };

class private_event {
  public:
    private_event() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~private_event() {
        if (fd_ >= 0) ::close(fd_);
    }
    private_event(const private_event&) = delete;
    private_event& operator=(const private_event&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

struct walk_state {
    int board;
    board_record& rec;
    recorder_board& rb;
    recorder_params p;
    int fd;
    int result = kOk;
    bool stop_requested() const { return dma_stop_of(rec).load() != 0; }
};

// Waits for a picture in the board buffer in slices, so that a stop is seen within one slice.
step wait_picture(walk_state& w) {
    reset_event_fd(w.fd);
    if (int rc = BEGIN_WAIT_IMAGE(w.board, w.fd); rc != kOk) {
        w.result = rc;
        return step::ended;
    }
    bool stopped = false;
    for (;;) {
        if (w.stop_requested()) {
            stopped = true;
            break;
        }
        pollfd p{w.fd, POLLIN, 0};
        if (::poll(&p, 1, kStopSliceMs) == 1) break;
    }
    const int rc = END_WAIT_IMAGE(w.board);
    if (stopped) return step::stopped;
    if (rc != kOk) {
        w.result = rc;
        return step::ended;
    }
    return step::stored;
}

// A clear the board asked for throws the waiting picture away.
bool cleared(walk_state& w) {
    if (!w.rec.clear_needed) return false;
    (void)driver::board_command(w.board, ioctl::kCmdClearBuffer);
    w.rec.clear_needed = 0;
    ++w.rb.counters.dropped;
    return true;
}

bool take_sync(walk_state& w) {
    const auto ms = static_cast<uint32_t>(library().imageTimeout.load()) + kSyncExtraMs;
    if (w.rec.sync_event->Wait(ms)) return true;
    w.result = kTimeout;
    return false;
}

int finish_first_read(walk_state& w) {
    if (!w.rec.firstread) return kOk;
    w.rec.firstread = 0;
    int rc = acquire_stop(w.board, w.rec, 0);
    if (rc == kOk) rc = camera::empty_board_buffer(w.board);
    return rc;
}

// One picture, taken with `move` under the sync_event: stored, skipped (none there), or ended.
template <typename Move>
step take_picture(walk_state& w, Move move) {
    if (step s = wait_picture(w); s != step::stored) return s;
    if (cleared(w)) return step::skipped;
    if (!take_sync(w)) return step::ended;
    const int rc = move();
    w.rec.sync_event->Set();
    if (rc == kNoPicture) return step::skipped;
    w.result = rc;
    if (rc == kOk) return step::stored;
    ++w.rb.counters.errors;
    dma_stop_of(w.rec).store(1);
    return step::ended;
}

step plain_step(walk_state& w, int index) {
    uint16_t* buffer = buffer_at(w.rec, index);
    const step s = take_picture(w, [&] {
        int rc = acquire_transfer_12bit(w.board, w.rec.buffer_width, w.rec.buffer_height, buffer);
        if (rc == kOk) rc = finish_first_read(w);
        return rc;
    });
    return s;
}

void divide(uint16_t* work, const uint32_t* sums, size_t pixels, int avg) {
    if (sums) {
        for (size_t i = 0; i < pixels; ++i)
            work[i] = static_cast<uint16_t>(sums[i] / uint32_t(avg));
        return;
    }
    if ((avg & (avg - 1)) == 0) {  // powers of two shift
        const int shift = std::countr_zero(static_cast<unsigned>(avg));
        for (size_t i = 0; i < pixels; ++i) work[i] = static_cast<uint16_t>(work[i] >> shift);
        return;
    }
    for (size_t i = 0; i < pixels; ++i) work[i] = static_cast<uint16_t>(work[i] / avg);
}

step averaging_step(walk_state& w, int index) {
    const size_t pixels = size_t(w.rec.buffer_size) / 2;
    uint16_t* work = buffer_at(w.rec, w.rec.buffer_count);
    uint32_t* sums = w.rb.sums.empty() ? nullptr : w.rb.sums.data();
    if (sums) std::fill(sums, sums + pixels, 0u);
    std::memset(work, 0, pixels * 2);
    // Only pictures that arrived count towards the average.
    for (int added = 0; added < w.p.avg;) {
        const step s = take_picture(w, [&] {
            return sums ? acquire_transfer_sums32(w.board, w.rec.buffer_width, w.rec.buffer_height,
                                                  sums)
                        : acquire_transfer_average16(w.board, w.rec.buffer_width,
                                                     w.rec.buffer_height, work);
        });
        if (s == step::stopped || s == step::ended) return s;
        if (s == step::stored) ++added;
    }
    divide(work, sums, pixels, w.p.avg);
    if (int rc = finish_first_read(w); rc != kOk) w.result = rc;
    std::memcpy(buffer_at(w.rec, index), work, pixels * 2);
    return step::stored;
}

// Next buffer; false when a single walk has filled its end buffer.
bool advance(walk_state& w, int& index) {
    ++w.rb.counters.frames;
    if (index != w.p.end) {
        ++index;
    } else if (w.p.mode == 0) {
        return false;
    } else {
        index = w.p.start;
        ++w.rb.counters.wraps;
    }
    dma_count_of(w.rec).store(index);
    return true;
}

void end_walk(walk_state& w) {
    w.rec.sync_event->Set();
    // A stop request leaves the count at the first buffer, once nothing writes any more.
    if (w.stop_requested()) dma_count_of(w.rec).store(0);
    const recorder_counters& c = w.rb.counters;
    log_message(kLogRecorder, "RUN_DMA end frames %u wraps %u dropped %u errors %u result %d\r\n",
                c.frames.load(), c.wraps.load(), c.dropped.load(), c.errors.load(), w.result);
    w.rb.sums.clear();
    w.rb.sums.shrink_to_fit();
    w.rec.dma_thread = nullptr;
    dma_active_of(w.rec).store(0);
}

int run_walk(int board, recorder_board& rb, recorder_walk kind) {
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    private_event event;
    walk_state w{board, *rec, rb, rb.params, event.fd()};
    rec->recorder_busy = 0;
    if (kind == recorder_walk::plain) rec->pics_per_start = 1;
    int index = w.p.start;
    dma_count_of(*rec).store(index);
    if (event.fd() < 0) w.result = kNoResource;
    while (event.fd() >= 0 && !w.stop_requested()) {
        const step s =
            kind == recorder_walk::plain ? plain_step(w, index) : averaging_step(w, index);
        if (s == step::stopped || s == step::ended) break;
        if (s == step::stored && !advance(w, index)) break;
    }
    end_walk(w);
    return w.result;
}

}  // namespace

int recorder_walk_entry(void* params, recorder_walk kind) {
    if (!params) return kWrongParameter;
    for (int b = 0; b < kBoardSlots; ++b) {
        recorder_board& rb = recorder_board_of(b);
        if (static_cast<void*>(&rb.params) != params) continue;
        recorder_walk expected = kind;
        if (!rb.live.compare_exchange_strong(expected, recorder_walk::none)) return kWrongParameter;
        return run_walk(rb.params.board, rb, kind);
    }
    return kWrongParameter;
}

}  // namespace lmv
