// Transfers that signal the application's event: DMA_IMAGE_START, BEGIN_WAIT_IMAGE and
// END_WAIT_IMAGE. They use the caller's event instead of the sync_event.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>

#include "camera/acquire/EventFd.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/ImageSize.h"
#include "lmvntcam.h"
#include "winport/Event.h"

namespace lmv {
namespace {

// Sub-modes whose driver waits for the picture itself, and those that return at once.
bool driver_waits_for_picture(uint32_t submode) {
    return submode == 5 || submode == 7;
}

// One read in flight per board; it signals the caller's event when the whole picture is in.
struct async_slot {
    std::mutex mutex;
    std::thread worker;
    std::atomic<bool> running{false};
};

class async_reads {
  public:
    ~async_reads() {
        for (auto& s : slots)
            if (s.worker.joinable()) s.worker.join();
    }
    async_slot slots[kBoardSlots];
};

async_reads& reads() {
    static async_reads r;
    return r;
}

int queue_read(int board, void* buffer, uint32_t bytes, int event_fd) {
    async_slot& s = reads().slots[board];
    if (s.worker.joinable()) s.worker.join();
    s.running = true;
    driver::set_dma_in_progress(board, true);
    try {
        s.worker = std::thread([board, buffer, bytes, event_fd, &s] {
            const int rc = driver::read_announced(board, buffer, bytes);
            // The board is free before the caller hears of it, so it can start the next one.
            driver::set_dma_in_progress(board, false);
            s.running = false;
            if (rc == kOk)
                winport::SignalEventFd(event_fd);
            else
                log_message(kLogErrors, "DMA_IMAGE_START: transfer failed %d\r\n", rc);
        });
    } catch (const std::system_error&) {
        driver::set_dma_in_progress(board, false);
        s.running = false;
        return kNoResource;
    }
    return kOk;
}

// The status checks before an asynchronous transfer: 0 when a picture waits.
int picture_for_transfer(int board, int event_fd) {
    uint32_t status = 0;
    int rc = driver::read_status(board, &status);
    if (rc == kOk && camera::picture_waiting(status)) {
        board_record* rec = record_of(board);
        if (!rec || !rec->clear_needed) return kOk;
        rc = driver::board_command(board, ioctl::kCmdClearBuffer);
        rec->clear_needed = 0;
        if (rc == kOk) rc = driver::read_status(board, &status);
        if (rc == kOk) return camera::picture_waiting(status) ? kOk : kNoPicture;
    }
    if (rc == kOk) return kNoPicture;
    if (rc == kTimeout) reset_event_fd(event_fd);
    return rc;
}

int board_refusal(int board) {
    if (!is_board_slot(board)) return kWrongParameter;
    return driver::is_open(board) ? kOk : kDriverNotOpen;
}

}  // namespace

}  // namespace lmv

using namespace lmv;

extern "C" {

LMV_API int DMA_IMAGE_START(int board_and_mode, int width, int height, void* buffer, int event_fd) {
    const int board = board_and_mode & 0xFF;
    const auto submode = static_cast<uint32_t>((board_and_mode >> 8) & 0xFF);
    if (int rc = board_refusal(board); rc != kOk) return rc;
    if (int rc = image_size_check(width, height, 2, image_empty::refused); rc != kOk) return rc;
    if (!is_event_fd(event_fd)) return kWrongParameter;
    if (!buffer) return kNoMemory;
    async_slot& slot = reads().slots[board];
    std::lock_guard<std::mutex> lock(slot.mutex);
    if (slot.running || driver::dma_in_progress(board)) return kRecorderOwnsBoard;
    reset_event_fd(event_fd);
    if (!driver_waits_for_picture(submode))
        if (int rc = picture_for_transfer(board, event_fd); rc != kOk) return rc;
    const auto bytes = static_cast<uint32_t>(width * height * 2);
    if (int rc = driver::set_read_pic_record(board, submode, buffer, bytes); rc != kOk) {
        reset_event_fd(event_fd);
        return rc;
    }
    reset_event_fd(event_fd);
    return queue_read(board, buffer, bytes, event_fd);
}

LMV_API int BEGIN_WAIT_IMAGE(int board, int event_fd) {
    if (int rc = board_refusal(board); rc != kOk) return rc;
    if (!is_event_fd(event_fd)) return kWrongParameter;
    reset_event_fd(event_fd);
    uint32_t status = 0;
    int rc = driver::read_status(board, &status);
    if (rc == kOk && camera::picture_waiting(status)) {
        winport::SignalEventFd(event_fd);
        return kOk;
    }
    if (rc == kOk) rc = driver::begin_wait_image(board, event_fd);
    if (rc == kOk) rc = driver::read_status(board, &status);
    if (rc == kOk) {
        if (camera::picture_waiting(status)) winport::SignalEventFd(event_fd);
        return kOk;
    }
    reset_event_fd(event_fd);
    return rc;
}

LMV_API int END_WAIT_IMAGE(int board) {
    if (int rc = board_refusal(board); rc != kOk) return rc;
    return driver::end_wait_image(board);
}

}  // extern "C"
